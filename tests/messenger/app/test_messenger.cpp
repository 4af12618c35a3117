// The session core's start-up and shutdown over real sockets: binding, the two announcements
// and their echo filling the directory, a taken port, the first run, a start without a
// network, and the shutdown (sign-off, archived log, saved files, nothing handled after it).
// Every case binds sockets, so each refuses to run outside a private network namespace; the
// no-network cases run in a loopback-only one of their own (VT_LOOPBACK_ONLY=1).
#include "common/textfile.h"
#include "messenger/app/messenger.h"
#include "tests/support/testsupport.h"

#include <QNetworkInterface>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace
{
const QString kMe = QStringLiteral("[PC1\\ME]");
const QString kAnn = QStringLiteral("[PC2\\ANN]");
const QString kCrLf = QStringLiteral("\r\n");
const QDateTime kNow(QDate(2008, 10, 21), QTime(22, 15, 30));

bool loopbackOnly()
{
    return qgetenv("VT_LOOPBACK_ONLY") == "1";
}

#define REQUIRE_NETWORK(wantLoopbackOnly)                                                          \
    do {                                                                                           \
        if (loopbackOnly() != (wantLoopbackOnly))                                                  \
            QSKIP((wantLoopbackOnly)                                                               \
                      ? "runs in the loopback-only namespace (VT_LOOPBACK_ONLY=1)"                 \
                      : "needs the namespace with a LAN, not the loopback-only one");              \
        REQUIRE_PRIVATE_NETWORK();                                                                 \
    } while (false)

QString readFile(const QString &path)
{
    QString text;
    TextFile::read(path, &text);
    return text;
}
} // namespace

using TestSupport::ScriptedPrompter;

class TestMessenger : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<Messenger> session;

    QString path(const QString &name) const { return dir->filePath(name); }

    // A settings file as a previous run saved it: no first-run box.
    void prepareSettings(int listenPort, int sendPort)
    {
        Options options;
        options.friendlyname = QStringLiteral("ME");
        options.listenPort = listenPort;
        options.sendPort = sendPort;
        options.soundon = false;
        options.autostartup = false;
        QVERIFY(SettingsFile::save(SettingsFile::path(dir->path()), options, 0, 0));
    }

    // hist.dat with one received row.
    void prepareHistory()
    {
        History stored;
        stored.addRow(History::receivedRow(kNow.addDays(-1), QStringLiteral("Ann"),
                                           QStringLiteral("ANN> yesterday"), kMe,
                                           QStringLiteral("Ann Msg 10:15 pm")));
        QVERIFY(stored.save(path(QStringLiteral("hist.dat"))));
    }

    QList<HistoryRow> storedHistory() const
    {
        History stored;
        stored.load(dir->filePath(QStringLiteral("hist.dat")));
        return stored.rows();
    }

    void makeSession()
    {
        prompter =
            std::make_unique<ScriptedPrompter>([this] { return session->transport.boxopen(); });
        session = std::make_unique<Messenger>(dir->path(), *prompter, [] { return kNow; });
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("COMPUTERNAME", "pc1");
        qputenv("USERNAME", "me");
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        TestSupport::isolateUser(dir->path());
        makeSession();
    }

    void cleanup()
    {
        session.reset();
        prompter.reset();
        dir.reset();
    }

    void startBindsAnnouncesTwiceAndHearsItself()
    {
        REQUIRE_NETWORK(false);
        prepareSettings(47511, 47512);
        prepareHistory();
        QSignalSpy sent(&session->directory, &Directory::send);
        QCOMPARE(session->start(), Messenger::StartResult::Running);
        QVERIFY(prompter->boxes.isEmpty());
        QVERIFY(session->startupComplete);
        QCOMPARE(session->transport.listeningState(), 1);
        QCOMPARE(session->transport.sendingState(), 1);
        // The replies are held while announcing, so the list is still empty after the first.
        QCOMPARE(sent.count(), 2);
        QCOMPARE(sent.at(0).at(0).toString(), QStringLiteral("***") + kMe + QStringLiteral("=ME"));
        QCOMPARE(sent.at(1).at(0).toString(), sent.at(0).at(0).toString());
        QVERIFY(readFile(session->log.currentFile()).contains(QStringLiteral("QM.\t\r\n---")));
        QVERIFY(session->historyLoaded);
        QCOMPARE(session->history.rows().size(), 1);

        // The own announcements come back through the socket and the dispatcher.
        QTRY_COMPARE_WITH_TIMEOUT(session->directory.allusers, QStringList{QStringLiteral("Me")},
                                  5000);
        QCOMPARE(session->directory.userlist, QStringList{kMe + QStringLiteral("=ME")});
        QTRY_COMPARE_WITH_TIMEOUT(readFile(path(QStringLiteral("users.txt"))),
                                  kMe + QStringLiteral("=ME") + kCrLf, 5000);
    }

    void takenPortEndsTheStart_data()
    {
        QTest::addColumn<int>("taken");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("listening port")
            << 47521 << false << QStringList{QStringLiteral("Port 47521 is in use.")};
        QTest::newRow("sending port")
            << 47522 << false << QStringList{QStringLiteral("Port 47522 is in use.")};
        QTest::newRow("listening port, /m") << 47521 << true << QStringList();
    }

    void takenPortEndsTheStart()
    {
        REQUIRE_NETWORK(false);
        QFETCH(int, taken);
        QFETCH(bool, silent);
        QFETCH(QStringList, messages);
        prepareSettings(47521, 47522);
        QUdpSocket holder;
        QVERIFY(
            holder.bind(QHostAddress::AnyIPv4, quint16(taken), QAbstractSocket::DontShareAddress));
        session->silent = silent;
        QSignalSpy quit(session.get(), &Messenger::quitRequested);
        QSignalSpy sent(&session->directory, &Directory::send);

        QCOMPARE(session->start(), Messenger::StartResult::PortInUse);
        QCOMPARE(prompter->messages(), messages);
        for (const ScriptedPrompter::Box &box : std::as_const(prompter->boxes))
            QVERIFY(box.held);
        QVERIFY(!session->transport.boxopen());
        QCOMPARE(quit.count(), 1);
        QCOMPARE(sent.count(), 0);
        QVERIFY(!session->startupComplete);
    }

    void shutdownSignsOffArchivesAndSaves()
    {
        REQUIRE_NETWORK(false);
        prepareSettings(47531, 47532);
        prepareHistory();
        QCOMPARE(session->start(), Messenger::StartResult::Running);
        Transport &transport = session->transport;
        transport.setBoxOpen(true); // the echo of the announcements stays out of the way
        transport.enqueue(kAnn + kMe + QStringLiteral("ANN> shown before the end"));
        transport.setBoxOpen(false);
        session->dispatcher.tick();
        QCOMPARE(session->history.rows().size(), 2);
        // Arrives just before the end: it must not be handled any more.
        transport.enqueue(kAnn + kMe + QStringLiteral("ANN> too late"));

        QSignalSpy sent(&session->directory, &Directory::send);
        QSignalSpy quit(session.get(), &Messenger::quitRequested);
        session->shutdown();
        QCOMPARE(quit.count(), 1);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).toString(), QStringLiteral("-**") + kMe + QStringLiteral("=ME"));
        QCOMPARE(transport.listeningState(), 0);

        QVERIFY(!QFile::exists(session->log.currentFile()));
        const QString archive = readFile(path(QStringLiteral("logs/log081021221530.txt")));
        QVERIFY(archive.contains(
            QStringLiteral("Msg from [PC2\\ANN]\t\r\nANN> shown before the end\r\n---")));
        QVERIFY2(archive.endsWith(QStringLiteral("QM.\t\r\n---\r\n")),
                 qPrintable(archive.right(40)));
        QVERIFY(session->log.lstMessages().isEmpty());
        QVERIFY(readFile(path(QStringLiteral("settings.txt")))
                    .contains(QStringLiteral("[MY NAME             ]=ME")));
        QVERIFY(QFile::exists(path(QStringLiteral("users.txt"))));
        const QList<HistoryRow> rows = storedHistory();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.last()[HistoryRow::MessageMain], QStringLiteral("shown before the end"));

        // Whatever is still queued stays unhandled, however often the timer fires.
        QVERIFY(!transport.timerActive());
        session->dispatcher.tick();
        QVERIFY(!QFile::exists(session->log.currentFile()));
        QCOMPARE(session->popupSlots.pucount(), QStringLiteral("9"));
    }

    // A sign-off that finds the sending port taken abandons the end: the copy runs on. Any
    // other failure still ends it, with the history saved.
    void shutdownWhenTheSignOffFails_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("ends");
        QTest::newRow("port taken") << Transport::addressInUseText << false;
        QTest::newRow("network gone") << Transport::noRouteText << true;
    }

    void shutdownWhenTheSignOffFails()
    {
        QFETCH(QString, description);
        QFETCH(bool, ends);
        prepareHistory();
        QVERIFY(session->history.load(path(QStringLiteral("hist.dat"))));
        session->historyLoaded = true;
        session->history.addRow(History::receivedRow(kNow, QStringLiteral("Ann"),
                                                     QStringLiteral("ANN> today"), kMe,
                                                     QStringLiteral("Ann Msg 10:15 pm")));
        session->sendHook = [&](const QString &, SocketError *err) {
            err->number = description == Transport::addressInUseText ? Transport::addressInUseNumber
                                                                     : Transport::noRouteNumber;
            err->description = description;
            return false;
        };
        QSignalSpy quit(session.get(), &Messenger::quitRequested);
        QSignalSpy abandoned(session.get(), &Messenger::shutdownAbandoned);
        session->shutdown();
        QCOMPARE(quit.count(), ends ? 1 : 0);
        QCOMPARE(abandoned.count(), ends ? 0 : 1);
        QCOMPARE(session->transport.boxopen(), ends);
        QCOMPARE(session->monitor.isActive(), !ends);
        QCOMPARE(storedHistory().size(), ends ? 2 : 1);
        // Users and settings were saved before the sign-off either way.
        QVERIFY(QFile::exists(path(QStringLiteral("users.txt"))));
    }

    void firstRunWithoutNetwork_data()
    {
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("messages");
        const QStringList noNetwork{QStringLiteral("No Network Connection.")};
        QTest::newRow("name typed")
            << true << QStringLiteral("ann lee") << false << QStringLiteral("ANN LEE") << noNetwork;
        QTest::newRow("box cancelled")
            << false << QStringLiteral("ignored") << false << QString() << noNetwork;
        QTest::newRow("/m: still asked for the name, no network box")
            << true << QStringLiteral("Ann") << true << QStringLiteral("ANN") << QStringList();
    }

    void firstRunWithoutNetwork()
    {
        REQUIRE_NETWORK(true);
        QFETCH(bool, given);
        QFETCH(QString, answer);
        QFETCH(bool, silent);
        QFETCH(QString, name);
        QFETCH(QStringList, messages);
        prompter->inputGiven = given;
        prompter->inputAnswer = answer;
        session->silent = silent;

        QCOMPARE(session->start(), Messenger::StartResult::NoNetwork);
        QVERIFY(!prompter->boxes.isEmpty());
        const ScriptedPrompter::Box &box = prompter->boxes.first();
        QCOMPARE(box.kind, QStringLiteral("input"));
        QCOMPARE(box.text, QStringLiteral("Please enter your name:\r\n"));
        QCOMPARE(box.title, QStringLiteral("Vantrell Messenger Setup"));
        QCOMPARE(box.defaultText, QStringLiteral("me"));
        for (const ScriptedPrompter::Box &b : std::as_const(prompter->boxes))
            QVERIFY(b.held);
        QCOMPARE(prompter->messages(), messages);

        QCOMPARE(session->options.friendlyname, name);
        const QString settings = readFile(SettingsFile::path(dir->path()));
        QVERIFY2(settings.contains(QStringLiteral("[MY NAME             ]=") + name + kCrLf),
                 qPrintable(settings));
        QCOMPARE(session->statustext, QStringLiteral("Network Error"));
        QVERIFY(readFile(session->log.currentFile())
                    .contains(QStringLiteral("Network Error No route to host.")));
        QVERIFY(!session->transport.boxopen());
        QVERIFY(session->startupComplete);
    }

    // The start stops after the failed announcement; the history must still be read, or the
    // messages of this run could only be saved by throwing the stored ones away.
    void noNetworkStartKeepsTheHistory()
    {
        REQUIRE_NETWORK(true);
        prepareSettings(4111, 4112);
        prepareHistory();
        QCOMPARE(session->start(), Messenger::StartResult::NoNetwork);
        QCOMPARE(session->history.rows().size(), 1);
        session->transport.enqueue(kAnn + kMe + QStringLiteral("ANN> while offline"));
        session->dispatcher.tick();
        session->shutdown();
        const QList<HistoryRow> rows = storedHistory();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.first()[HistoryRow::MessageMain], QStringLiteral("yesterday"));
        QCOMPARE(rows.last()[HistoryRow::MessageMain], QStringLiteral("while offline"));
        QVERIFY(!QFile::exists(session->log.currentFile()));
    }
};

QTEST_GUILESS_MAIN(TestMessenger)
#include "test_messenger.moc"
