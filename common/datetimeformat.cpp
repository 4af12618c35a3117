#include "datetimeformat.h"

namespace
{
QString two(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// The saved log conversation and the log viewer also write "ddd" and "mmm"; the Windows
// copies use English names there whatever the desktop's language.
const char *const kDays[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char *const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
} // namespace

QString DateTimeFormat::format(const QDateTime &when, const QString &pattern)
{
    const bool twelve = pattern.contains(QLatin1String("am/pm"), Qt::CaseInsensitive) ||
                        pattern.contains(QLatin1String("a/p"), Qt::CaseInsensitive);
    const QDate d = when.date();
    const QTime t = when.time();
    int hour = t.hour();
    if (twelve) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    const bool pm = t.hour() >= 12;

    QString out;
    bool afterHourColon = false; // "mm" right after "hh:" is minutes
    qsizetype i = 0;
    auto at = [&](const char *token) {
        return pattern.mid(i, qsizetype(qstrlen(token)))
                   .compare(QLatin1String(token), Qt::CaseInsensitive) == 0;
    };
    while (i < pattern.size()) {
        if (at("yyyy")) {
            out += QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
            i += 4;
        } else if (at("ddd")) {
            if (d.isValid())
                out += QLatin1String(kDays[d.dayOfWeek() - 1]);
            i += 3;
        } else if (at("mmm")) {
            if (d.isValid())
                out += QLatin1String(kMonths[d.month() - 1]);
            i += 3;
        } else if (at("yy")) {
            out += two(d.year() % 100);
            i += 2;
        } else if (at("mm")) {
            out += afterHourColon ? two(t.minute()) : two(d.month());
            i += 2;
        } else if (at("dd")) {
            out += two(d.day());
            i += 2;
        } else if (at("hh")) {
            out += two(hour);
            i += 2;
        } else if (at("d")) { // day and hour without a leading zero ("ddd mmm d", "h:nn")
            out += QString::number(d.day());
            i += 1;
        } else if (at("h")) {
            out += QString::number(hour);
            i += 1;
        } else if (at("nn")) {
            out += two(t.minute());
            i += 2;
        } else if (at("ss")) {
            out += two(t.second());
            i += 2;
        } else if (at("am/pm")) {
            out += pm ? QLatin1String("pm") : QLatin1String("am");
            i += 5;
        } else if (at("a/p")) {
            out += pm ? QLatin1Char('p') : QLatin1Char('a');
            i += 3;
        } else {
            out += pattern.at(i);
            ++i;
        }
        // "hh:" directly before this position makes the next "mm" minutes.
        afterHourColon =
            i >= 3 && pattern.mid(i - 3, 3).compare(QLatin1String("hh:"), Qt::CaseInsensitive) == 0;
    }
    return out;
}
