#include "traywidget.h"

#include "messenger/app/mainwindow.h"
#include "messenger/app/messenger.h"
#include "messenger/settings/settingsdialog.h"
#include "messenger/windows/groupeditor.h"
#include "messenger/windows/historywindow.h"
#include "messenger/windows/logwindow.h"
#include "messenger/windows/savedmessage.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTextBrowser>
#include <QUrl>

#ifdef VT_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#endif

// Resources of a static library are registered by hand, from the global namespace.
static void initTrayResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(resources);
        done = true;
    }
}

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("Vantrell Messenger");
const QString kDefaultSound = QStringLiteral("tovik.wav");
const QString kHelpFile = QStringLiteral("QMhelp.html");
// How often the panel is looked for; Qt has no signal for a tray that comes or goes.
constexpr int kTrayWatchMs = 3000;

// A menu caption shows an ampersand as typed instead of taking it as a shortcut marker.
QString menuText(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

const QString TrayWidget::tip = QStringLiteral("Vantrell Messenger");
const QString TrayWidget::awayTip = QStringLiteral("QM AWAY");
// The vendor's help page; the messenger never sends anything there, it only opens it.
const QString TrayWidget::onlineHelpUrl = QStringLiteral("https://www.vantrell.com/help");

TrayWidget::TrayWidget(Messenger &session, MainWindow &main, QObject *parent)
    : QObject(parent), session_(session), main_(main), icon_(std::make_unique<QSystemTrayIcon>())
{
    initTrayResources();
    setObjectName(QStringLiteral("menuform"));
    openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    playFile = [this](const QString &path) { play(path); };
    changeSettings = [this] { SettingsDialog::changeSettings(session_, &main_); };

    buildMenus();
    icon_->setContextMenu(closepopups_.get());
    setLook(Look::Idle);
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &TrayWidget::activated);
    wireSession();

    // Minimising to the tray only hides the main window while there is a tray to bring it
    // back from; otherwise it goes to the task bar.
    main_.hasTray = [this] { return !unloaded_ && trayAvailable(); };

    trayWatch_.setInterval(kTrayWatchMs);
    connect(&trayWatch_, &QTimer::timeout, this, &TrayWidget::pollTray);
}

TrayWidget::~TrayWidget()
{
    main_.hasTray = {};
    unloadmecommand_Click();
}

// --- The icon ---

QIcon TrayWidget::lookIcon(Look look)
{
    initTrayResources();
    const QString name = look == Look::Idle      ? QStringLiteral("idle")
                         : look == Look::Message ? QStringLiteral("message")
                                                 : QStringLiteral("away");
    QIcon icon;
    for (int size : {16, 32, 64})
        icon.addFile(QStringLiteral(":/resources/tray-%1-%2.png").arg(name).arg(size),
                     QSize(size, size));
    return icon;
}

bool TrayWidget::trayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayWidget::setLook(Look look)
{
    look_ = look;
    icon_->setIcon(lookIcon(look));
    icon_->setToolTip(look == Look::Away ? awayTip : tip);
}

void TrayWidget::ShellTrayAdd1()
{
    setLook(Look::Message);
}

void TrayWidget::ShellTrayAdd2()
{
    setLook(Look::Idle);
}

void TrayWidget::ShellTrayAdd3()
{
    setLook(Look::Away);
}

void TrayWidget::addIcon()
{
    if (unloaded_)
        return;
    ShellTrayAdd2();
    trayWasAvailable_ = trayAvailable();
    if (trayWasAvailable_)
        icon_->show();
    trayWatch_.start();
}

void TrayWidget::TaskbarCreated()
{
    if (unloaded_)
        return;
    ShellTrayAdd2();
    if (session_.away)
        ShellTrayAdd3();
    if (session_.popupSlots.pucount().toInt() < PopupSlots::SlotCount)
        ShellTrayAdd1();
    icon_->show();
}

void TrayWidget::pollTray()
{
    const bool available = trayAvailable();
    if (available && !trayWasAvailable_)
        TaskbarCreated();
    trayWasAvailable_ = available;
}

void TrayWidget::unloadmecommand_Click()
{
    unloaded_ = true;
    trayWatch_.stop();
    if (icon_)
        icon_->hide();
}

void TrayWidget::countChanged(int count)
{
    // The older program chose the idle look for a count of 10 even while away, so closing
    // the last message window took the away look (and its "QM AWAY" tip) off the icon of a
    // user who was still away. Away stays away here; an open window still shows first.
    if (count >= PopupSlots::SlotCount)
        setLook(session_.away ? Look::Away : Look::Idle);
    else
        setLook(Look::Message);
}

// --- Mouse messages ---

void TrayWidget::activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        leftClick();
        break;
    case QSystemTrayIcon::DoubleClick:
        doubleClick();
        break;
    default:
        // The context request pops the tray menu up by itself (setContextMenu).
        break;
    }
}

void TrayWidget::leftClick()
{
    main_.showNormalMain();
    HistoryWindow *history = main_.historyWindow();
    if (!session_.startupComplete) {
        session_.withBox([&] {
            session_.prompter().message(QStringLiteral("Vantrell Messenger is still starting: ") +
                                            QString::number(session_.splashProgress),
                                        kTitle);
        });
        if (session_.silent) {
            session_.history.setWasopen(false);
            history->close();
        }
    }
    if (session_.history.wasopen()) {
        history->show();
        session_.history.setWasopen(false);
    }
}

void TrayWidget::doubleClick()
{
    main_.showNormalMain();
}

// --- Menus ---

void TrayWidget::buildMenus()
{
    auto item = [](QMenu *menu, const QString &name, int index, const QString &caption) {
        auto *action = menu->addAction(caption);
        action->setObjectName(name + QString::number(index));
        action->setData(index);
        return action;
    };
    auto separator = [](QMenu *menu, const QString &name, int index) {
        QAction *action = menu->addSeparator();
        action->setObjectName(name + QString::number(index));
        action->setData(index);
        return action;
    };

    toolsmenu_ = std::make_unique<QMenu>(QStringLiteral("Tools"));
    toolsmenu_->setObjectName(QStringLiteral("toolsmenu"));
    const QString tools = QStringLiteral("menutools");
    QMenu *t = toolsmenu_.get();
    item(t, tools, 0, QStringLiteral("Change Settings"));
    separator(t, tools, 1)->setVisible(false);
    item(t, tools, 2, QStringLiteral("Find Other Users"));
    separator(t, tools, 3);
    item(t, tools, 4, QStringLiteral("Configure Groups"));
    separator(t, tools, 5);
    item(t, tools, 6, QStringLiteral("Check for Updates"));
    separator(t, tools, 7);
    item(t, tools, 8, QStringLiteral("View Logs"));
    item(t, tools, 9, QStringLiteral("Open saved msgs folder"));
    separator(t, tools, 10);
    item(t, tools, 11, QStringLiteral("Help"));
    item(t, tools, 12, QStringLiteral("On-line Help"));
    separator(t, tools, 13)->setVisible(false);
    QAction *recall = item(t, tools, 14, QStringLiteral("Recall last POP up"));
    recall->setVisible(false);
    recall->setEnabled(false);
    connect(t, &QMenu::triggered, this,
            [this](QAction *action) { menutools_Click(action->data().toInt()); });

    closepopups_ = std::make_unique<QMenu>();
    closepopups_->setObjectName(QStringLiteral("closepopups"));
    const QString tray = QStringLiteral("closeall");
    QMenu *c = closepopups_.get();
    item(c, tray, 0, QStringLiteral("Close All POPups"))->setEnabled(false);
    item(c, tray, 1, QStringLiteral("Recall last POP up"))->setEnabled(false);
    QAction *toggle = item(c, tray, 2, QStringLiteral("Enable Auto Respond"));
    toggle->setVisible(false);
    toggle->setEnabled(false);
    connect(c, &QMenu::triggered, this,
            [this](QAction *action) { closeall_Click(action->data().toInt()); });

    autores_ = std::make_unique<QMenu>(QStringLiteral("Autorespond"));
    autores_->setObjectName(QStringLiteral("autores"));
    const QString ar = QStringLiteral("armenu");
    QMenu *a = autores_.get();
    for (int i = 0; i < AutoResponder::OffEntry; ++i) {
        QAction *entry = item(a, ar, i, menuText(session_.options.ar[i]));
        entry->setCheckable(true);
        entry->setVisible(!session_.options.ar[i].isEmpty());
    }
    item(a, ar, AutoResponder::OffEntry, QStringLiteral("Auto Respond Off"))->setCheckable(true);
    connect(a, &QMenu::triggered, this,
            [this](QAction *action) { armenu_Click(action->data().toInt()); });
    showAutoState();
}

void TrayWidget::wireSession()
{
    connect(&session_.popupSlots, &PopupSlots::pucountChanged, this, &TrayWidget::countChanged);
    connect(&session_.popupSlots, &PopupSlots::closeAllEnabledChanged, this,
            [this](bool enabled) { closeall(CloseAll)->setEnabled(enabled); });
    connect(&session_.autoResponder, &AutoResponder::displayChanged, this, [this] {
        showAutoState();
        setLook(session_.autoResponder.trayLook());
    });
    connect(&session_, &Messenger::optionsApplied, this, &TrayWidget::applyOptions);
    connect(&session_, &Messenger::settingsSaved, this,
            [this] { closeall(AutoToggle)->setEnabled(session_.options.autoresmaster); });
    connect(&session_, &Messenger::playSound, this, &TrayWidget::playsound_Click);
    connect(&session_, &Messenger::soundTestRequested, this, &TrayWidget::soundtest_Click);
    connect(&session_, &Messenger::quitRequested, this, &TrayWidget::unloadmecommand_Click);

    connect(&main_, &MainWindow::toolsMenuRequested, this,
            [this](const QPoint &at) { toolsmenu_->popup(at); });
    connect(&main_, &MainWindow::autoMenuRequested, this,
            [this](const QPoint &at) { autores_->popup(at); });
    connect(&main_, &MainWindow::configureGroupsRequested, this,
            [this] { menutools_Click(ConfigureGroups); });
}

QAction *TrayWidget::menutools(int index) const
{
    const auto actions = toolsmenu_->actions();
    return index >= 0 && index < actions.size() ? actions.at(index) : nullptr;
}

QAction *TrayWidget::closeall(int index) const
{
    const auto actions = closepopups_->actions();
    return index >= 0 && index < actions.size() ? actions.at(index) : nullptr;
}

QAction *TrayWidget::armenu(int index) const
{
    const auto actions = autores_->actions();
    return index >= 0 && index < actions.size() ? actions.at(index) : nullptr;
}

void TrayWidget::applyOptions(const SettingsFile::LoadResult &result)
{
    for (int i = 0; i < AutoResponder::OffEntry; ++i) {
        armenu(i)->setText(menuText(result.responseMenu[i].caption));
        armenu(i)->setVisible(result.responseMenu[i].visible);
    }
    if (result.autoResponseAllowApplied) {
        closeall(AutoToggle)->setEnabled(session_.options.autoresmaster);
        // The older program moved the check mark to "Auto Respond Off" on every load while
        // the mode stayed on, so the menu said off while messages were still answered. The
        // mark follows the mode here; a mode that is no longer allowed goes off.
        if (session_.away && !session_.options.autoresmaster)
            session_.autoResponder.switchOff();
    }
    showAutoState();
}

void TrayWidget::showAutoState()
{
    const int checked = session_.autoResponder.checkedEntry();
    for (int i = 0; i < AutoItems; ++i)
        armenu(i)->setChecked(i == checked);
    closeall(AutoToggle)->setText(session_.autoResponder.toggleText());
}

void TrayWidget::menutools_Click(int index)
{
    switch (index) {
    case ChangeSettings:
        if (changeSettings)
            changeSettings();
        break;
    case FindOtherUsers:
        findOtherUsers();
        break;
    case ConfigureGroups: {
        GroupEditor editor(session_, &main_);
        editor.exec();
        break;
    }
    case CheckForUpdates:
        // This release has no update check: it says so instead of pretending to look.
        session_.withBox([&] {
            session_.prompter().message(
                SettingsFile::header() + kCrLf + kCrLf +
                    QStringLiteral("This copy does not check for updates itself.") + kCrLf +
                    QStringLiteral("New versions are installed by your administrator."),
                kTitle);
        });
        break;
    case ViewLogs: {
        QWidget *log = main_.logWindow();
        log->showNormal();
        log->raise();
        log->activateWindow();
        break;
    }
    case OpenSavedFolder:
        openSavedFolder();
        break;
    case Help:
        showHelp();
        break;
    case OnlineHelp:
        if (openUrl)
            openUrl(QUrl(onlineHelpUrl));
        break;
    default:
        break;
    }
}

void TrayWidget::closeall_Click(int index)
{
    if (index == CloseAll) {
        session_.popupSlots.dismissAll();
    } else if (index == AutoToggle && session_.options.autoresmaster) {
        armenu_Click(session_.away ? AutoResponder::OffEntry : 0);
    }
}

void TrayWidget::armenu_Click(int index)
{
    if (index == AutoResponder::OffEntry)
        session_.autoResponder.switchOff();
    else if (index >= 0 && index < AutoResponder::OffEntry)
        session_.autoResponder.switchOn(index);
    // A choice that could not switch (an empty text, not allowed) leaves the mark where the
    // mode is; QAction has already toggled the clicked entry.
    showAutoState();
}

void TrayWidget::findOtherUsers()
{
    session_.directory.allusers.clear();
    Q_EMIT session_.directory.allusersChanged();
    session_.loadusers_Click();
    session_.getusers_Click();
}

void TrayWidget::openSavedFolder()
{
    const QString folder = SavedMessage::defaultFolder();
    const bool opened = QDir().mkpath(folder) && openUrl &&
                        openUrl(QUrl::fromLocalFile(QDir(folder).absolutePath()));
    if (!opened)
        session_.withBox(
            [&] { session_.prompter().message(QStringLiteral("Cannot find folder"), kTitle); });
}

void TrayWidget::showHelp()
{
    if (!help_) {
        help_ = std::make_unique<QTextBrowser>();
        help_->setObjectName(QStringLiteral("QMhelp"));
        help_->setWindowTitle(QStringLiteral("Vantrell Messenger Help"));
        help_->setOpenExternalLinks(true);
        help_->resize(560, 520);
    }
    // A help file put into the program folder by the office replaces the built-in one.
    const QString local = session_.file(kHelpFile);
    help_->setSource(QFileInfo(local).isFile()
                         ? QUrl::fromLocalFile(local)
                         : QUrl(QStringLiteral("qrc:/resources/") + kHelpFile));
    help_->scrollToAnchor(QStringLiteral("1"));
    help_->showNormal();
    help_->raise();
    help_->activateWindow();
}

// --- Sound ---

void TrayWidget::playsound_Click()
{
    if (session_.options.soundon && playFile)
        playFile(session_.options.wavefile);
}

void TrayWidget::soundtest_Click(const QString &wavefile)
{
    if (playFile)
        playFile(wavefile);
}

void TrayWidget::play(const QString &path)
{
#ifdef VT_HAVE_MULTIMEDIA
    if (QFileInfo(path).isFile() && !QMediaDevices::audioOutputs().isEmpty()) {
        if (!sound_) {
            sound_ = new QSoundEffect(this);
            // A file that is no wave file, or that the output cannot play: the plain beep.
            connect(sound_, &QSoundEffect::statusChanged, this, [this] {
                if (sound_->status() == QSoundEffect::Error)
                    QApplication::beep();
            });
        }
        const QUrl url = QUrl::fromLocalFile(path);
        if (sound_->source() != url) {
            sound_->setSource(url);
        } else if (sound_->status() == QSoundEffect::Error) {
            // The same unplayable file again: no new status change will say so.
            QApplication::beep();
            return;
        }
        sound_->play();
        return;
    }
#endif
    QApplication::beep();
}

bool TrayWidget::ensureDefaultSound(const QString &programFolder, const QString &executableFolder)
{
    initTrayResources();
    const QString target = QDir(programFolder).filePath(kDefaultSound);
    if (QFileInfo::exists(target))
        return true;
    const QString shipped = QDir(executableFolder).filePath(kDefaultSound);
    const QString source = !executableFolder.isEmpty() && QFileInfo(shipped).isFile()
                               ? shipped
                               : QStringLiteral(":/resources/") + kDefaultSound;
    if (!QDir().mkpath(programFolder) || !QFile::copy(source, target))
        return false;
    // A copy out of the program's resources is read-only; the office may replace the file.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    return true;
}
