#include "forwarddialog.h"

#include "messenger/send/autoresponder.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

const QString ForwardDialog::none = QStringLiteral("None");

ForwardDialog::ForwardDialog(const QStringList &allusers, const QString &friendlyname,
                             const QString &currentTarget, QWidget *parent)
    : QDialog(parent), fwdto_(new QListWidget(this)),
      save_(new QPushButton(QStringLiteral("Save"), this))
{
    setObjectName(QStringLiteral("fwdtofrm"));
    setWindowTitle(QStringLiteral("Forward to"));
    setModal(true);

    fwdto_->setObjectName(QStringLiteral("fwdto"));
    fwdto_->addItems(choices(allusers, friendlyname));
    int row = 0;
    for (int i = 1; i < fwdto_->count(); ++i) {
        if (!currentTarget.isEmpty() &&
            fwdto_->item(i)->text().compare(currentTarget, Qt::CaseInsensitive) == 0) {
            row = i;
            break;
        }
    }
    fwdto_->setCurrentRow(row);

    save_->setObjectName(QStringLiteral("savebtn"));
    save_->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelbtn"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fwdto_);
    layout->addLayout(buttons);

    connect(fwdto_, &QListWidget::itemSelectionChanged, this,
            [this] { save_->setEnabled(!selected().isNull()); });
    connect(fwdto_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(save_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList ForwardDialog::choices(const QStringList &allusers, const QString &friendlyname)
{
    QStringList out{none};
    const QString own = friendlyname.toLower();
    for (const QString &name : allusers) {
        if (name.toLower() != own)
            out.append(name);
    }
    return out;
}

void ForwardDialog::applyChoice(const QString &choice, QString *ar3, QString *ar3temp)
{
    if (choice == none) {
        ar3->clear();
        ar3temp->clear();
    } else {
        *ar3 = AutoResponder::forwardPrefix + choice;
        *ar3temp = choice;
    }
}

QString ForwardDialog::selected() const
{
    const QList<QListWidgetItem *> items = fwdto_->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

bool ForwardDialog::selectTarget(QWidget *parent, const QStringList &allusers,
                                 const QString &friendlyname, QString *ar3, QString *ar3temp)
{
    ForwardDialog dialog(allusers, friendlyname, *ar3temp, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selected().isNull())
        return false;
    // By position: a user whose name reads "None" is still a user.
    if (dialog.fwdto_->currentRow() == 0) {
        ar3->clear();
        ar3temp->clear();
    } else {
        applyChoice(dialog.selected(), ar3, ar3temp);
    }
    return true;
}
