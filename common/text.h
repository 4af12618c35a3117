#pragma once
// Small text helpers shared by the three programs.
#include <QString>

namespace Text
{
// First letter of every word upper case, the rest lower case; words are separated by
// blanks, tabs and line breaks only, so "[pc7\operator]" stays as it is.
QString properCase(const QString &text);
// The 23-character key of a settings line: "[" + name padded to 20 + "]=".
QString settingsKey(const QString &name);
// The leading decimal number of a text (after blanks, with an optional sign); 0 when none.
int leadingNumber(const QString &text);
} // namespace Text
