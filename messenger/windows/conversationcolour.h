#pragma once
// Colours a conversation by speaker: the own lines black, everything else red. One rule
// serves the message window (its `Label1_Click`) and the history's display step, which
// differ only in what happens when the other party's name is missing after an own line.
#include <QList>
#include <QString>

class ConversationColour final
{
public:
    enum class Colour { Red, Black };

    // What to do when the own name is found but the other party's name does not follow it.
    enum class MissingOther {
        Stop,       // the rest stays red (message window; history "From")
        BlackToEnd, // the own stretch runs to the end (history "Replied to", "Auto Rep to")
    };

    struct Run {
        qsizetype start = 0;
        qsizetype length = 0;
        Colour colour = Colour::Red;
        bool operator==(const Run &other) const
        {
            return start == other.start && length == other.length && colour == other.colour;
        }
    };

    // Non-overlapping runs that cover the whole text in order (none for an empty text).
    // Names are searched without regard to case, the own one from the current start, the
    // other party's from where the own one was found. Positions index `text` as given: a
    // view whose document counts CR LF as one character should pass the text with its
    // line ends already reduced to LF (names never span a line end, so nothing else moves).
    static QList<Run> runs(const QString &text, const QString &ownName, const QString &otherName,
                           MissingOther missing = MissingOther::Stop);
};
