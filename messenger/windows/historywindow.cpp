#include "historywindow.h"

#include "messenger/windows/conversationview.h"

#include "messenger/app/messenger.h"
#include "messenger/windows/history.h"
#include "messenger/windows/logwindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

// A list row shows its text on one line; the conversation area shows it whole.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    text.replace(QLatin1Char('\n'), QStringLiteral("  "));
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '));
}
} // namespace

HistoryWindow::HistoryWindow(Messenger &session, QWidget *parent)
    : QWidget(parent, Qt::Window), session_(session)
{
    setObjectName(QStringLiteral("historyfrm"));
    setWindowTitle(QStringLiteral("Vantrell Messenger History"));
    setAttribute(Qt::WA_StyledBackground);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setToolTip(QStringLiteral("Dbl click to Recall"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels(
        {QStringLiteral("index"), QStringLiteral("Date"), QStringLiteral("To/From"),
         QStringLiteral("User"), QStringLiteral("MessageHEAD"), QStringLiteral("MessageMain"),
         QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9")});
    for (const int hidden : {HistoryRow::Index, HistoryRow::MessageHead, HistoryRow::Addressee,
                             HistoryRow::Reply, HistoryRow::RecallIndex, HistoryRow::Caption})
        list_->setColumnHidden(hidden, true);
    list_->headerItem()->setTextAlignment(HistoryRow::Kind, Qt::AlignRight | Qt::AlignVCenter);
    list_->setColumnWidth(HistoryRow::Date, 130);
    list_->setColumnWidth(HistoryRow::Kind, 80);
    list_->setColumnWidth(HistoryRow::User, 110);
    list_->header()->setStretchLastSection(true);

    message_ = new QTextEdit(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setReadOnly(true);
    message_->setAcceptRichText(false);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(list_);
    splitter->addWidget(message_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);

    autores_ = new QLabel(QStringLiteral("Auto Respond On"), this);
    autores_->setObjectName(QStringLiteral("autores"));
    autores_->setVisible(false);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("optionsmenu"));
    keepOnTop_ = menu_->addAction(QStringLiteral("Keep on Top"));
    minimizeWithMain_ = menu_->addAction(QStringLiteral("Minimize with main Window"));
    anchor_ = menu_->addAction(QStringLiteral("Anchor to Main Window"));
    for (QAction *option : {keepOnTop_, minimizeWithMain_, anchor_})
        option->setCheckable(true);
    menu_->addSeparator();
    QAction *clear = menu_->addAction(QStringLiteral("Clear"));
    QAction *saveNow = menu_->addAction(QStringLiteral("Save now"));

    options_ = new QPushButton(QStringLiteral("Options"), this);
    options_->setObjectName(QStringLiteral("optionsbtn"));
    showMain_ = new QPushButton(QStringLiteral("Hide Main"), this);
    showMain_->setObjectName(QStringLiteral("showmain"));
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("closebtn"));
    searchLogs_ = new QPushButton(QStringLiteral("Search logs"), this);
    searchLogs_->setObjectName(QStringLiteral("searchlogs"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(options_);
    buttons->addWidget(showMain_);
    buttons->addWidget(searchLogs_);
    buttons->addStretch(1);
    buttons->addWidget(autores_);
    buttons->addWidget(close_);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(options_, &QPushButton::clicked, this,
            [this] { menu_->popup(options_->mapToGlobal(QPoint(0, options_->height()))); });
    connect(keepOnTop_, &QAction::triggered, this,
            [this](bool on) { session_.history.setOntop(on); });
    connect(minimizeWithMain_, &QAction::triggered, this,
            [this](bool on) { session_.history.setMinmain(on); });
    connect(anchor_, &QAction::triggered, this, [this](bool on) {
        session_.history.setAnchor(on);
        if (on)
            Q_EMIT anchorRequested();
    });
    connect(clear, &QAction::triggered, this, &HistoryWindow::clear_Click);
    connect(saveNow, &QAction::triggered, this, &HistoryWindow::Savebtn_Click);
    connect(showMain_, &QPushButton::clicked, this, [this] {
        if (showMain_->text() == QLatin1String("Show Main"))
            Q_EMIT showMainRequested();
        else
            Q_EMIT hideMainRequested();
    });
    connect(close_, &QPushButton::clicked, this, &HistoryWindow::closebtn_Click);
    connect(searchLogs_, &QPushButton::clicked, this, &HistoryWindow::searchlogs_Click);

    // A click or a key press in the list shows the row as clicked; rows shown by the
    // writers are shown as the newest.
    auto clicked = [this](QTreeWidgetItem *item) {
        if (!item)
            return;
        clicking_ = true;
        session_.history.select(list_->indexOfTopLevelItem(item));
        clicking_ = false;
    };
    connect(list_, &QTreeWidget::itemClicked, this, clicked);
    connect(list_, &QTreeWidget::currentItemChanged, this, clicked);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { recallRow(list_->indexOfTopLevelItem(item)); });

    History &history = session_.history;
    connect(&history, &History::rowsChanged, this, &HistoryWindow::reloadRows);
    connect(&history, &History::currentChanged, this, &HistoryWindow::showCurrent);
    connect(&history, &History::optionsChanged, this, &HistoryWindow::applyOptions);

    const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
    resize(int(8205 * dpi / 1440), int(4200 * dpi / 1440));
    reloadRows();
    applyOptions();
}

void HistoryWindow::reloadRows()
{
    const QSignalBlocker block(list_);
    list_->clear();
    QList<QTreeWidgetItem *> items;
    for (const HistoryRow &row : session_.history.rows()) {
        auto *item = new QTreeWidgetItem;
        for (int c = 0; c < HistoryRow::ColumnCount; ++c)
            item->setText(c, oneLine(row[c]));
        item->setTextAlignment(HistoryRow::Kind, Qt::AlignRight | Qt::AlignVCenter);
        for (int c = 0; c < HistoryRow::ColumnCount; ++c)
            item->setToolTip(c, QStringLiteral("Dbl click to Recall"));
        items.append(item);
    }
    list_->addTopLevelItems(items);
    const int current = session_.history.current();
    if (current >= 0 && current < list_->topLevelItemCount())
        list_->setCurrentItem(list_->topLevelItem(current));
}

void HistoryWindow::showCurrent(int row)
{
    const History &history = session_.history;
    if (row < 0 || row >= history.rows().size()) {
        message_->clear();
        return;
    }
    {
        const QSignalBlocker block(list_);
        if (row < list_->topLevelItemCount()) {
            list_->setCurrentItem(list_->topLevelItem(row));
            list_->scrollToItem(list_->topLevelItem(row));
        }
    }
    const History::Display shown =
        History::display(history.rows().at(row), session_.options.friendlyname,
                         clicking_ ? History::View::Clicked : History::View::Newest);
    ConversationView::show(message_, shown.text, shown.runs);
}

void HistoryWindow::recallRow(int row)
{
    const QList<HistoryRow> &rows = session_.history.rows();
    if (row < 0 || row >= rows.size())
        return;
    const QString &kind = rows.at(row).kind();
    if (kind == HistoryRow::From)
        Q_EMIT recallRequested(row, false);
    else if (kind == HistoryRow::RepliedTo || kind == HistoryRow::AutoRepTo)
        Q_EMIT recallRequested(row, true);
    else if (kind == HistoryRow::To)
        Q_EMIT composeRequested(row);
}

void HistoryWindow::applyOptions()
{
    const History &history = session_.history;
    keepOnTop_->setChecked(history.ontop());
    minimizeWithMain_->setChecked(history.minmain());
    anchor_->setChecked(history.anchor());
    if (history.ontop() != bool(windowFlags() & Qt::WindowStaysOnTopHint))
        setStaysOnTop(history.ontop());
}

void HistoryWindow::setStaysOnTop(bool on)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show();
    if (!on)
        lower();
}

void HistoryWindow::setShowMainCaption(bool mainShown)
{
    showMain_->setText(mainShown ? QStringLiteral("Hide Main") : QStringLiteral("Show Main"));
}

QString HistoryWindow::showMainCaption() const
{
    return showMain_->text();
}

void HistoryWindow::setAwayIndicator(bool shown)
{
    autores_->setVisible(shown);
}

void HistoryWindow::setMessageFontSize(int points)
{
    QFont font = message_->font();
    font.setPointSize(points);
    message_->setFont(font);
    if (session_.history.current() >= 0)
        session_.history.selectit();
}

QPoint HistoryWindow::anchorTo(const QRect &mainFrame, const QRect &available)
{
    QPoint mainTopLeft = mainFrame.topLeft();
    const QSize own = frameGeometry().size();
    const int left = mainFrame.x() + mainFrame.width() - own.width();
    int top = mainFrame.y() + mainFrame.height();
    if (top + own.height() > available.y() + available.height()) {
        top = mainFrame.y() - own.height();
        if (top < available.y()) {
            // No room above either: the main window goes to the top, the history below it.
            mainTopLeft.setY(available.y());
            top = available.y() + mainFrame.height();
        }
    }
    move(left, top);
    return mainTopLeft;
}

void HistoryWindow::closebtn_Click()
{
    session_.history.setWasopen(false);
    hide();
}

void HistoryWindow::Savebtn_Click()
{
    const QString path = session_.file(QStringLiteral("hist.dat"));
    if (!session_.history.save(path))
        session_.withBox([&] {
            session_.prompter().message(QStringLiteral("The history could not be saved:\r\n") +
                                            path,
                                        QStringLiteral("Vantrell Messenger"));
        });
}

void HistoryWindow::clear_Click()
{
    const Prompter::Answer answer = session_.withBox([this] {
        return session_.prompter().question(QStringLiteral("Are you sure?"),
                                            QStringLiteral("Clear History"), false);
    });
    if (answer == Prompter::Answer::No)
        return;
    session_.history.clear();
    message_->clear();
}

void HistoryWindow::searchlogs_Click()
{
    LogWindow::startLogViewer(session_.folder());
}

void HistoryWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        session_.history.setWasopen(true);
        list_->setFocus();
    }
}

void HistoryWindow::closeEvent(QCloseEvent *event)
{
    closebtn_Click();
    event->accept();
}
