#pragma once
// Formats a date and time with the messenger's patterns: "yyyy"/"yy" year, "mm" month
// (minutes when it follows "hh:"), "dd" day, "hh" hour, "nn" minutes, "ss" seconds;
// "am/pm" or "a/p" put the hour on the 12-hour clock and add the lower-case marker.
// Every other character is copied as it stands.
#include <QDateTime>
#include <QString>

namespace DateTimeFormat
{
QString format(const QDateTime &when, const QString &pattern);

// The patterns the program uses.
inline const char *const LogStamp = "mm-dd-yy:hh:nna/p:";
inline const char *const SlotDate = "yymmddhhnnss";
inline const char *const ArchiveName = "yymmddhhnnss";
inline const char *const HistoryIndex = "yyyymmddhhnnss";
inline const char *const HistoryDate = "mm/dd/yy hh:mm am/pm";
inline const char *const CaptionTime = "hh:mm am/pm";
} // namespace DateTimeFormat
