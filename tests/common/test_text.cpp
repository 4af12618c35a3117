// Names are shown in proper case, settings lines are found by a fixed-width key, and port
// numbers are read as the leading number of whatever a person typed.
#include "common/text.h"

#include <QtTest>

class TestText final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void properCase_data();
    void properCase();
    void settingsKey_data();
    void settingsKey();
    void leadingNumber_data();
    void leadingNumber();
};

void TestText::properCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("upper-case name") << "JOHN SMITH"
                                     << "John Smith";
    QTest::newRow("mixed case") << "mARY jANE"
                                << "Mary Jane";
    QTest::newRow("identity stays lower after the bracket") << "[PC7\\OPERATOR]"
                                                            << "[pc7\\operator]";
    QTest::newRow("punctuation does not start a word") << "O'BRIEN-SMITH"
                                                       << "O'brien-smith";
    QTest::newRow("tabs and line breaks start words") << "DR\tWHO\r\nNURSE\nANN"
                                                      << "Dr\tWho\r\nNurse\nAnn";
    QTest::newRow("blanks kept as they are") << "  TWO  BLANKS "
                                             << "  Two  Blanks ";
    QTest::newRow("digits") << "ROOM 2B"
                            << "Room 2b";
    QTest::newRow("accented") << "\u00C9MILE \u00D6ZT\u00DCRK"
                              << "\u00C9mile \u00D6zt\u00FCrk";
    QTest::newRow("empty") << ""
                           << "";
}

void TestText::properCase()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Text::properCase(text), expected);
}

void TestText::settingsKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("LISTENINGPORT") << "LISTENINGPORT"
                                   << "[LISTENINGPORT       ]=";
    QTest::newRow("name with a blank") << "MY NAME"
                                       << "[MY NAME             ]=";
    QTest::newRow("19 characters") << "STARTCLEARUSERCACHE"
                                   << "[STARTCLEARUSERCACHE ]=";
    QTest::newRow("exactly 20") << "ABCDEFGHIJKLMNOPQRST"
                                << "[ABCDEFGHIJKLMNOPQRST]=";
    QTest::newRow("longer than 20 is cut") << "ABCDEFGHIJKLMNOPQRSTUV"
                                           << "[ABCDEFGHIJKLMNOPQRST]=";
}

void TestText::settingsKey()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString key = Text::settingsKey(name);
    QCOMPARE(key, expected);
    QCOMPARE(key.size(), 23);
}

void TestText::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("digits then text") << "4111abc" << 4111;
    QTest::newRow("no number") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("leading blanks") << " 12" << 12;
    QTest::newRow("leading tab") << "\t7" << 7;
    QTest::newRow("negative") << "-300" << -300;
    QTest::newRow("plus sign") << "+25" << 25;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("leading zeros") << "0042" << 42;
    QTest::newRow("too large is capped") << "99999999999999999999" << 2147483647;
    QTest::newRow("too small is capped") << "-99999999999999999999" << -2147483647;
    QTest::newRow("non-ASCII digits are no number") << "\u0664\u0661" << 0;
}

void TestText::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(Text::leadingNumber(text), expected);
}

QTEST_APPLESS_MAIN(TestText)
#include "test_text.moc"
