#pragma once
// The tray form `menuform`: the notification-area icon with its three looks, what a click on
// it does, the program's three pop-up menus (Tools, the tray menu and the automatic-response
// menu) and the notification sound. It is never shown itself; where the desktop has no tray
// the program runs all the same and the main window minimises to the task bar instead.
#include "messenger/app/settingsfile.h"
#include "messenger/send/autoresponder.h"

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

class MainWindow;
class Messenger;
class QAction;
class QMenu;
class QSoundEffect;
class QTextBrowser;
class QUrl;

class TrayWidget final : public QObject
{
    Q_OBJECT
public:
    using Look = AutoResponder::TrayLook;

    static const QString tip;     // "Vantrell Messenger"
    static const QString awayTip; // "QM AWAY"
    // The on-line help page.
    static const QString onlineHelpUrl;

    // Item counts of the three menus (`menutools`, `closeall`, `armenu`).
    static constexpr int ToolsItems = 15;
    static constexpr int TrayItems = 3;
    static constexpr int AutoItems = 5;
    // The items that do something (index into `menutools`).
    enum ToolsItem {
        ChangeSettings = 0,
        FindOtherUsers = 2,
        ConfigureGroups = 4,
        CheckForUpdates = 6,
        ViewLogs = 8,
        OpenSavedFolder = 9,
        Help = 11,
        OnlineHelp = 12,
        RecallLast = 14,
    };
    enum TrayItem { CloseAll = 0, RecallLastPopup = 1, AutoToggle = 2 };

    // `main` is the main window the icon restores; both must outlive the tray form.
    TrayWidget(Messenger &session, MainWindow &main, QObject *parent = nullptr);
    ~TrayWidget() override;

    // --- The icon ---
    // Puts the icon into the tray with the idle look (start-up, and again when the tray
    // comes back). Without a tray nothing is shown, and nothing is reported.
    void addIcon();
    // The three looks: message, idle and away.
    void ShellTrayAdd1();
    void ShellTrayAdd2();
    void ShellTrayAdd3();
    Look look() const { return look_; }
    QSystemTrayIcon *icon() const { return icon_.get(); }
    // The picture of a look.
    static QIcon lookIcon(Look look);
    // True while the desktop has a tray to put the icon in.
    bool trayAvailable() const;
    // The tray came back (the desktop's panel restarted): the icon again with the idle look,
    // then the away look when away, then the message look while a message window is open.
    void TaskbarCreated();
    // Removes the icon; every end of the program runs it.
    void unloadmecommand_Click();

    // --- What the icon's mouse messages do ---
    // Left button (513): the main window in its normal state, and a history window that was
    // hidden with it comes back.
    void leftClick();
    // Double click (515): the main window in its normal state.
    void doubleClick();

    // --- The menus ---
    QMenu *toolsmenu() const { return toolsmenu_.get(); }
    QMenu *closepopups() const { return closepopups_.get(); }
    QMenu *autores() const { return autores_.get(); }
    QAction *menutools(int index) const;
    QAction *closeall(int index) const;
    QAction *armenu(int index) const;
    void menutools_Click(int index);
    void closeall_Click(int index);
    void armenu_Click(int index);
    // The help window ("Help"), made on first use.
    QTextBrowser *helpWindow() const { return help_.get(); }

    // --- The notification sound ---
    // The main window's sound: WAVEFILE, once, when "Sound On" is ticked.
    void playsound_Click();
    // The settings dialog's "Test": the chosen file, whatever "Sound On" says.
    void soundtest_Click(const QString &wavefile);
    // Makes sure the program folder holds the default sound "tovik.wav": copied from the
    // executable's folder, else from the copy built into the program. False when it is
    // missing and could not be written.
    static bool ensureDefaultSound(const QString &programFolder, const QString &executableFolder);

    // --- Where the tray form meets the desktop (tests replace them) ---
    // Opens a folder or a web page; false when nothing could open it.
    std::function<bool(const QUrl &url)> openUrl;
    // Plays one wave file once.
    std::function<void(const QString &path)> playFile;
    // Runs the settings dialog modally.
    std::function<void()> changeSettings;

private:
    void buildMenus();
    void wireSession();
    void setLook(Look look);
    void countChanged(int count);
    void applyOptions(const SettingsFile::LoadResult &result);
    void showAutoState();
    void activated(QSystemTrayIcon::ActivationReason reason);
    void pollTray();
    void findOtherUsers();
    void openSavedFolder();
    void showHelp();
    void play(const QString &path);

    Messenger &session_;
    MainWindow &main_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> toolsmenu_;
    std::unique_ptr<QMenu> closepopups_;
    std::unique_ptr<QMenu> autores_;
    std::unique_ptr<QTextBrowser> help_;
    QSoundEffect *sound_ = nullptr;
    Look look_ = Look::Idle;
    bool added_ = false;
    bool unloaded_ = false;
    // The panel's comings and goings: Qt tells nothing, so the availability is polled.
    QTimer trayWatch_;
    bool trayWasAvailable_ = false;
};
