#include "groupeditor.h"

#include "messenger/app/messenger.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("Vantrell Messenger");

QStringList texts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// The row of the selected entry; -1 when nothing is selected.
int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

// Replaces a list's entries when they changed, keeping the selected row where it can.
void fill(QListWidget *list, const QStringList &items)
{
    if (texts(list) == items)
        return;
    const int row = selectedRow(list);
    list->clear();
    list->addItems(items);
    if (row >= 0 && row < items.size())
        list->setCurrentRow(row);
}

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
} // namespace

GroupEditor::GroupEditor(Messenger &session, QWidget *parent)
    : QDialog(parent), session_(session), List1_(new QListWidget(this)),
      group_(new QListWidget(this)), users_(new QListWidget(this))
{
    setObjectName(QStringLiteral("groups"));
    setWindowTitle(QStringLiteral("Vantrell Messenger - Configure Groups"));
    setModal(true);

    List1_->setObjectName(QStringLiteral("List1"));
    group_->setObjectName(QStringLiteral("group"));
    users_->setObjectName(QStringLiteral("users"));

    auto *newGroup = button(QStringLiteral("New Group"), QStringLiteral("newgroup"), this);
    changeName_ = button(QStringLiteral("Change Name"), QStringLiteral("changename"), this);
    deleteGroup_ = button(QStringLiteral("Delete Group"), QStringLiteral("deletegroup"), this);
    add_ = button(QStringLiteral("<"), QStringLiteral("addmember"), this);
    remove_ = button(QStringLiteral(">"), QStringLiteral("removemember"), this);
    auto *save = button(QStringLiteral("Save"), QStringLiteral("savegroups"), this);
    auto *cancel = button(QStringLiteral("Cancel"), QStringLiteral("cancelgroups"), this);

    auto *groupsBox = new QGroupBox(QStringLiteral("Groups"), this);
    auto *groupsLayout = new QVBoxLayout(groupsBox);
    groupsLayout->addWidget(List1_);
    groupsLayout->addWidget(newGroup);
    groupsLayout->addWidget(changeName_);
    groupsLayout->addWidget(deleteGroup_);

    auto *membersBox = new QGroupBox(QStringLiteral("Members"), this);
    auto *membersLayout = new QVBoxLayout(membersBox);
    membersLayout->addWidget(group_);

    auto *moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(add_);
    moves->addWidget(remove_);
    moves->addStretch();

    auto *usersBox = new QGroupBox(QStringLiteral("Available Users"), this);
    auto *usersLayout = new QVBoxLayout(usersBox);
    usersLayout->addWidget(users_);

    auto *lists = new QHBoxLayout;
    lists->addWidget(groupsBox);
    lists->addWidget(membersBox);
    lists->addLayout(moves);
    lists->addWidget(usersBox);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(save);
    bottom->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(bottom);

    connect(List1_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_)
            session_.groups.selectGroup(row);
    });
    connect(group_, &QListWidget::itemSelectionChanged, this, &GroupEditor::refresh);
    connect(users_, &QListWidget::itemSelectionChanged, this, &GroupEditor::refresh);
    connect(newGroup, &QPushButton::clicked, this, &GroupEditor::newGroup_Click);
    connect(changeName_, &QPushButton::clicked, this, &GroupEditor::changeName_Click);
    connect(deleteGroup_, &QPushButton::clicked, this, &GroupEditor::deleteGroup_Click);
    connect(add_, &QPushButton::clicked, this, &GroupEditor::addMember_Click);
    connect(remove_, &QPushButton::clicked, this, &GroupEditor::removeMember_Click);
    connect(save, &QPushButton::clicked, this, &GroupEditor::save_Click);
    connect(cancel, &QPushButton::clicked, this, &GroupEditor::reject);
    connect(&session_.groups, &Groups::changed, this, &GroupEditor::refresh);
    refresh();
}

int GroupEditor::exec()
{
    return session_.withBox([this] { return QDialog::exec(); });
}

void GroupEditor::showEvent(QShowEvent *event)
{
    // On activation the first group is selected.
    Groups &groups = session_.groups;
    groups.selectGroup(groups.List1.isEmpty() ? -1 : 0);
    QDialog::showEvent(event);
}

void GroupEditor::refresh()
{
    if (refreshing_)
        return;
    refreshing_ = true;
    const Groups &groups = session_.groups;

    // The list shows the names; the slot digit stays in the model's entries.
    QStringList names;
    for (const QString &entry : groups.List1)
        names.append(Groups::nameOf(entry));
    if (texts(List1_) != names) {
        List1_->clear();
        List1_->addItems(names);
    }
    List1_->setCurrentRow(groups.selectedGroup);

    fill(group_,
         groups.selectedGroup < 0 ? QStringList() : groups.group[std::size_t(groups.curgroup)]);
    fill(users_, groups.users);

    const bool selected = groups.selectedGroup >= 0;
    changeName_->setEnabled(selected);
    deleteGroup_->setEnabled(selected);
    add_->setEnabled(selected && selectedRow(users_) >= 0);
    remove_->setEnabled(selected && selectedRow(group_) >= 0);
    refreshing_ = false;
}

void GroupEditor::message(const QString &text)
{
    session_.withBox([&] { session_.prompter().message(text, kTitle); });
}

void GroupEditor::newGroup_Click()
{
    if (session_.groups.freeSlot() < 0) {
        message(QStringLiteral("10 groups max!"));
        return;
    }
    QString answer;
    const bool given = session_.withBox([&] {
        return session_.prompter().input(QStringLiteral("Please new Group Name:") + kCrLf,
                                         QStringLiteral("Add Group"), QString(), &answer);
    });
    if (given)
        session_.groups.newGroup(answer);
}

void GroupEditor::changeName_Click()
{
    Groups &groups = session_.groups;
    if (groups.selectedGroup < 0)
        return;
    QString answer;
    const QString current = Groups::nameOf(groups.List1.at(groups.selectedGroup));
    const bool given = session_.withBox([&] {
        return session_.prompter().input(QStringLiteral("Please new enter Group Name:") + kCrLf,
                                         QStringLiteral("Change Group Name"), current, &answer);
    });
    if (given)
        groups.changeName(answer);
}

void GroupEditor::deleteGroup_Click()
{
    session_.groups.deleteGroup(session_.directory.allusers);
}

void GroupEditor::addMember_Click()
{
    session_.groups.addMember(selectedRow(users_));
}

void GroupEditor::removeMember_Click()
{
    session_.groups.removeMember(selectedRow(group_));
}

void GroupEditor::save_Click()
{
    if (!session_.groups.savegroups_Click()) {
        // The edits stay in the editor, so nothing is lost; the person may try again.
        message(QStringLiteral("The group file could not be written:") + kCrLf +
                session_.groups.path());
        return;
    }
    session_.loadgroups();
    QDialog::accept();
}

void GroupEditor::reject()
{
    QDialog::reject();
    session_.loadgroups();
}
