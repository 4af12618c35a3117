// The speaker colouring of a conversation, as the message window and the history use it.
#include "messenger/windows/conversationcolour.h"

#include <QtTest>

using Colour = ConversationColour::Colour;
using Missing = ConversationColour::MissingOther;

Q_DECLARE_METATYPE(ConversationColour::MissingOther)

namespace
{
const QString kThreeLines = QStringLiteral("BOB> are you free?\r\nME> yes, come in\r\nBOB> thanks");

// The text with every red character replaced by '.', so a case reads like the conversation.
// Fails the test when the runs do not cover the text in order without gaps.
QString painted(const QString &text, const QList<ConversationColour::Run> &runs)
{
    QString out;
    for (const auto &run : runs) {
        if (run.start != out.size() || run.length <= 0)
            return QStringLiteral("<runs not contiguous>");
        const QString part = text.mid(run.start, run.length);
        out += run.colour == Colour::Black ? part : QString(part.size(), QLatin1Char('.'));
    }
    return out.size() == text.size() ? out : QStringLiteral("<runs do not cover the text>");
}

QString dots(qsizetype n)
{
    return QString(n, QLatin1Char('.'));
}
} // namespace

class TestConversationColour : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void colours_data();
    void colours();
    void neighbouringStretchesMerge();
};

void TestConversationColour::colours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("other");
    QTest::addColumn<Missing>("missing");
    QTest::addColumn<QString>("expected");

    const QString ownLine = QStringLiteral("ME> yes, come in\r\n");
    QTest::newRow("three lines: own line black")
        << kThreeLines << "ME"
        << "BOB" << Missing::Stop << dots(20) + ownLine + dots(11);
    QTest::newRow("names found without regard to case")
        << QStringLiteral("Bob> are you free?\r\nMe> yes, come in\r\nbob> thanks") << "ME"
        << "Bob" << Missing::Stop << dots(20) + QStringLiteral("Me> yes, come in\r\n") + dots(11);
    const QString noOwn = QStringLiteral("BOB> hello\r\nANN> hi");
    QTest::newRow("own name never mentioned: all red")
        << noOwn << "ME"
        << "BOB" << Missing::Stop << dots(noOwn.size());

    const QString unanswered = kThreeLines + QStringLiteral("\r\nME> see you");
    QTest::newRow("unanswered last own line stays red, earlier stays black")
        << unanswered << "ME"
        << "BOB" << Missing::Stop << dots(20) + ownLine + dots(24);
    QTest::newRow("black to the end when the other party is missing")
        << unanswered << "ME"
        << "BOB" << Missing::BlackToEnd
        << dots(20) + ownLine + dots(13) + QStringLiteral("ME> see you");
    QTest::newRow("own name twice before the answer: both lines black")
        << QStringLiteral("ME> one\r\nME> two\r\nBOB> ok") << "ME"
        << "BOB" << Missing::Stop << QStringLiteral("ME> one\r\nME> two\r\n") + dots(7);
    QTest::newRow("empty own name: all red, no endless search")
        << QStringLiteral("BOB> hi") << ""
        << "BOB" << Missing::BlackToEnd << dots(7);
    QTest::newRow("empty text: no runs") << ""
                                         << "ME"
                                         << "BOB" << Missing::Stop << "";
}

void TestConversationColour::colours()
{
    QFETCH(QString, text);
    QFETCH(QString, own);
    QFETCH(QString, other);
    QFETCH(Missing, missing);
    QFETCH(QString, expected);
    QCOMPARE(painted(text, ConversationColour::runs(text, own, other, missing)), expected);
}

void TestConversationColour::neighbouringStretchesMerge()
{
    // Overlapping own stretches come back as one run, so a view applies each run once.
    const QString text = QStringLiteral("ME> one\r\nME> two\r\nBOB> ok");
    const QList<ConversationColour::Run> expected{{0, 18, Colour::Black}, {18, 7, Colour::Red}};
    QCOMPARE(ConversationColour::runs(text, QStringLiteral("ME"), QStringLiteral("BOB")), expected);
}

QTEST_APPLESS_MAIN(TestConversationColour)
#include "test_conversationcolour.moc"
