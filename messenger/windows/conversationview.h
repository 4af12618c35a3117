#pragma once
// Puts a conversation into a text area: always as plain text (what comes from the network is
// never markup), with the speaker colours, and with the program's CR LF line ends turned into
// the single line breaks the area counts.
#include "messenger/windows/conversationcolour.h"

#include <QList>
#include <QString>

class QTextEdit;

namespace ConversationView
{
// CR LF (as kept in the session and sent on the wire) to LF (as a text area holds it).
QString toLf(QString text);
// Back to CR LF; a lone LF typed in an area becomes CR LF too.
QString toCrLf(QString text);
// Shows `text` in `area`, coloured by `runs` (positions in `text` as given), with the caret
// at the end.
void show(QTextEdit *area, const QString &text, const QList<ConversationColour::Run> &runs);
} // namespace ConversationView
