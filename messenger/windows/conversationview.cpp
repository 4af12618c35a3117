#include "conversationview.h"

#include <QColor>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");

// Moves runs over a text with CR LF line ends onto the same text with LF line ends.
QList<ConversationColour::Run> withoutCr(const QString &text, QList<ConversationColour::Run> runs)
{
    auto reduced = [&text](qsizetype position) {
        qsizetype pairs = 0;
        for (qsizetype i = 1; i <= position && i < text.size(); ++i)
            if (text.at(i) == QLatin1Char('\n') && text.at(i - 1) == QLatin1Char('\r'))
                ++pairs;
        return position - pairs;
    };
    for (ConversationColour::Run &run : runs) {
        const qsizetype end = reduced(run.start + run.length);
        run.start = reduced(run.start);
        run.length = end - run.start;
    }
    return runs;
}
} // namespace

QString ConversationView::toLf(QString text)
{
    return text.replace(kCrLf, QStringLiteral("\n"));
}

QString ConversationView::toCrLf(QString text)
{
    text.replace(kCrLf, QStringLiteral("\n"));
    return text.replace(QLatin1Char('\n'), kCrLf);
}

void ConversationView::show(QTextEdit *area, const QString &text,
                            const QList<ConversationColour::Run> &runs)
{
    area->setPlainText(toLf(text));
    QTextCursor cursor(area->document());
    for (const ConversationColour::Run &run : withoutCr(text, runs)) {
        QTextCharFormat format;
        format.setForeground(run.colour == ConversationColour::Colour::Red ? QColor(255, 0, 0)
                                                                           : QColor(0, 0, 0));
        cursor.setPosition(int(run.start));
        cursor.setPosition(int(run.start + run.length), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
    area->moveCursor(QTextCursor::End);
}
