#pragma once
// Windows-1252, the 8-bit code page of the office's Windows copies. Every text that
// crosses the wire or a data file goes through here exactly once.
#include <QByteArray>
#include <QString>

namespace Codec
{
// A character the code page cannot carry becomes "?".
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
} // namespace Codec
