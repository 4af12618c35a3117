#include "networkmonitor.h"

#include "common/text.h"
#include "messenger/app/messenger.h"
#include "messenger/net/datagram.h"

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("Vantrell Messenger");
} // namespace

const QString NetworkMonitor::networkErrorText = QStringLiteral("Network Error");

NetworkMonitor::NetworkMonitor(Messenger &session, QObject *parent)
    : QObject(parent), session_(session)
{
    Timer1.setInterval(defaultInterval);
    connect(&Timer1, &QTimer::timeout, this, &NetworkMonitor::Timer1_Timer);
}

NetworkMonitor::Pause::Pause(NetworkMonitor &monitor)
    : monitor_(monitor), wasActive_(monitor.isActive())
{
    monitor_.stop();
}

NetworkMonitor::Pause::~Pause()
{
    if (wasActive_)
        monitor_.start();
}

QString NetworkMonitor::stateName(int state)
{
    switch (state) {
    case 0:
        return QStringLiteral("Closed");
    case 1:
    case 2:
        return QStringLiteral("Listening");
    case 3:
        return QStringLiteral("Connection pending");
    case 4:
        return QStringLiteral("Resolving host");
    case 5:
        return QStringLiteral("Host resolved");
    case 6:
        return QStringLiteral("Connecting");
    case 7:
        return QStringLiteral("Connected");
    case 8:
        return QStringLiteral("Server is disconnecting");
    default:
        return QStringLiteral("Error");
    }
}

QString NetworkMonitor::captionText() const
{
    return QStringLiteral("QM - ") + Text::properCase(session_.options.friendlyname) +
           QLatin1Char(' ') + stateName(session_.transport.listeningState());
}

void NetworkMonitor::Timer1_Timer()
{
    // A window minimised to the tray may have been brought up by an error handler.
    if (session_.minimized == QLatin1String("yes"))
        Q_EMIT hideMainWindow();

    if (session_.statustext == networkErrorText) {
        SocketError err;
        if (!session_.broadcast(Datagram::networkTest(), &err)) {
            Q_EMIT showMainWindow();
            if (err.description == Transport::noRouteText) {
                // Still down: one entry per tick, and the next tick probes again.
                session_.setStatus(networkErrorText);
                session_.log.addNetworkError(err.description);
                session_.cleanlog_Click();
                setListsEnabled(false);
            } else if (err.description != Transport::addressInUseText) {
                session_.setStatus(networkErrorText);
            }
            return;
        }
        session_.setStatus(QStringLiteral("Network restored"));
        session_.getusers_Click();
        session_.log.addNetworkRestored();
        session_.cleanlog_Click();
        setListsEnabled(true);
    }

    const QString text = captionText();
    if (caption_ != text) {
        caption_ = text;
        Q_EMIT captionChanged(caption_);
    }
    session_.setStatus(text);
}

void NetworkMonitor::setListsEnabled(bool enabled)
{
    listsEnabled_ = enabled;
    Q_EMIT listsEnabledChanged(enabled);
}

void NetworkMonitor::changeports1_Click()
{
    changePort(Which::Listening);
}

void NetworkMonitor::changeports2_Click()
{
    changePort(Which::Sending);
}

void NetworkMonitor::changePort(Which which)
{
    Options &options = session_.options;
    const bool listening = which == Which::Listening;
    int &port = listening ? options.listenPort : options.sendPort;
    const int other = listening ? options.sendPort : options.listenPort;
    Prompter &prompter = session_.prompter();

    QString answer;
    const QString prompt = listening ? QStringLiteral("Please enter the new Listening Port #:")
                                     : QStringLiteral("Please enter the new Sending Port #:");
    const bool given = session_.withBox([&] {
        return prompter.input(prompt + kCrLf, QStringLiteral("Change your Ports"),
                              QString::number(port), &answer);
    });
    if (!given || answer.isEmpty())
        return;
    const int wanted = Text::leadingNumber(answer);
    if (wanted == port)
        return;
    if (wanted == other) {
        session_.withBox([&] {
            prompter.message(QStringLiteral("   Listening and Sending") + kCrLf +
                                 QStringLiteral("Ports cannot be the same."),
                             kTitle);
        });
        return;
    }
    // An answer that is no port number would bind a port the system picks at random, where
    // no other copy sends to.
    if (wanted < 1 || wanted > 65535) {
        session_.withBox([&] {
            prompter.message(QStringLiteral("Please enter a port number from 1 to 65535."), kTitle);
        });
        return;
    }

    const int previous = port;
    port = wanted;
    SocketError err;
    if (!bindBoth(&err)) {
        // Keep the ports that worked, and say why the new one was not taken.
        port = previous;
        reportBindFailure(err);
        SocketError again;
        if (!bindBoth(&again))
            reportBindFailure(again);
        session_.withBox([&] { prompter.message(bindFailureText(err), kTitle); });
        return;
    }
    Q_EMIT portsChanged(options.listenPort, options.sendPort);
    session_.saveallsettings_Click();
}

bool NetworkMonitor::resetPorts()
{
    SocketError err;
    if (!bindBoth(&err)) {
        reportBindFailure(err);
        return false;
    }
    // While the network is down the status line must keep the monitor's trigger, or the
    // outage would never be probed, logged or recovered from; the recovery announces anyway.
    if (session_.statustext == networkErrorText)
        return true;
    session_.setStatus(QStringLiteral("Reset Port"));
    session_.getusers_Click();
    return true;
}

bool NetworkMonitor::bindBoth(SocketError *failure)
{
    Transport &transport = session_.transport;
    transport.close();
    SocketError listenError;
    SocketError sendError;
    const bool listening = transport.bindListening(session_.options.listenPort, &listenError);
    const bool sending = transport.bindSending(session_.options.sendPort, &sendError);
    if (!listening)
        *failure = listenError;
    else if (!sending)
        *failure = sendError;
    return listening && sending;
}

QString NetworkMonitor::bindFailureText(const SocketError &err)
{
    if (err.description == Transport::addressInUseText)
        return QStringLiteral("Port ") + QString::number(err.port) + QStringLiteral(" is in use.");
    return QStringLiteral("Port ") + QString::number(err.port) + QStringLiteral(": ") +
           err.description;
}

void NetworkMonitor::reportBindFailure(const SocketError &err)
{
    if (session_.statustext != networkErrorText)
        session_.setStatus(bindFailureText(err));
    session_.log.addNetworkError(err.description + QStringLiteral(" (port ") +
                                 QString::number(err.port) + QLatin1Char(')'));
    session_.cleanlog_Click();
}
