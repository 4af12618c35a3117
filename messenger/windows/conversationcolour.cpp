#include "conversationcolour.h"

#include <utility>

QList<ConversationColour::Run> ConversationColour::runs(const QString &text, const QString &ownName,
                                                        const QString &otherName,
                                                        MissingOther missing)
{
    // The black stretches, in the order found; later ones may overlap earlier ones when the
    // own name occurs again before the other party answers.
    QList<std::pair<qsizetype, qsizetype>> black; // [from, to)
    // An empty own name would be "found" at every position without moving on.
    if (!ownName.isEmpty()) {
        const QString other = otherName.toUpper();
        qsizetype start = 0;
        while (start <= text.size()) {
            const qsizetype p = text.indexOf(ownName, start, Qt::CaseInsensitive);
            if (p < 0)
                break;
            qsizetype q = text.indexOf(other, p, Qt::CaseInsensitive);
            if (q < 0) {
                if (missing == MissingOther::Stop)
                    break;
                q = text.size();
            }
            if (q > p)
                black.append({p, q});
            start = p + ownName.size();
        }
    }

    QList<Run> out;
    auto add = [&out](qsizetype from, qsizetype to, Colour colour) {
        if (to <= from)
            return;
        if (!out.isEmpty() && out.last().colour == colour &&
            out.last().start + out.last().length == from) {
            out.last().length += to - from;
            return;
        }
        out.append(Run{from, to - from, colour});
    };
    // Stretches start in increasing order, so one pass merges them into the red background.
    qsizetype pos = 0;
    for (const auto &[from, to] : std::as_const(black)) {
        if (to <= pos)
            continue;
        const qsizetype begin = qMax(from, pos);
        add(pos, begin, Colour::Red);
        add(begin, to, Colour::Black);
        pos = to;
    }
    add(pos, text.size(), Colour::Red);
    return out;
}
