// The receive queue (order, one-per-tick pacing, the hold, the load display) and the two UDP
// sockets (own broadcasts come back, taken ports fail, an unreachable network is named as
// such). Socket cases broadcast, so they refuse to run outside a private network namespace.
#include "messenger/net/transport.h"
#include "tests/support/testsupport.h"

#include <QSignalSpy>
#include <QtTest>

#include <cerrno>

namespace
{
// Takes whatever `tick()` asks for, as the dispatcher does: entry 0, then removes it.
struct Drain {
    explicit Drain(Transport &t) : transport(t)
    {
        QObject::connect(&t, &Transport::tick, &t, [this] {
            handled << transport.current();
            ++ticks;
            transport.removeCurrent();
        });
    }
    Transport &transport;
    QStringList handled;
    int ticks = 0;
};
} // namespace

class TestTransport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Queue, pacing and hold (no sockets)
    void cuetotalAndTraffic_data();
    void cuetotalAndTraffic();
    void drainsInOrderOnePerTick();
    void tickRepeatsUntilEntryRemoved();
    void steadyArrivalsDoNotStarveTimer();
    void arrivalWhileHeldWaits();
    void holdStopsRunningQueue();
    void releaseWithEmptyQueueStaysIdle();
    void nestedHoldsReleaseOnlyAtOutermost();
    void withBoxOpenHoldsDuringCall();
    void emptyQueueOperationsAreSafe();
    void errorClassification_data();
    void errorClassification();

    // Real sockets, inside the private namespace
    void ownBroadcastComesBack();
    void foreignBytesDecodedWhole();
    void burstArrivesInOrderAndDrains();
    void takenPortFails_data();
    void takenPortFails();
    void sendOnClosedSocketBindsOrFails();
    void statesAndPorts();
    void noRouteOnLoopbackOnly();
};

void TestTransport::cuetotalAndTraffic_data()
{
    QTest::addColumn<int>("waiting");
    QTest::addColumn<QString>("cuetotal");
    QTest::addColumn<int>("traffic");
    QTest::newRow("first") << 1 << QStringLiteral("0") << 0;
    QTest::newRow("five") << 5 << QStringLiteral("4") << 16;
    QTest::newRow("twenty-five") << 25 << QStringLiteral("24") << 96;
    QTest::newRow("twenty-six caps") << 26 << QStringLiteral("25") << 100;
    QTest::newRow("forty stays capped") << 40 << QStringLiteral("39") << 100;
}

void TestTransport::cuetotalAndTraffic()
{
    QFETCH(int, waiting);
    Transport t;
    QSignalSpy totals(&t, &Transport::cuetotalChanged);
    QSignalSpy traffic(&t, &Transport::trafficChanged);
    for (int i = 0; i < waiting; ++i)
        t.enqueue(QStringLiteral("d%1").arg(i));
    QTEST(t.cuetotal(), "cuetotal");
    QTEST(t.traffic(), "traffic");
    // Set once per arrival; the progress bar hears only real changes.
    QCOMPARE(totals.count(), waiting);
    QTEST(totals.last().at(0).toString(), "cuetotal");
    if (waiting > 1)
        QTEST(traffic.last().at(0).toInt(), "traffic");

    // The dispatcher's recount after taking one shows the entries left behind it.
    t.removeCurrent();
    t.setCuetotalFromCount();
    QCOMPARE(t.cuetotal(), QString::number(waiting - 2));
    QCOMPARE(t.traffic(), std::clamp(4 * (waiting - 2), 0, 100));
}

void TestTransport::drainsInOrderOnePerTick()
{
    Transport t;
    t.setTimerInterval(5);
    QCOMPARE(Transport().timerInterval(), 120);
    QVERIFY(!t.timerActive());
    Drain drain(t);
    QStringList sent;
    for (int i = 0; i < 6; ++i) {
        sent << QStringLiteral("[A\\B][ALL]X> %1").arg(i);
        t.enqueue(sent.last());
    }
    QVERIFY(t.timerActive());
    QTRY_VERIFY_WITH_TIMEOUT(t.isEmpty(), 5000);
    QCOMPARE(drain.handled, sent);
    QCOMPARE(drain.ticks, sent.size());
    QVERIFY(!t.timerActive());
}

// A dispatcher step that leaves entry 0 in place (a hold taken during its handling) gets the
// same datagram again on the next tick; nothing is skipped.
void TestTransport::tickRepeatsUntilEntryRemoved()
{
    Transport t;
    t.setTimerInterval(5);
    QStringList seen;
    int ticks = 0;
    connect(&t, &Transport::tick, &t, [&] {
        seen << t.current();
        if (++ticks >= 3)
            t.removeCurrent();
    });
    t.enqueue(QStringLiteral("first"));
    t.enqueue(QStringLiteral("second"));
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 4, 5000);
    QCOMPARE(seen, QStringList({"first", "first", "first", "second"}));
}

// Arrivals closer together than one tick must not keep pushing the next tick away.
void TestTransport::steadyArrivalsDoNotStarveTimer()
{
    Transport t;
    t.setTimerInterval(60);
    QSignalSpy ticks(&t, &Transport::tick);
    QTimer feeder;
    feeder.setInterval(10);
    connect(&feeder, &QTimer::timeout, &t, [&t] { t.enqueue(QStringLiteral("x")); });
    feeder.start();
    QVERIFY(ticks.wait(2000));
    feeder.stop();
}

void TestTransport::arrivalWhileHeldWaits()
{
    Transport t;
    t.setTimerInterval(5);
    Drain drain(t);
    t.setBoxOpen(true);
    t.enqueue(QStringLiteral("one"));
    t.enqueue(QStringLiteral("two"));
    QVERIFY(!t.timerActive());
    QCOMPARE(t.cue(), QStringList({"one", "two"}));
    QCOMPARE(t.cuetotal(), QStringLiteral("1"));

    t.setBoxOpen(false);
    QVERIFY(t.timerActive());
    QTRY_VERIFY_WITH_TIMEOUT(t.isEmpty(), 5000);
    QCOMPARE(drain.handled, QStringList({"one", "two"}));
}

void TestTransport::holdStopsRunningQueue()
{
    Transport t;
    t.setTimerInterval(5);
    QSignalSpy ticks(&t, &Transport::tick);
    t.enqueue(QStringLiteral("waiting"));
    QVERIFY(t.timerActive());
    t.setBoxOpen(true);
    QVERIFY(t.boxopen());
    QVERIFY(!t.timerActive());
    t.enqueue(QStringLiteral("more"));
    QVERIFY(!t.timerActive());
    QCOMPARE(ticks.count(), 0);
    t.setBoxOpen(false);
    QVERIFY(ticks.wait(2000));
}

void TestTransport::releaseWithEmptyQueueStaysIdle()
{
    Transport t;
    t.setBoxOpen(true);
    t.setBoxOpen(false);
    QVERIFY(!t.timerActive());
}

// A box opened from code that already holds the queue must not release it when it closes.
void TestTransport::nestedHoldsReleaseOnlyAtOutermost()
{
    Transport t;
    t.enqueue(QStringLiteral("x"));
    {
        Transport::BoxHold outer(t);
        {
            Transport::BoxHold inner(t);
            QVERIFY(t.boxopen());
        }
        QVERIFY(t.boxopen());
        QVERIFY(!t.timerActive());
    }
    QVERIFY(!t.boxopen());
    QVERIFY(t.timerActive());
}

void TestTransport::withBoxOpenHoldsDuringCall()
{
    Transport t;
    t.enqueue(QStringLiteral("x"));
    bool heldInside = false;
    const int answer = t.withBoxOpen([&] {
        heldInside = t.boxopen() && !t.timerActive();
        return 7;
    });
    QVERIFY(heldInside);
    QCOMPARE(answer, 7);
    QVERIFY(!t.boxopen());
    QVERIFY(t.timerActive());
}

void TestTransport::emptyQueueOperationsAreSafe()
{
    Transport t;
    QCOMPARE(t.current(), QString());
    t.removeCurrent();
    QVERIFY(t.isEmpty());
    t.setCuetotalFromCount();
    QCOMPARE(t.cuetotal(), QStringLiteral("-1"));
    QCOMPARE(t.traffic(), 0);
    // An empty datagram is still a datagram: queued, and later ignored by the split.
    t.enqueue(QString());
    QCOMPARE(t.cue().size(), 1);
}

void TestTransport::errorClassification_data()
{
    QTest::addColumn<int>("qtError");
    QTest::addColumn<int>("osError");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::newRow("taken port") << int(QAbstractSocket::AddressInUseError) << EADDRINUSE << 10048
                                << QStringLiteral("Address in use");
    QTest::newRow("network unreachable") << int(QAbstractSocket::NetworkError) << ENETUNREACH
                                         << 10065 << QStringLiteral("No route to host.");
    QTest::newRow("host unreachable") << int(QAbstractSocket::NetworkError) << EHOSTUNREACH << 10065
                                      << QStringLiteral("No route to host.");
    QTest::newRow("too large keeps Qt's text") << int(QAbstractSocket::DatagramTooLargeError)
                                               << EMSGSIZE << 10040 << QStringLiteral("qt text");
    QTest::newRow("access keeps Qt's text")
        << int(QAbstractSocket::SocketAccessError) << EACCES << 10013 << QStringLiteral("qt text");
    QTest::newRow("unknown") << int(QAbstractSocket::UnknownSocketError) << 0 << 20999
                             << QStringLiteral("qt text");
}

void TestTransport::errorClassification()
{
    QFETCH(int, qtError);
    QFETCH(int, osError);
    const SocketError e = Transport::classify(static_cast<QAbstractSocket::SocketError>(qtError),
                                              QStringLiteral("qt text"), osError);
    QTEST(e.number, "number");
    QTEST(e.description, "description");
}

void TestTransport::ownBroadcastComesBack()
{
    REQUIRE_PRIVATE_NETWORK();
    Transport t;
    SocketError err;
    QVERIFY2(t.bind(47311, 47312, &err), qPrintable(err.description));
    // Characters of the 8-bit code page survive the trip; one outside it arrives as "?".
    const QString text = QStringLiteral("***[PC7\\OPÉRATEUR]=CAFÉ € ok");
    QVERIFY2(t.send(text, &err), qPrintable(err.description));
    QVERIFY(t.send(QStringLiteral("snow \u2603"), &err));
    QTRY_COMPARE_WITH_TIMEOUT(t.cue().size(), 2, 5000);
    QCOMPARE(t.cue().at(0), text);
    QCOMPARE(t.cue().at(1), QStringLiteral("snow ?"));
    QCOMPARE(t.cuetotal(), QStringLiteral("1"));
    QVERIFY(t.timerActive());
}

// What another program puts on the wire arrives as one entry per datagram, bytes decoded
// from the code page, line breaks and brackets kept.
void TestTransport::foreignBytesDecodedWhole()
{
    REQUIRE_PRIVATE_NETWORK();
    Transport t;
    QVERIFY(t.bind(47321, 47322));
    QUdpSocket other;
    QVERIFY(other.bind(QHostAddress::AnyIPv4, 47323));
    const QByteArray first("[PC2\\ANNA][ALL]ANNA> caf\xe9 \x80 ]x[\r\nline two");
    const QByteArray second("**-[PC2\\ANNA]=ANNA");
    QCOMPARE(other.writeDatagram(first, QHostAddress::Broadcast, 47321), qint64(first.size()));
    QCOMPARE(other.writeDatagram(second, QHostAddress::Broadcast, 47321), qint64(second.size()));
    QTRY_COMPARE_WITH_TIMEOUT(t.cue().size(), 2, 5000);
    QCOMPARE(t.cue().at(0),
             QStringLiteral("[PC2\\ANNA][ALL]ANNA> caf\u00e9 \u20ac ]x[\r\nline two"));
    QCOMPARE(t.cue().at(1), QString::fromLatin1(second));
}

void TestTransport::burstArrivesInOrderAndDrains()
{
    REQUIRE_PRIVATE_NETWORK();
    Transport t;
    QVERIFY(t.bind(47331, 47332));
    t.setBoxOpen(true); // let the whole burst land before draining
    QStringList sent;
    for (int i = 0; i < 30; ++i) {
        sent << QStringLiteral("[PC%1\\U][ALL]U> burst %1").arg(i);
        QVERIFY(t.send(sent.last()));
    }
    QTRY_COMPARE_WITH_TIMEOUT(t.cue().size(), sent.size(), 5000);
    QCOMPARE(t.cue(), sent);
    QCOMPARE(t.traffic(), 100);
    QVERIFY(!t.timerActive());

    t.setTimerInterval(5);
    Drain drain(t);
    t.setBoxOpen(false);
    QTRY_VERIFY_WITH_TIMEOUT(t.isEmpty(), 5000);
    QCOMPARE(drain.handled, sent);
    QCOMPARE(drain.ticks, sent.size());
}

void TestTransport::takenPortFails_data()
{
    QTest::addColumn<int>("listenPort");
    QTest::addColumn<int>("sendPort");
    QTest::addColumn<int>("takenPort");
    QTest::addColumn<int>("listeningState");
    QTest::newRow("listening port taken") << 47341 << 47342 << 47341 << 0;
    QTest::newRow("sending port taken") << 47343 << 47344 << 47344 << 1;
}

void TestTransport::takenPortFails()
{
    REQUIRE_PRIVATE_NETWORK();
    QFETCH(int, listenPort);
    QFETCH(int, sendPort);
    QFETCH(int, takenPort);
    // Even a holder that offers to share the port keeps it.
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::AnyIPv4, takenPort, QAbstractSocket::ShareAddress));
    Transport t;
    SocketError err;
    QVERIFY(!t.bind(listenPort, sendPort, &err));
    QCOMPARE(err.description, QStringLiteral("Address in use"));
    QCOMPARE(err.number, 10048);
    QCOMPARE(err.port, takenPort);
    QTEST(t.listeningState(), "listeningState");
    QCOMPARE(t.sendingState(), 0);

    // A second copy on the same ports is refused too.
    holder.close();
    QVERIFY(t.bind(listenPort, sendPort));
    Transport second;
    QVERIFY(!second.bind(listenPort, sendPort, &err));
    QCOMPARE(err.description, QStringLiteral("Address in use"));
    QCOMPARE(err.port, listenPort);
}

// Sending after the sockets were closed takes the sending port again; when someone else
// holds it meanwhile, the send fails as a taken port rather than going out from another one.
void TestTransport::sendOnClosedSocketBindsOrFails()
{
    REQUIRE_PRIVATE_NETWORK();
    Transport t;
    QVERIFY(t.bind(47351, 47352));
    t.close();
    QVERIFY(t.bindListening(47351));
    QVERIFY(t.send(QStringLiteral("again")));
    QCOMPARE(t.sendingState(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(t.cue().size(), 1, 5000);

    t.close();
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::AnyIPv4, 47352));
    SocketError err;
    QVERIFY(!t.send(QStringLiteral("lost"), &err));
    QCOMPARE(err.description, QStringLiteral("Address in use"));
    QCOMPARE(err.number, 10048);
}

void TestTransport::statesAndPorts()
{
    REQUIRE_PRIVATE_NETWORK();
    Transport t;
    QCOMPARE(t.listeningState(), 0);
    QCOMPARE(t.sendingState(), 0);
    QVERIFY(t.bind(47361, 47362));
    QCOMPARE(t.listeningState(), 1);
    QCOMPARE(t.sendingState(), 1);
    QCOMPARE(t.localListenPort(), 47361);
    QCOMPARE(t.remoteSendPort(), 47362);
    // Re-binding to other ports releases the old ones.
    QVERIFY(t.bind(47363, 47364));
    Transport other;
    QVERIFY(other.bind(47361, 47362));
    t.close();
    QCOMPARE(t.listeningState(), 0);
    QCOMPARE(t.sendingState(), 0);

    QVERIFY(!Transport::localHostName().isEmpty());
    const QByteArray lanAddr = qgetenv("NETNS_RUN_ADDR");
    if (!lanAddr.isEmpty())
        QCOMPARE(Transport::localIp(), QString::fromLatin1(lanAddr));
}

// Registered as its own test that runs in a namespace with loopback only.
void TestTransport::noRouteOnLoopbackOnly()
{
    if (qEnvironmentVariable("VT_LOOPBACK_ONLY") != QLatin1String("1"))
        QSKIP("runs only in the loopback-only namespace (VT_LOOPBACK_ONLY=1)");
    REQUIRE_PRIVATE_NETWORK();
    QCOMPARE(Transport::localIp(), QStringLiteral("127.0.0.1"));
    Transport t;
    QVERIFY(t.bind(47371, 47372));
    SocketError err;
    QVERIFY(!t.send(QStringLiteral(" "), &err));
    QCOMPARE(err.description, QStringLiteral("No route to host."));
    QCOMPARE(err.number, 10065);
    QCOMPARE(t.sendingState(), 1);
}

QTEST_GUILESS_MAIN(TestTransport)
#include "test_transport.moc"
