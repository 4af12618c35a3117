#include "mainwindow.h"

#include "messenger/windows/conversationview.h"

#include "messenger/app/messenger.h"
#include "messenger/send/sender.h"
#include "messenger/settings/buttonset.h"
#include "messenger/windows/groups.h"
#include "messenger/windows/historywindow.h"
#include "messenger/windows/logwindow.h"
#include "messenger/windows/messagewindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QWindow>

// Resources of a static library are registered by hand; Q_INIT_RESOURCE must be called
// from the global namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
// Height of the painted title band at the top of the background picture.
constexpr int kTitleBand = 46;

using ConversationView::toLf;

QString colourCss(unsigned rgb)
{
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0'));
}

// A label that runs an action when clicked (the notice switches automatic response off).
class ClickLabel final : public QLabel
{
public:
    ClickLabel(std::function<void()> onClick, QWidget *parent)
        : QLabel(parent), onClick_(std::move(onClick))
    {
    }

protected:
    void mousePressEvent(QMouseEvent *event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        event->accept();
        onClick_();
    }

private:
    std::function<void()> onClick_;
};
} // namespace

MainWindow::MainWindow(Messenger &session, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), session_(session)
{
    initResources();
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Vantrell Messenger "));
    background_.load(QStringLiteral(":/resources/background.png"));

    buildTitleBar();

    // Recipient tabs: users and groups.
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    allusers_ = new QListWidget;
    allusers_->setObjectName(QStringLiteral("allusers"));
    allusers_->setSelectionMode(QAbstractItemView::MultiSelection);
    allusers_->setToolTip(QStringLiteral("Select Recipient"));
    auto *groupsPage = new QWidget;
    list1_ = new QListWidget(groupsPage);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *configgroups = new QPushButton(QStringLiteral("Config Grps"), groupsPage);
    configgroups->setObjectName(QStringLiteral("configgroups"));
    auto *groupsLayout = new QVBoxLayout(groupsPage);
    groupsLayout->setContentsMargins(0, 0, 0, 0);
    groupsLayout->setSpacing(4);
    groupsLayout->addWidget(list1_, 1);
    groupsLayout->addWidget(configgroups);
    tabs_->addTab(allusers_, QStringLiteral(" Users   "));
    tabs_->addTab(groupsPage, QStringLiteral(" Groups  "));
    checkallusers_ = new QCheckBox(QStringLiteral("Send to All Users"), this);
    checkallusers_->setObjectName(QStringLiteral("Checkallusers"));
    checkallusers_->setToolTip(QStringLiteral("Select All users"));

    // Compose box with its notice and hints.
    messagetext_ = new QPlainTextEdit(this);
    messagetext_->setObjectName(QStringLiteral("messagetext"));
    messagetext_->setToolTip(QStringLiteral("Enter Message"));
    messagetext_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    messagetext_->setTabChangesFocus(true);
    messagetext_->installEventFilter(this);
    notice_ = new ClickLabel(
        [this] {
            if (session_.away)
                session_.autoResponder.switchOff();
        },
        this);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setVisible(false);
    entlabel1_ = new QLabel(this);
    entlabel1_->setObjectName(QStringLiteral("entlabel1"));
    entlabel2_ = new QLabel(this);
    entlabel2_->setObjectName(QStringLiteral("entlabel2"));
    clear_ = new QPushButton(QStringLiteral("Clear"), this);
    clear_->setObjectName(QStringLiteral("clearbtn"));
    clear_->setToolTip(QStringLiteral("Clear message"));
    send_ = new QPushButton(QStringLiteral("Send"), this);
    send_->setObjectName(QStringLiteral("sendbtn"));
    send_->setToolTip(QStringLiteral("Send message"));
    send_->setProperty("primary", true);

    // Quick-send buttons in three rows of four, wide enough for their captions.
    auto *quick = new QGridLayout;
    quick->setSpacing(4);
    for (int k = 0; k < 12; ++k) {
        const int button = k + 1;
        qb_[std::size_t(k)] = new QPushButton(this);
        QPushButton *qb = qb_[std::size_t(k)];
        qb->setObjectName(QStringLiteral("qb%1").arg(button));
        qb->setToolTip(QStringLiteral("Quick POP button"));
        qb->setEnabled(false);
        qb->setFocusPolicy(Qt::NoFocus);
        qb->setMinimumHeight(26);
        qb->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        quick->addWidget(qb, k / 4, k % 4);
        connect(qb, &QPushButton::clicked, this, [this, button] { qb_Click(button); });
    }

    // Bottom row: the window buttons and the status line.
    history_button_ = new QPushButton(QStringLiteral("History"), this);
    history_button_->setObjectName(QStringLiteral("LumoButton6"));
    history_button_->setToolTip(QStringLiteral("Show the message history"));
    lastRec_ = new QPushButton(QStringLiteral("Last Rec"), this);
    lastRec_->setObjectName(QStringLiteral("LumoButton5"));
    lastRec_->setToolTip(QStringLiteral("Show the last message received"));
    dissmissall_ = new QPushButton(QStringLiteral("Close P.ups"), this);
    dissmissall_->setObjectName(QStringLiteral("dissmissall"));
    dissmissall_->setToolTip(QStringLiteral("Close All open POPups"));
    dissmissall_->setEnabled(false);
    soundon_ = new QCheckBox(QStringLiteral("Sound On"), this);
    soundon_->setObjectName(QStringLiteral("soundon"));
    statustext_ = new QLabel(this);
    statustext_->setObjectName(QStringLiteral("statustext"));
    statustext_->setMinimumWidth(40);
    statustext_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    traffic_ = new QProgressBar(this);
    traffic_->setObjectName(QStringLiteral("traffic"));
    traffic_->setRange(0, 100);
    traffic_->setTextVisible(false);
    traffic_->setFixedSize(40, 6);

    // Layout: title band, then recipients beside the compose box, quick-send, bottom row.
    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(tabs_, 1);
    left->addWidget(checkallusers_);
    auto *composeHead = new QHBoxLayout;
    auto *composeLabel = new QLabel(QStringLiteral("Message"), this);
    composeLabel->setObjectName(QStringLiteral("composelabel"));
    composeLabel->setStyleSheet(QStringLiteral("font-weight: bold; color: #1d3557;"));
    composeHead->addWidget(composeLabel);
    composeHead->addStretch(1);
    composeHead->addWidget(notice_);
    auto *hints = new QVBoxLayout;
    hints->setSpacing(0);
    hints->addWidget(entlabel1_);
    hints->addWidget(entlabel2_);
    auto *composeFoot = new QHBoxLayout;
    composeFoot->addLayout(hints, 1);
    composeFoot->addWidget(clear_);
    composeFoot->addWidget(send_);
    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    right->addLayout(composeHead);
    right->addWidget(messagetext_, 1);
    right->addLayout(composeFoot);
    auto *middle = new QHBoxLayout;
    middle->setSpacing(10);
    middle->addLayout(left, 2);
    middle->addLayout(right, 3);
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    bottom->addWidget(history_button_);
    bottom->addWidget(lastRec_);
    bottom->addWidget(dissmissall_);
    bottom->addWidget(soundon_);
    bottom->addSpacing(6);
    bottom->addWidget(statustext_, 1);
    bottom->addWidget(traffic_);

    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(14, 0, 8, 0);
    titleRow->addWidget(title_);
    titleRow->addStretch(1);
    titleRow->addWidget(settings_);
    titleRow->addWidget(auto_);
    titleRow->addSpacing(6);
    titleRow->addWidget(minimize_);
    titleRow->addWidget(exit_);
    auto *titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("titlebar"));
    titleBar->setFixedHeight(kTitleBand);
    titleBar->setLayout(titleRow);
    titleBar->setAttribute(Qt::WA_TransparentForMouseEvents, false);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(12, 10, 12, 10);
    body->setSpacing(8);
    body->addLayout(middle, 1);
    body->addLayout(quick);
    body->addLayout(bottom);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(titleBar);
    layout->addLayout(body, 1);

    // The windows this one owns; all are top-level windows of their own.
    for (int i = 0; i <= PopupSlots::RecallWindow; ++i)
        popups_[std::size_t(i)] = std::make_unique<MessageWindow>(session_, i);
    history_ = std::make_unique<HistoryWindow>(session_);
    log_ = std::make_unique<LogWindow>(session_);

    // The window is moved by dragging its body; the history follows once the move is over.
    anchorTimer_.setSingleShot(true);
    anchorTimer_.setInterval(250);
    connect(&anchorTimer_, &QTimer::timeout, this, [this] {
        if (session_.history.anchor() && history_->isVisible() && !history_->isMinimized())
            anchorHistory();
    });

    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int tab) { session_.sender.setTab(tab); });
    connect(allusers_, &QListWidget::itemSelectionChanged, this, &MainWindow::userSelectionChanged);
    // The current entry names the recipient on the status line; it moves without the
    // selection changing when the keyboard moves through the list.
    connect(allusers_, &QListWidget::currentRowChanged, this, &MainWindow::userSelectionChanged);
    connect(list1_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { session_.sender.chooseGroup(list1_->row(item)); });
    connect(list1_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            session_.sender.chooseGroup(row);
    });
    connect(checkallusers_, &QCheckBox::clicked, this,
            [this](bool ticked) { session_.sender.setCheckallusers(ticked); });
    connect(configgroups, &QPushButton::clicked, this, &MainWindow::configureGroupsRequested);
    connect(messagetext_, &QPlainTextEdit::textChanged, this, &MainWindow::composeEdited);
    connect(send_, &QPushButton::clicked, this, [this] { session_.sender.sendbtn_Click(); });
    connect(clear_, &QPushButton::clicked, this, [this] { session_.sender.clear(); });
    connect(history_button_, &QPushButton::clicked, this, &MainWindow::LumoButton6_Click);
    connect(lastRec_, &QPushButton::clicked, this, &MainWindow::LumoButton5_Click);
    connect(dissmissall_, &QPushButton::clicked, this,
            [this] { session_.popupSlots.dismissAll(); });
    connect(soundon_, &QCheckBox::toggled, this,
            [this](bool on) { session_.options.soundon = on; });

    wireSession();
    // A little larger than the older copies' 8205 x 5370 twips, for today's fonts.
    resize(int(SettingsFile::MainWindowWidth / twipsPerPixelX()) + 80,
           int(SettingsFile::MainWindowHeight / twipsPerPixelY()) + 110);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildTitleBar()
{
    title_ = new QLabel(QStringLiteral("Vantrell Messenger "), this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setStyleSheet(QStringLiteral(
        "color: white; font-size: 13pt; font-weight: bold; background: transparent;"));
    const QString titleButton = QStringLiteral(
        "QPushButton { background: transparent; color: white; border: 1px solid transparent;"
        " border-radius: 4px; padding: 2px 8px; font-weight: bold; }"
        "QPushButton:hover { background: rgba(255,255,255,45); border-color: rgba(255,255,255,90); "
        "}"
        "QPushButton:pressed { background: rgba(255,255,255,80); }");
    auto make = [&](const QString &caption, const QString &name, const QString &tip) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setStyleSheet(titleButton);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    settings_ = make(QStringLiteral("Settings"), QStringLiteral("LumoButton1"),
                     QStringLiteral("Change Options, Settings, View Logs"));
    auto_ =
        make(QStringLiteral("Auto"), QStringLiteral("LumoButton2"), QStringLiteral("Auto Respond"));
    auto_->setVisible(false);
    auto_->setEnabled(false);
    minimize_ =
        make(QStringLiteral("-"), QStringLiteral("LumoButton4"), QStringLiteral("Minimize"));
    exit_ = make(QStringLiteral("X"), QStringLiteral("LumoButton3"), QStringLiteral("Close"));
    minimize_->setFixedWidth(30);
    exit_->setFixedWidth(30);
    connect(settings_, &QPushButton::clicked, this, [this] {
        Q_EMIT toolsMenuRequested(settings_->mapToGlobal(QPoint(0, settings_->height())));
    });
    connect(auto_, &QPushButton::clicked, this,
            [this] { Q_EMIT autoMenuRequested(auto_->mapToGlobal(QPoint(0, auto_->height()))); });
    connect(minimize_, &QPushButton::clicked, this, &MainWindow::spotmin_Click);
    connect(exit_, &QPushButton::clicked, this, &MainWindow::spotx_Click);
}

void MainWindow::wireSession()
{
    Messenger &session = session_;
    Sender &sender = session.sender;

    connect(&session, &Messenger::statusChanged, statustext_, &QLabel::setText);
    connect(&session, &Messenger::shutdownAbandoned, this, &MainWindow::showNormalMain);
    connect(&session.transport, &Transport::trafficChanged, traffic_, &QProgressBar::setValue);
    connect(&session.directory, &Directory::allusersChanged, this, &MainWindow::refreshUsers);
    connect(&session, &Messenger::optionsApplied, this, &MainWindow::applyOptions);
    connect(&session, &Messenger::settingsSaved, this, [this] {
        auto_->setVisible(session_.options.autoresmaster);
        auto_->setEnabled(session_.options.autoresmaster);
        soundon_->setChecked(session_.options.soundon);
    });
    connect(&session, &Messenger::buttonsLoaded, this, &MainWindow::applyButtons);
    connect(&session.popupSlots, &PopupSlots::closeAllEnabledChanged, this, [this](bool enabled) {
        if (enabled)
            dissmissall_->setEnabled(true);
    });

    connect(&sender, &Sender::composeTextChanged, this, &MainWindow::setComposeText);
    connect(&sender, &Sender::noticeChanged, this,
            [this](const QString &text) { setNotice(text, !text.isEmpty()); });
    connect(&sender, &Sender::focusCompose, this, &MainWindow::focusCompose);
    connect(&sender, &Sender::quickSendEnabledChanged, this, &MainWindow::applyButtons);
    connect(&sender, &Sender::checkallusersChanged, this, [this](bool ticked) {
        checkallusers_->setChecked(ticked);
        updateUserListEnabled();
    });
    connect(&sender, &Sender::showHistoryButton, this, [this] {
        history_button_->setVisible(true);
        history_button_->setEnabled(true);
    });
    connect(&sender, &Sender::showMainWindow, this, &MainWindow::showNormalMain);

    connect(&session.autoResponder, &AutoResponder::displayChanged, this,
            &MainWindow::applyAwayDisplay);
    connect(&session, &Messenger::autoResponseSwitchedOff, this,
            [this] { session_.autoResponder.switchOff(); });

    connect(&session.monitor, &NetworkMonitor::captionChanged, this, &QWidget::setWindowTitle);
    connect(&session.monitor, &NetworkMonitor::hideMainWindow, this, [this] {
        if (trayShown())
            hide();
        else if (!isMinimized())
            showMinimized();
    });
    connect(&session.monitor, &NetworkMonitor::showMainWindow, this, &MainWindow::showNormalMain);
    connect(&session.monitor, &NetworkMonitor::listsEnabledChanged, this, [this](bool enabled) {
        listsEnabled_ = enabled;
        list1_->setEnabled(enabled);
        updateUserListEnabled();
    });

    connect(&session.groups, &Groups::mainListChanged, this,
            [this] { setGroupList(session_.groups.mainList); });

    HistoryWindow *history = history_.get();
    connect(history, &HistoryWindow::recallRequested, this, [this](int row, bool beensent) {
        popups_[PopupSlots::RecallWindow]->recall(session_.history.rows().at(row), beensent);
    });
    connect(history, &HistoryWindow::composeRequested, this, &MainWindow::recallSent);
    connect(history, &HistoryWindow::showMainRequested, this, &MainWindow::showNormalMain);
    connect(history, &HistoryWindow::hideMainRequested, this, &MainWindow::hideMainToTray);
    connect(history, &HistoryWindow::anchorRequested, this, &MainWindow::anchorHistory);

    setGroupList(session.groups.mainList);
    refreshUsers();
    applyButtons();
    soundon_->setChecked(session.options.soundon);
}

double MainWindow::twipsPerPixelX() const
{
    return 1440.0 / (screen() ? screen()->logicalDotsPerInchX() : 96.0);
}

double MainWindow::twipsPerPixelY() const
{
    return 1440.0 / (screen() ? screen()->logicalDotsPerInchY() : 96.0);
}

QString MainWindow::applicationStyle()
{
    initResources();
    QFile file(QStringLiteral(":/resources/style.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

MessageWindow *MainWindow::popup(int index) const
{
    return index >= 0 && index <= PopupSlots::RecallWindow ? popups_[std::size_t(index)].get()
                                                           : nullptr;
}

// --- Session state into the controls ---

void MainWindow::applyOptions(const SettingsFile::LoadResult &result)
{
    QFont compose = messagetext_->font();
    compose.setPointSize(result.fontSize);
    messagetext_->setFont(compose);
    QFont groups = list1_->font();
    groups.setPointSize(result.fontSize);
    list1_->setFont(groups);
    QFont users = allusers_->font();
    users.setPointSize(result.userListFontSize);
    allusers_->setFont(users);
    for (const auto &window : popups_)
        window->setMessageFontSize(result.fontSize);
    history_->setMessageFontSize(result.fontSize);

    entlabel1_->setText(result.hint1);
    entlabel2_->setText(result.hint2);
    entlabel1_->setVisible(result.hintsVisible);
    entlabel2_->setVisible(result.hintsVisible && !result.hint2.isEmpty());

    if (result.autoResponseAllowApplied) {
        auto_->setVisible(session_.options.autoresmaster);
        auto_->setEnabled(session_.options.autoresmaster);
    }
    for (const auto &window : popups_) {
        if (session_.options.ontop)
            window->ontop_Click();
        else
            window->ontopoff_Click();
    }
    soundon_->setChecked(session_.options.soundon);
}

void MainWindow::applyButtons()
{
    const ButtonSet &buttons = session_.buttons;
    const bool quickSend = session_.sender.quickSendEnabled;
    for (int k = 0; k < 12; ++k) {
        const int i = k + 1;
        const ButtonSet::Style style = buttons.style(i);
        QPushButton *qb = qb_[std::size_t(k)];
        qb->setText(buttons.caption(i));
        qb->setToolTip(buttons.tooltip(i).isEmpty() ? QStringLiteral("Quick POP button")
                                                    : buttons.tooltip(i));
        qb->setEnabled(quickSend && style.enabled);
        // An empty slot keeps its own light grey; a button that is only switched off for a
        // while (a forward being composed) greys out a little lighter.
        const QString disabled = style.look == ButtonSet::Look::Empty
                                     ? colourCss(ButtonSet::background(style.look))
                                     : QStringLiteral("#e6e9ee");
        qb->setStyleSheet(
            QStringLiteral("QPushButton { background: %1; color: %2; padding: 2px 4px; }"
                           "QPushButton:hover { border-color: #1d3557; }"
                           "QPushButton:disabled { background: %3; color: #9aa7b8; }")
                .arg(colourCss(ButtonSet::background(style.look)),
                     colourCss(ButtonSet::foreground(style.look)), disabled));
    }
}

void MainWindow::applyAwayDisplay()
{
    const AutoResponder &responder = session_.autoResponder;
    setNotice(responder.noticeText(), responder.noticeVisible());
    history_->setAwayIndicator(responder.noticeVisible());
}

void MainWindow::setNotice(const QString &text, bool visible)
{
    notice_->setText(visible ? text : QString());
    notice_->setVisible(visible);
    notice_->setToolTip(session_.away ? QStringLiteral("Click to switch Auto Respond off")
                                      : QString());
}

void MainWindow::setGroupList(const QStringList &entries)
{
    const QSignalBlocker block(list1_);
    list1_->clear();
    for (const QString &entry : entries) {
        auto *item = new QListWidgetItem(Groups::nameOf(entry), list1_);
        item->setData(Qt::UserRole, entry);
    }
}

void MainWindow::refreshUsers()
{
    // Names still listed keep their selection (a sign-off takes one name away); when the
    // list was emptied for a new user, the selection goes with it.
    QStringList selected;
    for (const QListWidgetItem *item : allusers_->selectedItems())
        selected.append(item->text());
    const QString current = allusers_->currentItem() ? allusers_->currentItem()->text() : QString();
    const QSignalBlocker block(allusers_);
    allusers_->clear();
    allusers_->addItems(session_.directory.allusers);
    for (int row = 0; row < allusers_->count(); ++row) {
        QListWidgetItem *item = allusers_->item(row);
        if (selected.contains(item->text()))
            item->setSelected(true);
        if (item->text() == current)
            allusers_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    }
}

void MainWindow::userSelectionChanged()
{
    QList<int> rows;
    for (int row = 0; row < allusers_->count(); ++row)
        if (allusers_->item(row)->isSelected())
            rows.append(row);
    session_.sender.setUserSelection(rows, allusers_->currentRow());
}

void MainWindow::updateUserListEnabled()
{
    allusers_->setEnabled(listsEnabled_ && !session_.sender.Checkallusers());
}

// --- Compose box ---

void MainWindow::composeEdited()
{
    if (!settingCompose_)
        session_.sender.composeChanged(messagetext_->toPlainText());
}

void MainWindow::setComposeText(const QString &text)
{
    settingCompose_ = true;
    messagetext_->setPlainText(toLf(text));
    messagetext_->moveCursor(QTextCursor::End);
    settingCompose_ = false;
}

void MainWindow::focusCompose()
{
    messagetext_->setFocus();
    messagetext_->moveCursor(QTextCursor::End);
}

void MainWindow::qb_Click(int i)
{
    if (i < 1 || i > ButtonSet::MainSlots)
        return;
    const ButtonSet &buttons = session_.buttons;
    Sender &sender = session_.sender;
    if (buttons.style(i).look == ButtonSet::Look::Emergency)
        sender.setCheckallusers(true);
    sender.setMessagetext(buttons.message(i));
    focusCompose();
    if (buttons.sendImmediately(i))
        sender.sendbtn_Click();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == messagetext_ && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter either sends or puts a line break in; it is never typed and taken back.
            if (!session_.sender.enterPressed(key->modifiers()))
                messagetext_->insertPlainText(QStringLiteral("\n"));
            return true;
        }
        if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12) {
            // Function keys press their quick-send button while a recipient is chosen; a
            // disabled button (no caption, or a forward being composed) stays unpressed.
            const int i = key->key() - Qt::Key_F1 + 1;
            if (!session_.directory.multiusers.isEmpty() && qb_[std::size_t(i - 1)]->isEnabled())
                qb_Click(i);
            return true;
        }
    }
    if (watched == messagetext_ && event->type() == QEvent::FocusIn)
        messagetext_->moveCursor(QTextCursor::End);
    return QWidget::eventFilter(watched, event);
}

// --- Windows ---

void MainWindow::spotx_Click()
{
    const QString text =
        QStringLiteral("Do you want Vantrell Messenger to continue running in the background?") +
        kCrLf + kCrLf + QStringLiteral("  Yes - Minimize to Tray (run in background)") + kCrLf +
        QStringLiteral("   No - Terminate");
    const Prompter::Answer answer = session_.withBox([&] {
        return session_.prompter().question(text, QStringLiteral("Exit Vantrell Messenger"), true);
    });
    if (answer == Prompter::Answer::Yes) {
        session_.minimized = QStringLiteral("yes");
        leaveScreen();
    } else if (answer == Prompter::Answer::No) {
        session_.shutdown();
    }
}

void MainWindow::spotmin_Click()
{
    hideMainToTray();
    session_.history.setWasopen(false);
    if (history_->isVisible() && session_.history.minmain()) {
        history_->hide();
        session_.history.setWasopen(true);
    }
}

void MainWindow::hideMainToTray()
{
    session_.minimized = QStringLiteral("yes");
    history_->setShowMainCaption(false);
    leaveScreen();
}

void MainWindow::leaveScreen()
{
    showMinimized();
    if (trayShown())
        hide();
}

void MainWindow::showNormalMain()
{
    showNormal();
    raise();
    activateWindow();
    session_.minimized = QStringLiteral("no");
    history_->setShowMainCaption(true);
}

void MainWindow::LumoButton5_Click()
{
    popups_[PopupSlots::RecallWindow]->showAgain();
}

void MainWindow::LumoButton6_Click()
{
    history_->setShowMainCaption(true);
    if (session_.history.wasopen() || !historyPlaced_)
        anchorHistory();
    history_->showNormal();
    history_->raise();
    history_->activateWindow();
}

void MainWindow::anchorHistory()
{
    const QScreen *where = screen();
    const QRect available = where ? where->availableGeometry() : QRect(0, 0, 1920, 1080);
    const QPoint mainTopLeft = history_->anchorTo(frameGeometry(), available);
    if (mainTopLeft != frameGeometry().topLeft())
        move(mainTopLeft);
    historyPlaced_ = true;
}

void MainWindow::recallSent(int row)
{
    const QList<HistoryRow> &rows = session_.history.rows();
    if (row < 0 || row >= rows.size())
        return;
    const HistoryRow entry = rows.at(row);
    if (session_.minimized == QLatin1String("yes"))
        showNormalMain();
    session_.sender.setMessagetext(entry[HistoryRow::MessageMain]);
    const int tab = entry[HistoryRow::RecallTab].toInt();
    tabs_->setCurrentIndex(tab);
    if (tab == Sender::UsersTab) {
        {
            const QSignalBlocker block(allusers_);
            allusers_->clearSelection();
            for (int i = 0; i < allusers_->count(); ++i) {
                if (allusers_->item(i)->text() == entry[HistoryRow::User]) {
                    allusers_->item(i)->setSelected(true);
                    allusers_->setCurrentItem(allusers_->item(i), QItemSelectionModel::NoUpdate);
                }
            }
        }
        userSelectionChanged();
    } else if (tab == Sender::GroupsTab) {
        const int group = entry[HistoryRow::RecallIndex].toInt();
        {
            const QSignalBlocker block(list1_);
            list1_->clearSelection();
            if (group >= 0 && group < list1_->count())
                list1_->setCurrentRow(group);
        }
        if (group >= 0 && group < list1_->count())
            session_.sender.chooseGroup(group);
    }
}

// --- Painting and moving ---

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!background_.isNull()) {
        const int band = std::min(kTitleBand, background_.height());
        painter.drawPixmap(QRect(0, 0, width(), kTitleBand + 1), background_,
                           QRect(0, 0, background_.width(), band));
        painter.drawPixmap(QRect(0, kTitleBand + 1, width(), height() - kTitleBand - 1),
                           background_,
                           QRect(0, band, background_.width(), background_.height() - band));
    } else {
        painter.fillRect(rect(), QColor(0xe8, 0xf0, 0xfa));
        painter.fillRect(QRect(0, 0, width(), kTitleBand), QColor(0x2a, 0x64, 0xad));
    }
    painter.setPen(QColor(0x22, 0x56, 0x9a));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The platform moves the window as if its title bar had been grabbed; where it cannot,
    // the window follows the mouse itself.
    if (windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    session_.winLeftTwips = x() * twipsPerPixelX();
    session_.winTopTwips = y() * twipsPerPixelY();
    anchorTimer_.start();
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Brought back from the task bar (no tray): the window is no longer minimised, or the
    // network monitor would minimise it again on its next tick; a history window that went
    // with it comes back, as a click on the tray icon brings it back.
    if (event->type() == QEvent::WindowStateChange && !trayShown() && isVisible() &&
        !isMinimized() && session_.minimized == QLatin1String("yes")) {
        session_.minimized = QStringLiteral("no");
        history_->setShowMainCaption(true);
        if (session_.history.wasopen()) {
            history_->show();
            session_.history.setWasopen(false);
        }
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A close request from the desktop asks like the "X" button does.
    event->ignore();
    spotx_Click();
}
