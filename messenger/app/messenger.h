#pragma once
// The session of one messenger run: the sockets and the receive queue, the user directory,
// the message-window slots, the live options, the activity log and the history. The
// windows are views over it; they observe its signals and call its operations. Everything
// that asks a person goes through the Prompter with the receive queue held.
#include "messenger/app/networkmonitor.h"
#include "messenger/app/options.h"
#include "messenger/app/prompter.h"
#include "messenger/app/settingsfile.h"
#include "messenger/net/datagram.h"
#include "messenger/net/directory.h"
#include "messenger/net/dispatcher.h"
#include "messenger/net/transport.h"
#include "messenger/send/autoresponder.h"
#include "messenger/send/popupslots.h"
#include "messenger/send/sender.h"
#include "messenger/settings/buttonset.h"
#include "messenger/windows/activitylog.h"
#include "messenger/windows/groups.h"
#include "messenger/windows/history.h"

#include <QDateTime>
#include <QObject>
#include <QSizeF>
#include <functional>
#include <optional>

class Messenger final : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // What a start-up ended with.
    enum class StartResult {
        Running,   // all steps done
        NoNetwork, // the network could not be reached: running, the monitor takes over
        PortInUse, // a port was taken: the program ends
    };

    // `folder` is the program folder; `clock` the local time (tests pass their own).
    Messenger(const QString &folder, Prompter &prompter, Clock clock = {},
              QObject *parent = nullptr);
    ~Messenger() override;

    QString folder() const { return folder_; }
    QString file(const QString &name) const;
    QDateTime now() const;
    Prompter &prompter() { return prompter_; }

    // --- Named state of the session ---
    Options options;
    Transport transport;
    Directory directory;
    PopupSlots popupSlots;
    ActivityLog log;
    History history;
    Dispatcher dispatcher;
    NetworkMonitor monitor; // `Timer1`, the port changes and "Reset Port"
    ButtonSet buttons;
    Groups groups;
    AutoResponder autoResponder;
    Sender sender;

    bool away = false;            // automatic response on
    bool startupComplete = false; // the start-up-complete marker
    // The splash window's progress (0..100) as the start-up advances; 15 once it is over.
    int splashProgress = 0;
    void setSplashProgress(int value);
    bool cachecleared = false;  // the known-users file was reset in this run
    bool historyLoaded = false; // the stored history was read (guards the save at exit)
    bool silent = false;        // started with "/m"
    QString statustext;
    QString minimized = QStringLiteral("no"); // "yes" while minimised to the tray
    // The main window's edges in twips, kept current by the window (stored at save).
    double winLeftTwips = 0;
    double winTopTwips = 0;

    // --- Start and end ---
    // The start-up sequence from the slot lists to the history; `screenTwips` is the
    // screen size for centring the window on the first run.
    StartResult start(const QSizeF &screenTwips = QSizeF(1440 * 13.3, 1440 * 10));
    // The shutdown sequence (the exit dialog's "No"): users and settings saved, the log
    // archived, the sign-off sent, the sockets closed, the history saved.
    void shutdown();

    // --- Operations with the program's names ---
    void loadusers_Click();
    void saveusers_Click();
    // False when the settings file could not be written (the old file is then left as it was).
    bool saveallsettings_Click();
    void cleanlog_Click();
    void getusers_Click() { directory.announce(); }
    // Own-name change: asks for the display name (the current one as default); an empty or
    // blank answer, or Cancel, changes nothing. Otherwise announces the new name and saves
    // the settings.
    void Command1_Click();
    // The button set and the groups loaded from their files; a file that could not be
    // read, or is incomplete, is told in a box (not with "/m").
    ButtonSet::LoadResult loadbuttons();
    bool loadgroups();

    // Broadcasts one datagram; false with `err` filled on a socket error.
    bool broadcast(const QString &text, SocketError *err = nullptr);
    void setStatus(const QString &text);
    // Datagrams go here instead of the sending socket when set (tests capture them).
    std::function<bool(const QString &text, SocketError *err)> sendHook;
    // "Reset Port" after a transmission when RESETPORTS is on: the monitor's reset, unless a
    // test counts the calls instead.
    std::function<void()> resetPortsHook;
    // Every Send, reply and change of the compose box switches automatic response off.
    void switchAutoResponseOff();

    // Runs a box of the Prompter with the receive queue held.
    template <class F> auto withBox(F &&f) { return transport.withBoxOpen(std::forward<F>(f)); }

    // A message that concerns this copy while away; the automatic-response logic.
    void handleAway(const Datagram::Message &message);
    std::function<void(const Datagram::Message &)> awayHandler;

Q_SIGNALS:
    void statusChanged(const QString &text);
    // `away` was cleared by a send or a compose change; the away display follows.
    void autoResponseSwitchedOff();
    void playSound();
    // The settings dialog's "Test": play this sound file now, whatever PLAYSOUND says.
    void soundTestRequested(const QString &wavefile);
    // The start-up advanced; the splash window shows the value.
    void splashProgressChanged(int value);
    // A message went into window `slot`; the window shows its state.
    void popupFilled(int slot);
    // The options were (re)loaded; the windows apply what the result says.
    void optionsApplied(const SettingsFile::LoadResult &result);
    // Saving settings changed what the windows show (`away` enabled, hints, sound file).
    void settingsSaved();
    // The button set was (re)loaded; the buttons take captions, looks and tooltips.
    void buttonsLoaded();
    // The program should end now (after a taken port at start-up, or the shutdown).
    void quitRequested();
    // The sign-off found the sending port taken: the program keeps running and shows its
    // main window.
    void shutdownAbandoned();

private:
    // Nothing when the start-up goes on with the next step, else how it ends.
    std::optional<StartResult> handleStartupError(const SocketError &err, bool listening);
    StartResult stopWithoutNetwork(const SocketError &err);
    void reportNoNetwork(const SocketError &err);

    QString folder_;
    Prompter &prompter_;
    Clock clock_;
    SocketError lastSendError_;
};
