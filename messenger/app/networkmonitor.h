#pragma once
// The network monitor and the port management of a session. `Timer1` refreshes the caption
// and the status line from the receiving socket's state, keeps a tray-minimised main window
// hidden, and, while the status line reads "Network Error", probes the network until a
// send gets through again. The port changes and "Reset Port" re-bind both sockets.
#include "messenger/net/transport.h"

#include <QObject>
#include <QString>
#include <QTimer>

class Messenger;

class NetworkMonitor final : public QObject
{
    Q_OBJECT
public:
    static const int defaultInterval = 5000;
    // The status line text the monitor watches for.
    static const QString networkErrorText; // "Network Error"

    // `session` owns this monitor; the monitor reads and changes its options, sockets,
    // status line and log.
    explicit NetworkMonitor(Messenger &session, QObject *parent = nullptr);

    // --- Timer1 ---
    void start() { Timer1.start(); }
    void stop() { Timer1.stop(); }
    bool isActive() const { return Timer1.isActive(); }
    int interval() const { return Timer1.interval(); }
    void setInterval(int ms) { Timer1.setInterval(ms); }

    // Stops `Timer1` for its lifetime and starts it again afterwards if it was running
    // (the start-up's message boxes, the settings dialog).
    class Pause final
    {
    public:
        explicit Pause(NetworkMonitor &monitor);
        ~Pause();
        Pause(const Pause &) = delete;
        Pause &operator=(const Pause &) = delete;

    private:
        NetworkMonitor &monitor_;
        bool wasActive_;
    };

    // One tick: hide the main window while minimised to the tray, probe while the status
    // line reads "Network Error", then show "QM - " + name + the receiving socket's state.
    void Timer1_Timer();

    // The name shown for a socket state number (0 "Closed", 1 and 2 "Listening", ...).
    static QString stateName(int state);
    // "QM - " + display name in proper case + " " + the receiving socket's state name.
    QString captionText() const;
    // The caption last set by a tick (empty before the first).
    QString caption() const { return caption_; }
    // `allusers` and `List1`: disabled while the probe fails, enabled when it succeeds.
    bool listsEnabled() const { return listsEnabled_; }

    // --- Ports ---
    // Ask for a new listening (sending) port and re-bind both sockets with it. A port equal
    // to the other one, or no port at all (outside 1..65535), is refused with a message; a
    // port that cannot be bound is reported and the previous ports are bound again.
    void changeports1_Click();
    void changeports2_Click();
    // "Reset Port" (`Command6_Click`): close and re-bind both sockets with the current
    // ports, then announce the user again. The send routines call it after every
    // transmission when `Options::resetports` is on. False when a socket could not be bound
    // (reported on the status line and in the activity log).
    bool resetPorts();
    void Command6_Click() { resetPorts(); }

Q_SIGNALS:
    // The main window's caption changed (only on a change).
    void captionChanged(const QString &caption);
    // The main window must be hidden (minimised to the tray) or shown (an error while
    // probing shows it, as every error handler does).
    void hideMainWindow();
    void showMainWindow();
    // Enable or disable the user list `allusers` and the group list `List1`.
    void listsEnabledChanged(bool enabled);
    // The ports in the options changed (the settings dialog's port fields show them).
    void portsChanged(int listenPort, int sendPort);

private:
    enum class Which { Listening, Sending };
    void changePort(Which which);
    // Closes both sockets and binds them to the options' ports. Both binds are tried, so a
    // taken port leaves the other socket working. On failure `failure` holds the first error.
    bool bindBoth(SocketError *failure);
    // Puts a failed bind on the status line and into the activity log.
    void reportBindFailure(const SocketError &err);
    static QString bindFailureText(const SocketError &err);
    void setListsEnabled(bool enabled);

    Messenger &session_;
    QTimer Timer1;
    QString caption_;
    bool listsEnabled_ = true;
};
