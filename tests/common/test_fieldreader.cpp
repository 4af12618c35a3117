// Every data file the messenger reads (settings, known users, groups, buttons, history) goes
// through one field rule; files written by Windows copies or by hand must read the same way.
#include "common/fieldreader.h"

#include <QtTest>

class TestFieldReader final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsFields_data();
    void splitsFields();
    void readsFieldByFieldAndStopsAtTheEnd();
    void quotedFieldsReadBackAsWritten_data();
    void quotedFieldsReadBackAsWritten();
};

void TestFieldReader::splitsFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("comma") << "a,b,c" << QStringList{"a", "b", "c"};
    QTest::newRow("empty between commas") << "a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("line ends CR LF and LF") << "a\r\nb\nc" << QStringList{"a", "b", "c"};
    QTest::newRow("leading blanks dropped") << "  a,\t b" << QStringList{"a", "b"};
    QTest::newRow("settings line is cut at its comma")
        << "[AUTORESPONSEMSG     ]=Out, back at 2"
        << QStringList{"[AUTORESPONSEMSG     ]=Out", "back at 2"};
    QTest::newRow("quotes removed") << "\"Room ready\",\"1\"" << QStringList{"Room ready", "1"};
    QTest::newRow("comma inside quotes") << "\"Hi, Bob\",x" << QStringList{"Hi, Bob", "x"};
    QTest::newRow("line break inside quotes") << "\"line one\r\nline two\",\"0\"\r\n"
                                              << QStringList{"line one\r\nline two", "0"};
    QTest::newRow("blanks inside quotes kept") << "  \"  padded  \"" << QStringList{"  padded  "};
    QTest::newRow("text after closing quote dropped")
        << "\"a\"junk,b\r\n\"c\" tail\r\nd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("quote inside an unquoted field stays")
        << "say \"hi\",x" << QStringList{"say \"hi\"", "x"};
    QTest::newRow("empty quoted field") << "\"\",x" << QStringList{"", "x"};
    QTest::newRow("empty line gives an empty field") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("blank line gives an empty field")
        << "a\r\n   \r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("unterminated quote runs to the end")
        << "x,\"never closed, across\r\nlines" << QStringList{"x", "never closed, across\r\nlines"};
    QTest::newRow("lone quote at the end") << "x,\"" << QStringList{"x", ""};
    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("button file line")
        << "\"Patient arrived?\",\"Is my patient here?\",\"1\"\r\n\"EMERGENCY\",\"Come "
           "now!\",\"1\"\r\n"
        << QStringList{"Patient arrived?", "Is my patient here?", "1",
                       "EMERGENCY",        "Come now!",           "1"};
}

void TestFieldReader::splitsFields()
{
    QFETCH(QString, text);
    QFETCH(QStringList, fields);
    QCOMPARE(FieldReader::fields(text), fields);
}

// Callers read a known number of fields; reading past the end must be harmless.
void TestFieldReader::readsFieldByFieldAndStopsAtTheEnd()
{
    FieldReader reader(QStringLiteral("\"20251208150409\",\"12/08/25 03:04 pm\"\r\nlast"));
    QVERIFY(!reader.atEnd());
    QCOMPARE(reader.next(), QStringLiteral("20251208150409"));
    QCOMPARE(reader.next(), QStringLiteral("12/08/25 03:04 pm"));
    QCOMPARE(reader.next(), QStringLiteral("last"));
    QVERIFY(reader.atEnd());
    QCOMPARE(reader.next(), QString());
    QCOMPARE(reader.next(), QString());
    QVERIFY(reader.atEnd());
}

void TestFieldReader::quotedFieldsReadBackAsWritten_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::newRow("plain") << QStringList{"Hygiene check", "Hygiene check please", "0"};
    QTest::newRow("commas, blanks and line breaks")
        << QStringList{"  lead", "a, b", "one\r\ntwo", ""};
}

void TestFieldReader::quotedFieldsReadBackAsWritten()
{
    QFETCH(QStringList, values);
    QStringList written;
    for (const QString &value : values)
        written.append(FieldReader::quoted(value));
    const QString line = written.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    QCOMPARE(FieldReader::fields(line + line), values + values);
}

QTEST_APPLESS_MAIN(TestFieldReader)
#include "test_fieldreader.moc"
