#pragma once
// The data files: 8-bit text with CR LF line ends. Reading accepts LF too; every write
// replaces the whole file through a temporary file, so a crash mid-write keeps the old one.
#include <QString>
#include <QStringList>

namespace TextFile
{
// The whole file decoded; false when it cannot be read (a missing file included).
bool read(const QString &path, QString *text);
// The file's lines without their ends; a last line without an end counts.
bool readLines(const QString &path, QStringList *lines);
// Writes every line followed by CR LF.
bool writeLines(const QString &path, const QStringList &lines);
// Writes the text as it stands (its line ends are the caller's).
bool write(const QString &path, const QString &text);
// Splits a text at CR LF or LF (a lone trailing line end gives no extra empty line).
QStringList splitLines(const QString &text);
} // namespace TextFile
