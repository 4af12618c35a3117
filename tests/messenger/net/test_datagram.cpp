// The datagram texts a Windows copy expects byte for byte, and how a receiver classifies and
// splits what arrives, including the malformed and hostile cases.
#include "messenger/net/datagram.h"

#include <QtTest>

class TestDatagram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void builders_data();
    void builders();
    void classify_data();
    void classify();
    void splitPresence_data();
    void splitPresence();
    void splitMessage_data();
    void splitMessage();
    void builtTextsSplitBack();
    void autoResponseMarker_data();
    void autoResponseMarker();
    void upperKeepsCodePage_data();
    void upperKeepsCodePage();
};

void TestDatagram::builders_data()
{
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    const QString id = QStringLiteral("[PC7\\OPERATOR]");
    const QString to = QStringLiteral("[PC2\\ANNA]");
    const QString name = QStringLiteral("FRONT DESK");

    QTest::newRow("announce") << Datagram::announce(id, name)
                              << QStringLiteral("***[PC7\\OPERATOR]=FRONT DESK");
    QTest::newRow("reply") << Datagram::reply(id, name)
                           << QStringLiteral("**-[PC7\\OPERATOR]=FRONT DESK");
    QTest::newRow("sign-off") << Datagram::signOff(id, name)
                              << QStringLiteral("-**[PC7\\OPERATOR]=FRONT DESK");
    QTest::newRow("message to user")
        << Datagram::message(id, to, Datagram::composeBody(name, QStringLiteral("Room ready")))
        << QStringLiteral("[PC7\\OPERATOR][PC2\\ANNA]FRONT DESK> Room ready");
    QTest::newRow("message to all")
        << Datagram::message(id, Datagram::everybody,
                             Datagram::toAllBody(name, QStringLiteral("EMERGENCY")))
        << QStringLiteral("[PC7\\OPERATOR][ALL]FRONT DESK> (To All) EMERGENCY");
    QTest::newRow("reply routine to all")
        << Datagram::replyToAllBody(name, QStringLiteral("ANNA> hi\r\nFRONT DESK> ok"))
        << QStringLiteral("To All (from FRONT DESK):\r\nANNA> hi\r\nFRONT DESK> ok");
    QTest::newRow("automatic forward")
        << Datagram::autoForwardBody(name, QStringLiteral("ANNA> call me"))
        << QStringLiteral("-- Msg auto fwded by FRONT DESK --\r\nANNA> call me");
    QTest::newRow("automatic response")
        << Datagram::autoResponseBody(QStringLiteral("ANNA> call me"), name,
                                      QStringLiteral("I'm away from my desk"))
        << QStringLiteral(":RE: ANNA> call me\r\nFRONT DESK> (Auto Resp) I'm away from my desk");
    QTest::newRow("network test") << Datagram::networkTest() << QStringLiteral(" ");
    QTest::newRow("to nobody") << Datagram::message(id, Datagram::nobody, QString())
                               << QStringLiteral("[PC7\\OPERATOR][---]");
}

void TestDatagram::builders()
{
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

void TestDatagram::classify_data()
{
    QTest::addColumn<QString>("datagram");
    QTest::addColumn<bool>("presence");
    QTest::newRow("announce") << QStringLiteral("***[A\\B]=X") << true;
    QTest::newRow("reply") << QStringLiteral("**-[A\\B]=X") << true;
    QTest::newRow("sign-off") << QStringLiteral("-**[A\\B]=X") << true;
    QTest::newRow("marker only") << QStringLiteral("***") << true;
    QTest::newRow("message") << QStringLiteral("[A\\B][ALL]X> hi") << false;
    QTest::newRow("other marker mix") << QStringLiteral("*-*[A\\B]=X") << false;
    QTest::newRow("two stars") << QStringLiteral("**") << false;
    QTest::newRow("marker not at start") << QStringLiteral(" ***[A\\B]=X") << false;
    QTest::newRow("network test") << QStringLiteral(" ") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestDatagram::classify()
{
    QFETCH(QString, datagram);
    QFETCH(bool, presence);
    QCOMPARE(Datagram::isPresence(datagram), presence);
    QCOMPARE(Datagram::classify(datagram),
             presence ? Datagram::Kind::Presence : Datagram::Kind::Message);
}

void TestDatagram::splitPresence_data()
{
    QTest::addColumn<QString>("datagram");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QString>("identity");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << QStringLiteral("***[PC7\\OPERATOR]=FRONT DESK") << true
                           << QStringLiteral("***") << QStringLiteral("[PC7\\OPERATOR]")
                           << QStringLiteral("FRONT DESK");
    QTest::newRow("lower case made upper")
        << QStringLiteral("**-[pc7\\operator]=front desk") << true << QStringLiteral("**-")
        << QStringLiteral("[PC7\\OPERATOR]") << QStringLiteral("FRONT DESK");
    QTest::newRow("only the first = splits")
        << QStringLiteral("-**[PC7\\OP]=A=B") << true << QStringLiteral("-**")
        << QStringLiteral("[PC7\\OP]") << QStringLiteral("A=B");
    QTest::newRow("empty name") << QStringLiteral("***[PC7\\OP]=") << true << QStringLiteral("***")
                                << QStringLiteral("[PC7\\OP]") << QString();
    QTest::newRow("empty identity") << QStringLiteral("***=NAME") << true << QStringLiteral("***")
                                    << QString() << QStringLiteral("NAME");
    QTest::newRow("no =") << QStringLiteral("***[PC7\\OPERATOR]") << false << QString() << QString()
                          << QString();
    QTest::newRow("marker only") << QStringLiteral("***") << false << QString() << QString()
                                 << QString();
    QTest::newRow("not presence") << QStringLiteral("[A][B]x=y") << false << QString() << QString()
                                  << QString();
}

void TestDatagram::splitPresence()
{
    QFETCH(QString, datagram);
    QFETCH(bool, ok);
    const Datagram::Presence p = Datagram::splitPresence(datagram);
    QCOMPARE(p.ok, ok);
    if (!ok)
        return;
    QTEST(p.marker, "marker");
    QTEST(p.identity, "identity");
    QTEST(p.name, "name");
}

void TestDatagram::splitMessage_data()
{
    QTest::addColumn<QString>("datagram");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QString>("body");
    QTest::newRow("to all") << QStringLiteral("[PC7\\OP][ALL]FRONT> (To All) hi") << true
                            << QStringLiteral("[PC7\\OP]") << QStringLiteral("[ALL]")
                            << QStringLiteral("FRONT> (To All) hi");
    QTest::newRow("brackets in body taken whole")
        << QStringLiteral("[A\\B][C\\D]X> see [note] ] and [") << true << QStringLiteral("[A\\B]")
        << QStringLiteral("[C\\D]") << QStringLiteral("X> see [note] ] and [");
    QTest::newRow("empty body") << QStringLiteral("[A\\B][ALL]") << true << QStringLiteral("[A\\B]")
                                << QStringLiteral("[ALL]") << QString();
    QTest::newRow("multi-line body")
        << QStringLiteral("[A\\B][---]X> a\r\nY> b") << true << QStringLiteral("[A\\B]")
        << QStringLiteral("[---]") << QStringLiteral("X> a\r\nY> b");
    // The split is positional, like the receivers on the other copies: fields need not start
    // with "[" and are not upper-cased.
    QTest::newRow("fields kept as sent")
        << QStringLiteral("junk]x]rest") << true << QStringLiteral("junk]") << QStringLiteral("x]")
        << QStringLiteral("rest");
    QTest::newRow("adjacent brackets")
        << QStringLiteral("]]") << true << QStringLiteral("]") << QStringLiteral("]") << QString();
    QTest::newRow("one ]") << QStringLiteral("[A\\B]hello") << false << QString() << QString()
                           << QString();
    QTest::newRow("network test") << QStringLiteral(" ") << false << QString() << QString()
                                  << QString();
    QTest::newRow("empty") << QString() << false << QString() << QString() << QString();
}

void TestDatagram::splitMessage()
{
    QFETCH(QString, datagram);
    QFETCH(bool, ok);
    const Datagram::Message m = Datagram::splitMessage(datagram);
    QCOMPARE(m.ok, ok);
    if (!ok)
        return;
    QTEST(m.sender, "sender");
    QTEST(m.recipient, "recipient");
    QTEST(m.body, "body");
    // Nothing is lost or added by the split.
    QCOMPARE(m.sender + m.recipient + m.body, datagram);
}

// What one copy builds, another copy splits back into the same fields.
void TestDatagram::builtTextsSplitBack()
{
    const QString id = QStringLiteral("[PC7\\OPERATOR]");
    const QString name = QStringLiteral("DR. SMITH");

    const Datagram::Presence p = Datagram::splitPresence(Datagram::reply(id, name));
    QVERIFY(p.ok);
    QCOMPARE(p.marker, Datagram::replyMarker);
    QCOMPARE(p.identity, id);
    QCOMPARE(p.name, name);

    const QString body = Datagram::autoResponseBody(QStringLiteral("ANNA> [x] = y"), name,
                                                    QStringLiteral("back at 3"));
    const QString text = Datagram::message(id, QStringLiteral("[PC2\\ANNA]"), body);
    QVERIFY(!Datagram::isPresence(text));
    const Datagram::Message m = Datagram::splitMessage(text);
    QVERIFY(m.ok);
    QCOMPARE(m.sender, id);
    QCOMPARE(m.recipient, QStringLiteral("[PC2\\ANNA]"));
    QCOMPARE(m.body, body);
}

void TestDatagram::autoResponseMarker_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("marked");
    QTest::newRow("built response")
        << Datagram::autoResponseBody(QStringLiteral("A> x"), QStringLiteral("B"),
                                      QStringLiteral("away"))
        << true;
    QTest::newRow("four characters are enough") << QStringLiteral(":RE:x") << true;
    QTest::newRow("lower case is not") << QStringLiteral(":re: x") << false;
    QTest::newRow("not at start") << QStringLiteral("A> :RE: x") << false;
    QTest::newRow("short") << QStringLiteral(":RE") << false;
}

void TestDatagram::autoResponseMarker()
{
    QFETCH(QString, body);
    QTEST(Datagram::isAutoResponse(body), "marked");
}

// Identities are compared exactly, so upper-casing must give what a Windows copy gives:
// one character for one, and never a capital the 8-bit code page cannot carry.
void TestDatagram::upperKeepsCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QStringLiteral("[pc7\\operator]")
                           << QStringLiteral("[PC7\\OPERATOR]");
    QTest::newRow("latin-1 letters")
        << QStringLiteral("jürgen élan") << QStringLiteral("JÜRGEN ÉLAN");
    QTest::newRow("code page capitals") << QStringLiteral("šœžÿ") << QStringLiteral("ŠŒŽŸ");
    QTest::newRow("sharp s stays one character")
        << QStringLiteral("straße") << QStringLiteral("STRAßE");
    QTest::newRow("micro sign has no capital in the code page")
        << QStringLiteral("µ") << QStringLiteral("µ");
}

void TestDatagram::upperKeepsCodePage()
{
    QFETCH(QString, text);
    QTEST(Datagram::upper(text), "expected");
}

QTEST_APPLESS_MAIN(TestDatagram)
#include "test_datagram.moc"
