// The network monitor and the port management over a real session: the caption and status
// line of each tick, the probe while the network is down and the recovery after it, the
// port changes with their questions and refusals, "Reset Port", and binds that fail.
// Socket cases broadcast, so they refuse to run outside a private network namespace; the
// no-network cases run in a namespace with loopback only (VT_LOOPBACK_ONLY=1).
#include "messenger/app/messenger.h"
#include "messenger/app/networkmonitor.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QNetworkInterface>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <memory>
#include <optional>

namespace
{
const int kListen = 48111;
const int kSend = 48112;
const QString kCrLf = QStringLiteral("\r\n");
const QString kSameMessage =
    QStringLiteral("   Listening and Sending\r\nPorts cannot be the same.");
const QString kRangeMessage = QStringLiteral("Please enter a port number from 1 to 65535.");

bool loopbackOnly()
{
    return qEnvironmentVariable("VT_LOOPBACK_ONLY") == QLatin1String("1");
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

// Answers the boxes from a script and notes every box with the state it was opened in.
class ScriptedPrompter final : public Prompter
{
public:
    struct Box {
        QString text;
        QString title;
        QString defaultText;
        bool held = false;          // the receive queue was held
        bool monitorActive = false; // Timer1 was running
    };

    Messenger *session = nullptr;
    QList<std::optional<QString>> inputs; // nullopt = Cancel; none left = the default text
    QList<Box> messages;
    QList<Box> inputBoxes;

    void message(const QString &text, const QString &title) override
    {
        messages << note(text, title, QString());
    }
    Answer question(const QString &, const QString &, bool) override { return Answer::No; }
    bool input(const QString &prompt, const QString &title, const QString &defaultText,
               QString *answer) override
    {
        inputBoxes << note(prompt, title, defaultText);
        const std::optional<QString> next =
            inputs.isEmpty() ? std::optional<QString>(defaultText) : inputs.takeFirst();
        if (!next)
            return false;
        *answer = *next;
        return true;
    }

private:
    Box note(const QString &text, const QString &title, const QString &defaultText) const
    {
        Box box{text, title, defaultText, false, false};
        if (session) {
            box.held = session->transport.boxopen();
            box.monitorActive = session->monitor.isActive();
        }
        return box;
    }
};
} // namespace

class TestNetworkMonitor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void stateNames_data();
    void stateNames();
    void captionFollowsReceivingSocket();
    void hidesWindowWhileMinimized_data();
    void hidesWindowWhileMinimized();
    void timerDrivesTicks();
    void startUpEnablesMonitor();

    void probeRestoresNetwork();
    void probeFailsWhileNoRoute();
    void startUpWithoutNetworkHandsOverToMonitor();

    void changePort_data();
    void changePort();
    void changeToTakenPortKeepsOldPorts();

    void resetPortsRebindsAndAnnounces();
    void resetPortsKeepsNetworkErrorForProbe();
    void resetWithTakenPortIsReported();

private:
    // A session with display name "JOHN SMITH" on the test ports, sockets not yet bound.
    void makeSession();
    bool bindSession() { return session_->transport.bind(kListen, kSend); }
    QString announceDatagram() const
    {
        return Datagram::announce(session_->directory.user, QStringLiteral("JOHN SMITH"));
    }
    QString lastLogEntry() const
    {
        return session_->log.lstMessages().value(session_->log.lstMessages().size() - 1);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<Messenger> session_;
};

void TestNetworkMonitor::initTestCase()
{
    qputenv("COMPUTERNAME", "PC7");
    qputenv("USERNAME", "jsmith");
    QStandardPaths::setTestModeEnabled(true);
}

void TestNetworkMonitor::init()
{
    if (QByteArray(QTest::currentTestFunction()) != "stateNames") {
        REQUIRE_PRIVATE_NETWORK();
    }
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("VTMESSENGER_HOME", dir_->path().toLocal8Bit());
}

void TestNetworkMonitor::cleanup()
{
    session_.reset();
    prompter_.reset();
    dir_.reset();
}

void TestNetworkMonitor::makeSession()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    session_ = std::make_unique<Messenger>(
        dir_->path(), *prompter_, [] { return QDateTime(QDate(2024, 3, 5), QTime(10, 0)); });
    prompter_->session = session_.get();
    session_->options.friendlyname = QStringLiteral("JOHN SMITH");
    session_->options.listenPort = kListen;
    session_->options.sendPort = kSend;
}

void TestNetworkMonitor::stateNames_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("name");
    const char *names[] = {
        "Closed",        "Listening",  "Listening", "Connection pending",      "Resolving host",
        "Host resolved", "Connecting", "Connected", "Server is disconnecting", "Error"};
    for (int state = 0; state <= 9; ++state)
        QTest::newRow(qPrintable(QString::number(state)))
            << state << QString::fromLatin1(names[state]);
    QTest::newRow("unknown number") << 42 << QStringLiteral("Error");
}

void TestNetworkMonitor::stateNames()
{
    QFETCH(int, state);
    QFETCH(QString, name);
    QCOMPARE(NetworkMonitor::stateName(state), name);
}

void TestNetworkMonitor::captionFollowsReceivingSocket()
{
    makeSession();
    NetworkMonitor &monitor = session_->monitor;
    QSignalSpy captions(&monitor, &NetworkMonitor::captionChanged);

    monitor.Timer1_Timer();
    QCOMPARE(monitor.caption(), QStringLiteral("QM - John Smith Closed"));
    QCOMPARE(session_->statustext, monitor.caption());

    QVERIFY(bindSession());
    session_->setStatus(QStringLiteral("Reset Port"));
    monitor.Timer1_Timer();
    QCOMPARE(monitor.caption(), QStringLiteral("QM - John Smith Listening"));
    QCOMPARE(session_->statustext, QStringLiteral("QM - John Smith Listening"));

    // An unchanged caption is not set again, but the status line always gets it.
    session_->setStatus(QStringLiteral("Reset Port"));
    monitor.Timer1_Timer();
    QCOMPARE(captions.count(), 2);
    QCOMPARE(captions.at(1).at(0).toString(), QStringLiteral("QM - John Smith Listening"));
    QCOMPARE(session_->statustext, QStringLiteral("QM - John Smith Listening"));
    // A normal tick sends nothing and shows nothing.
    QVERIFY(prompter_->messages.isEmpty());
}

void TestNetworkMonitor::hidesWindowWhileMinimized_data()
{
    QTest::addColumn<QString>("minimized");
    QTest::addColumn<int>("hides");
    QTest::newRow("in the tray") << QStringLiteral("yes") << 1;
    QTest::newRow("shown") << QStringLiteral("no") << 0;
}

void TestNetworkMonitor::hidesWindowWhileMinimized()
{
    QFETCH(QString, minimized);
    QFETCH(int, hides);
    makeSession();
    session_->minimized = minimized;
    QSignalSpy hide(&session_->monitor, &NetworkMonitor::hideMainWindow);
    QSignalSpy show(&session_->monitor, &NetworkMonitor::showMainWindow);
    session_->monitor.Timer1_Timer();
    QCOMPARE(hide.count(), hides);
    QCOMPARE(show.count(), 0);
}

void TestNetworkMonitor::timerDrivesTicks()
{
    makeSession();
    NetworkMonitor &monitor = session_->monitor;
    QCOMPARE(monitor.interval(), 5000);
    QVERIFY(!monitor.isActive());
    monitor.setInterval(10);
    QSignalSpy captions(&monitor, &NetworkMonitor::captionChanged);
    monitor.start();
    QVERIFY(captions.wait(2000));
    QCOMPARE(captions.at(0).at(0).toString(), QStringLiteral("QM - John Smith Closed"));

    {
        NetworkMonitor::Pause pause(monitor);
        QVERIFY(!monitor.isActive());
    }
    QVERIFY(monitor.isActive());
    monitor.stop();
    {
        NetworkMonitor::Pause pause(monitor);
    }
    QVERIFY(!monitor.isActive()); // a pause does not start a monitor that was off
}

void TestNetworkMonitor::startUpEnablesMonitor()
{
    if (loopbackOnly())
        QSKIP("needs the simulated LAN");
    // A settings file on the test ports, so the start binds where nothing else runs.
    makeSession();
    const QString settings = SettingsFile::path(dir_->path());
    QVERIFY(
        SettingsFile::writeDefaults(settings, QStringLiteral("JOHN SMITH"), dir_->path(), 0, 0));
    QString text = readFile(settings);
    text.replace(QStringLiteral("]=4111"), QStringLiteral("]=") + QString::number(kListen));
    text.replace(QStringLiteral("]=4112"), QStringLiteral("]=") + QString::number(kSend));
    QFile file(settings);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toLatin1());
    file.close();

    QVERIFY(!session_->monitor.isActive());
    QCOMPARE(session_->start(), Messenger::StartResult::Running);
    QVERIFY(session_->monitor.isActive());
    QCOMPARE(session_->monitor.interval(), 5000);
    QCOMPARE(session_->transport.localListenPort(), kListen);
}

void TestNetworkMonitor::probeRestoresNetwork()
{
    if (loopbackOnly())
        QSKIP("needs the simulated LAN");
    makeSession();
    QVERIFY(bindSession());
    session_->transport.setBoxOpen(true); // keep what arrives in `cue` for inspection
    session_->setStatus(NetworkMonitor::networkErrorText);
    NetworkMonitor &monitor = session_->monitor;
    QSignalSpy statuses(session_.get(), &Messenger::statusChanged);
    QSignalSpy lists(&monitor, &NetworkMonitor::listsEnabledChanged);
    QSignalSpy show(&monitor, &NetworkMonitor::showMainWindow);

    monitor.Timer1_Timer();

    QCOMPARE(statuses.count(), 2);
    QCOMPARE(statuses.at(0).at(0).toString(), QStringLiteral("Network restored"));
    QCOMPARE(session_->statustext, QStringLiteral("QM - John Smith Listening"));
    QCOMPARE(lists.count(), 1);
    QCOMPARE(lists.at(0).at(0).toBool(), true);
    QVERIFY(monitor.listsEnabled());
    QCOMPARE(show.count(), 0);
    QVERIFY(lastLogEntry().endsWith(QStringLiteral(":Network Connection Restored")));
    QVERIFY(readFile(session_->log.currentFile())
                .contains(QStringLiteral("Network Connection Restored")));

    // The test datagram, then the announcement, both on the wire.
    QTRY_COMPARE(session_->transport.cue().size(), 2);
    QCOMPARE(session_->transport.cue(), (QStringList{QStringLiteral(" "), announceDatagram()}));

    // Back to normal: the next tick probes no more.
    monitor.Timer1_Timer();
    QTest::qWait(100);
    QCOMPARE(session_->transport.cue().size(), 2);
}

void TestNetworkMonitor::probeFailsWhileNoRoute()
{
    if (!loopbackOnly())
        QSKIP("runs only in the loopback-only namespace (VT_LOOPBACK_ONLY=1)");
    makeSession();
    QVERIFY(bindSession());
    session_->minimized = QStringLiteral("yes");
    session_->setStatus(NetworkMonitor::networkErrorText);
    NetworkMonitor &monitor = session_->monitor;
    QSignalSpy captions(&monitor, &NetworkMonitor::captionChanged);
    QSignalSpy lists(&monitor, &NetworkMonitor::listsEnabledChanged);
    QSignalSpy show(&monitor, &NetworkMonitor::showMainWindow);
    QSignalSpy hide(&monitor, &NetworkMonitor::hideMainWindow);
    const qsizetype before = session_->log.lstMessages().size();

    monitor.Timer1_Timer();
    monitor.Timer1_Timer();

    // Every tick: one entry, the lists off, the window brought up; the status line keeps
    // the trigger, so the caption is never put over it.
    QCOMPARE(session_->statustext, NetworkMonitor::networkErrorText);
    QCOMPARE(session_->log.lstMessages().size(), before + 2);
    QVERIFY(lastLogEntry().endsWith(QStringLiteral(":Network Error No route to host.")));
    QCOMPARE(readFile(session_->log.currentFile())
                 .count(QStringLiteral("Network Error No route to host.")),
             2);
    QCOMPARE(lists.count(), 2);
    QCOMPARE(lists.at(1).at(0).toBool(), false);
    QVERIFY(!monitor.listsEnabled());
    QCOMPARE(show.count(), 2);
    QCOMPARE(hide.count(), 2);
    QCOMPARE(captions.count(), 0);
    QVERIFY(prompter_->messages.isEmpty()); // an unattended copy is never stopped by a box
}

void TestNetworkMonitor::startUpWithoutNetworkHandsOverToMonitor()
{
    if (!loopbackOnly())
        QSKIP("runs only in the loopback-only namespace (VT_LOOPBACK_ONLY=1)");
    makeSession();
    QCOMPARE(session_->start(), Messenger::StartResult::NoNetwork);
    QCOMPARE(session_->statustext, NetworkMonitor::networkErrorText);
    // The box was shown with the queue held and the monitor resting; after it, the
    // monitor runs and takes over.
    QCOMPARE(prompter_->messages.size(), 1);
    QCOMPARE(prompter_->messages.at(0).text, QStringLiteral("No Network Connection."));
    QVERIFY(prompter_->messages.at(0).held);
    QVERIFY(!prompter_->messages.at(0).monitorActive);
    QVERIFY(session_->monitor.isActive());
}

void TestNetworkMonitor::changePort_data()
{
    QTest::addColumn<int>("which"); // 1 listening, 2 sending
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<int>("listen");
    QTest::addColumn<int>("send");
    QTest::addColumn<QString>("message");

    const std::optional<QString> cancel;
    auto answer = [](const char *text) {
        return std::optional<QString>(QString::fromLatin1(text));
    };
    QTest::newRow("cancelled") << 1 << cancel << kListen << kSend << QString();
    QTest::newRow("empty") << 2 << answer("") << kListen << kSend << QString();
    QTest::newRow("the current port") << 1 << answer("48111") << kListen << kSend << QString();
    QTest::newRow("the current port and more")
        << 2 << answer(" 48112 ok") << kListen << kSend << QString();
    QTest::newRow("listening = sending")
        << 1 << answer("48112") << kListen << kSend << kSameMessage;
    QTest::newRow("sending = listening")
        << 2 << answer("48111") << kListen << kSend << kSameMessage;
    QTest::newRow("new listening") << 1 << answer("48121") << 48121 << kSend << QString();
    QTest::newRow("new sending, words after")
        << 2 << answer("48122 please") << kListen << 48122 << QString();
    QTest::newRow("no number") << 1 << answer("abc") << kListen << kSend << kRangeMessage;
    QTest::newRow("too large") << 1 << answer("70000") << kListen << kSend << kRangeMessage;
    QTest::newRow("negative") << 2 << answer("-5") << kListen << kSend << kRangeMessage;
}

void TestNetworkMonitor::changePort()
{
    QFETCH(int, which);
    QFETCH(std::optional<QString>, answer);
    QFETCH(int, listen);
    QFETCH(int, send);
    QFETCH(QString, message);
    makeSession();
    QVERIFY(bindSession());
    prompter_->inputs << answer;
    QSignalSpy ports(&session_->monitor, &NetworkMonitor::portsChanged);
    const QString settings = SettingsFile::path(dir_->path());

    if (which == 1)
        session_->monitor.changeports1_Click();
    else
        session_->monitor.changeports2_Click();

    QCOMPARE(prompter_->inputBoxes.size(), 1);
    const ScriptedPrompter::Box &box = prompter_->inputBoxes.at(0);
    QCOMPARE(box.text, (which == 1 ? QStringLiteral("Please enter the new Listening Port #:")
                                   : QStringLiteral("Please enter the new Sending Port #:")) +
                           kCrLf);
    QCOMPARE(box.title, QStringLiteral("Change your Ports"));
    QCOMPARE(box.defaultText, QString::number(which == 1 ? kListen : kSend));
    QVERIFY(box.held);
    QVERIFY(!session_->transport.boxopen());

    QCOMPARE(session_->options.listenPort, listen);
    QCOMPARE(session_->options.sendPort, send);
    if (message.isEmpty()) {
        QVERIFY(prompter_->messages.isEmpty());
    } else {
        QCOMPARE(prompter_->messages.size(), 1);
        QCOMPARE(prompter_->messages.at(0).text, message);
        QVERIFY(prompter_->messages.at(0).held);
    }

    const bool changed = listen != kListen || send != kSend;
    QCOMPARE(ports.count(), changed ? 1 : 0);
    // Only a change is saved, and the sockets are then on the new ports.
    QCOMPARE(QFile::exists(settings), changed);
    QCOMPARE(session_->transport.localListenPort(), listen);
    QCOMPARE(session_->transport.remoteSendPort(), send);
    QCOMPARE(session_->transport.listeningState(), 1);
    QCOMPARE(session_->transport.sendingState(), 1);
    if (changed) {
        const QString text = readFile(settings);
        QVERIFY(text.contains(QStringLiteral("[LISTENINGPORT       ]=%1\r\n").arg(listen)));
        QVERIFY(text.contains(QStringLiteral("[SENDINGPORT         ]=%1\r\n").arg(send)));
    }
}

void TestNetworkMonitor::changeToTakenPortKeepsOldPorts()
{
    QUdpSocket other; // another program holds the port
    QVERIFY(other.bind(QHostAddress::AnyIPv4, 48131, QAbstractSocket::DontShareAddress));
    makeSession();
    QVERIFY(bindSession());
    prompter_->inputs << QStringLiteral("48131");
    QSignalSpy ports(&session_->monitor, &NetworkMonitor::portsChanged);

    session_->monitor.changeports1_Click();

    QCOMPARE(session_->options.listenPort, kListen);
    QCOMPARE(session_->transport.localListenPort(), kListen);
    QCOMPARE(session_->transport.listeningState(), 1);
    QCOMPARE(session_->transport.sendingState(), 1);
    QCOMPARE(ports.count(), 0);
    QVERIFY(!QFile::exists(SettingsFile::path(dir_->path())));
    QCOMPARE(session_->statustext, QStringLiteral("Port 48131 is in use."));
    QVERIFY(lastLogEntry().endsWith(QStringLiteral(":Network Error Address in use (port 48131)")));
    QCOMPARE(prompter_->messages.size(), 1);
    QCOMPARE(prompter_->messages.at(0).text, QStringLiteral("Port 48131 is in use."));

    // Still running on the old ports.
    session_->monitor.Timer1_Timer();
    QCOMPARE(session_->statustext, QStringLiteral("QM - John Smith Listening"));
}

void TestNetworkMonitor::resetPortsRebindsAndAnnounces()
{
    if (loopbackOnly())
        QSKIP("needs the simulated LAN");
    makeSession();
    session_->transport.setBoxOpen(true);
    QSignalSpy statuses(session_.get(), &Messenger::statusChanged);

    // From closed sockets as well as from bound ones.
    QVERIFY(session_->monitor.resetPorts());
    QCOMPARE(session_->transport.listeningState(), 1);
    QCOMPARE(session_->transport.sendingState(), 1);
    QCOMPARE(session_->statustext, QStringLiteral("Reset Port"));
    QTRY_COMPARE(session_->transport.cue(), QStringList{announceDatagram()});

    QVERIFY(session_->monitor.resetPorts());
    QTRY_COMPARE(session_->transport.cue().size(), 2);
    QCOMPARE(statuses.count(), 2);
    QVERIFY(prompter_->messages.isEmpty());
}

void TestNetworkMonitor::resetPortsKeepsNetworkErrorForProbe()
{
    if (loopbackOnly())
        QSKIP("needs the simulated LAN");
    makeSession();
    QVERIFY(bindSession());
    session_->transport.setBoxOpen(true);
    session_->setStatus(NetworkMonitor::networkErrorText);

    // A send failed and the ports were reset after it: the outage must still be probed.
    QVERIFY(session_->monitor.resetPorts());
    QCOMPARE(session_->statustext, NetworkMonitor::networkErrorText);
    session_->monitor.Timer1_Timer();
    QVERIFY(lastLogEntry().endsWith(QStringLiteral(":Network Connection Restored")));
    QCOMPARE(session_->statustext, QStringLiteral("QM - John Smith Listening"));
}

void TestNetworkMonitor::resetWithTakenPortIsReported()
{
    QUdpSocket other;
    QVERIFY(other.bind(QHostAddress::AnyIPv4, 48141, QAbstractSocket::DontShareAddress));
    makeSession();
    QVERIFY(bindSession());
    session_->options.listenPort = 48141; // taken meanwhile by another program

    QVERIFY(!session_->monitor.resetPorts());

    QCOMPARE(session_->statustext, QStringLiteral("Port 48141 is in use."));
    QVERIFY(lastLogEntry().endsWith(QStringLiteral(":Network Error Address in use (port 48141)")));
    QVERIFY(readFile(session_->log.currentFile())
                .contains(QStringLiteral("Address in use (port 48141)")));
    QVERIFY(prompter_->messages.isEmpty());
    // The sending socket still works; the caption shows the closed receiving socket.
    QCOMPARE(session_->transport.sendingState(), 1);
    session_->monitor.Timer1_Timer();
    QCOMPARE(session_->statustext, QStringLiteral("QM - John Smith Closed"));
}

QTEST_GUILESS_MAIN(TestNetworkMonitor)
#include "test_networkmonitor.moc"
