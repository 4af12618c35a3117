// The message window's text rules: the room/cut rule of a reply, the 970-character limit of
// the response, the reply target and the compose text of a forward.
#include "messenger/send/replylogic.h"

#include <QTest>

class TestReplyLogic : public QObject
{
    Q_OBJECT

private:
    // A conversation whose characters show where a cut was made: "0123456789" repeated.
    static QString digits(int length)
    {
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar(u'0' + i % 10);
        return text;
    }

private Q_SLOTS:
    void prepareReply_data()
    {
        QTest::addColumn<QString>("conversation");
        QTest::addColumn<QString>("response");
        QTest::addColumn<QString>("quoted"); // what stands before CR LF + "ANN> "
        QTest::addColumn<QString>("sentResponse");

        const QString conv900 = digits(900);
        QTest::newRow("short conversation is quoted whole")
            << QStringLiteral("BOB> lunch?") << QStringLiteral("yes")
            << QStringLiteral("BOB> lunch?") << QStringLiteral("yes");
        // room = 970 - (3 + 3 + 100 + 9) = 855
        QTest::newRow("900 characters and a 100-character response keep the last 855")
            << conv900 << QString(100, u'r') << QStringLiteral("ANN/BOB> ... ") + conv900.right(855)
            << QString(100, u'r');
        QTest::newRow("a conversation exactly the room long stays whole")
            << digits(855) << QString(100, u'r') << digits(855) << QString(100, u'r');
        QTest::newRow("one character past the room is cut")
            << digits(856) << QString(100, u'r')
            << QStringLiteral("ANN/BOB> ... ") + digits(856).right(855) << QString(100, u'r');
        // room = 970 - (3 + 3 + 970 + 9) = -15: the quoted part still keeps 15 characters.
        QTest::newRow("970-character response: negative room keeps |room| characters")
            << conv900 << QString(970, u'r') << QStringLiteral("ANN/BOB> ... ") + conv900.right(15)
            << QString(970, u'r');
        QTest::newRow("971-character response is cut to 970 first")
            << conv900 << QString(970, u'r') + QLatin1Char('X')
            << QStringLiteral("ANN/BOB> ... ") + conv900.right(15) << QString(970, u'r');
        QTest::newRow("negative room with a conversation shorter than |room|")
            << QStringLiteral("BOB> hi") << QString(970, u'r')
            << QStringLiteral("ANN/BOB> ... BOB> hi") << QString(970, u'r');
        QTest::newRow("empty response")
            << QStringLiteral("BOB> hi") << QString() << QStringLiteral("BOB> hi") << QString();
    }

    void prepareReply()
    {
        QFETCH(QString, conversation);
        QFETCH(QString, response);
        QFETCH(QString, quoted);
        QFETCH(QString, sentResponse);

        const ReplyLogic::Reply reply = ReplyLogic::prepareReply(
            conversation, response, QStringLiteral("ANN"), QStringLiteral("BOB"));
        QCOMPARE(reply.txtSendMessage, quoted + QStringLiteral("\r\nANN> ") + sentResponse);
        QCOMPARE(reply.response, sentResponse);
        QCOMPARE(reply.tempreply, sentResponse);
        // The history keeps what was shown, never the cut quote.
        QCOMPARE(reply.temprec, conversation);
    }

    // The names count with their own lengths: a long sender name leaves less room.
    void roomCountsBothNames()
    {
        QCOMPARE(ReplyLogic::room(QStringLiteral("ANN"), QStringLiteral("BOB"), QString(100, u'r')),
                 855);
        QCOMPARE(
            ReplyLogic::room(QStringLiteral("Annabel"), QStringLiteral("Bartholomew"), QString()),
            970 - (7 + 11 + 9));
        const QString conversation = digits(950);
        const ReplyLogic::Reply reply =
            ReplyLogic::prepareReply(conversation, QStringLiteral("ok"), QStringLiteral("Annabel"),
                                     QStringLiteral("Bartholomew"));
        QCOMPARE(reply.txtSendMessage, QStringLiteral("Annabel/Bartholomew> ... ") +
                                           conversation.right(970 - (7 + 11 + 2 + 9)) +
                                           QStringLiteral("\r\nAnnabel> ok"));
    }

    void replyTarget_data()
    {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<bool>("replyToAll");
        QTest::addColumn<QString>("target");
        QTest::newRow("to everybody, Reply to All ticked")
            << QStringLiteral("(Sent to ALL)") << true << QStringLiteral("All");
        QTest::newRow("to everybody, not ticked")
            << QStringLiteral("(Sent to ALL)") << false << QStringLiteral("Bob Smith");
        QTest::newRow("to one person, box ticked but hidden")
            << QString() << true << QStringLiteral("Bob Smith");
        QTest::newRow("to one person") << QString() << false << QStringLiteral("Bob Smith");
    }

    void replyTarget()
    {
        QFETCH(QString, marker);
        QFETCH(bool, replyToAll);
        QFETCH(QString, target);
        QCOMPARE(ReplyLogic::replyTarget(QStringLiteral("Bob Smith"), marker, replyToAll), target);
    }

    void forwardText()
    {
        QCOMPARE(ReplyLogic::forwardText(QStringLiteral("BOB> lunch?\r\nCARL> yes"),
                                         QStringLiteral("ANN")),
                 QStringLiteral("Begin forwarded message:\r\nBOB> lunch?\r\nCARL> yes\r\n"
                                "ANN> I'm forwarding this to you."));
    }

    void responseLabel()
    {
        QCOMPARE(ReplyLogic::responseLabel(QString()), QStringLiteral("Response"));
        QCOMPARE(ReplyLogic::responseLabel(QString(970, u'x')), QStringLiteral("Response"));
        QCOMPARE(ReplyLogic::responseLabel(QString(971, u'x')),
                 QStringLiteral("Message length exceeded"));
    }
};

QTEST_APPLESS_MAIN(TestReplyLogic)
#include "test_replylogic.moc"
