// Time stamps end up in log entries, archive and slot names, history rows and window captions
// that Windows copies and the log viewer parse by position, so every character counts.
#include "common/datetimeformat.h"

#include <QtTest>

namespace
{
QDateTime at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}
} // namespace

class TestDateTimeFormat final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatsTheProgramsPatterns_data();
    void formatsTheProgramsPatterns();
    void logStampIsAlwaysSixteenCharacters();
    void invalidDateGivesNoCrash();
};

void TestDateTimeFormat::formatsTheProgramsPatterns_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    const QDateTime afternoon = at(2025, 12, 8, 15, 4, 9);
    const QString log = QLatin1String(DateTimeFormat::LogStamp);
    QTest::newRow("log stamp afternoon") << afternoon << log << "12-08-25:03:04p:";
    QTest::newRow("log stamp midnight") << at(2026, 1, 2, 0, 5) << log << "01-02-26:12:05a:";
    QTest::newRow("log stamp noon") << at(2026, 1, 2, 12, 0) << log << "01-02-26:12:00p:";
    QTest::newRow("log stamp before noon") << at(2026, 1, 2, 11, 59) << log << "01-02-26:11:59a:";
    QTest::newRow("log stamp before midnight")
        << at(2026, 1, 2, 23, 59) << log << "01-02-26:11:59p:";

    QTest::newRow("slot record date")
        << at(2008, 10, 21, 10, 15, 30) << QString::fromLatin1(DateTimeFormat::SlotDate)
        << "081021101530";
    QTest::newRow("archive name keeps the 24-hour clock")
        << afternoon << QString::fromLatin1(DateTimeFormat::ArchiveName) << "251208150409";
    QTest::newRow("archive name at midnight")
        << at(2026, 1, 1, 0, 0, 0) << QString::fromLatin1(DateTimeFormat::ArchiveName)
        << "260101000000";

    const QString index = QLatin1String(DateTimeFormat::HistoryIndex);
    QTest::newRow("history index") << afternoon << index << "20251208150409";
    QTest::newRow("history index at midnight")
        << at(2026, 1, 1, 0, 0, 0) << index << "20260101000000";

    const QString historyDate = QLatin1String(DateTimeFormat::HistoryDate);
    QTest::newRow("history date, mm after hh: is minutes")
        << afternoon << historyDate << "12/08/25 03:04 pm";
    QTest::newRow("history date at midnight")
        << at(2026, 1, 1, 0, 7) << historyDate << "01/01/26 12:07 am";
    QTest::newRow("history date at noon")
        << at(2026, 6, 30, 12, 30) << historyDate << "06/30/26 12:30 pm";

    const QString caption = QLatin1String(DateTimeFormat::CaptionTime);
    QTest::newRow("caption time") << afternoon << caption << "03:04 pm";
    QTest::newRow("caption time morning") << at(2025, 12, 8, 9, 41) << caption << "09:41 am";
    QTest::newRow("caption time midnight") << at(2025, 12, 8, 0, 0) << caption << "12:00 am";

    QTest::newRow("saved log date") << afternoon << "ddd mmm d, yyyy"
                                    << "Mon Dec 8, 2025";
    QTest::newRow("saved log date, two-digit day") << at(2026, 3, 21, 8, 0) << "ddd mmm d, yyyy"
                                                   << "Sat Mar 21, 2026";
    QTest::newRow("saved log time, hour without zero") << afternoon << "h:nn am/pm"
                                                       << "3:04 pm";
    QTest::newRow("saved log time at midnight") << at(2026, 3, 21, 0, 9) << "h:nn am/pm"
                                                << "12:09 am";
    QTest::newRow("log viewer date") << afternoon << "mmm dd, yy"
                                     << "Dec 08, 25";
    QTest::newRow("log viewer weekday") << at(2026, 1, 4, 1, 2) << "ddd"
                                        << "Sun";
    QTest::newRow("log viewer time") << afternoon << "hh:nn am/pm"
                                     << "03:04 pm";

    QTest::newRow("24-hour clock without marker") << afternoon << "hh:nn:ss"
                                                  << "15:04:09";
    QTest::newRow("mm not after hh: is the month") << afternoon << "hh mm"
                                                   << "15 12";
    QTest::newRow("marker in lower case whatever the pattern's case") << afternoon << "HH:MM AM/PM"
                                                                      << "03:04 pm";
}

void TestDateTimeFormat::formatsTheProgramsPatterns()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(DateTimeFormat::format(when, pattern), expected);
}

// The log window and the log viewer cut the entry text at column 17.
void TestDateTimeFormat::logStampIsAlwaysSixteenCharacters()
{
    for (int hour = 0; hour < 24; ++hour) {
        const QString stamp = DateTimeFormat::format(at(2009, 1, 1, hour, 0),
                                                     QLatin1String(DateTimeFormat::LogStamp));
        QVERIFY2(stamp.size() == 16, qPrintable(stamp));
    }
}

void TestDateTimeFormat::invalidDateGivesNoCrash()
{
    const QString out =
        DateTimeFormat::format(QDateTime(), QStringLiteral("ddd mmm d, yyyy hh:nn am/pm"));
    QVERIFY(!out.isNull());
}

QTEST_APPLESS_MAIN(TestDateTimeFormat)
#include "test_datetimeformat.moc"
