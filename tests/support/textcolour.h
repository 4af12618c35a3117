#pragma once
// The colour a text area shows one character in, for the tests of the coloured conversation.
#include <QColor>
#include <QTextCursor>
#include <QTextEdit>

namespace TestSupport
{
inline QColor colourAt(QTextEdit *edit, int position)
{
    QTextCursor cursor(edit->document());
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    return cursor.charFormat().foreground().color();
}
} // namespace TestSupport
