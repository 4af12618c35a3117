#include "history.h"

#include "common/datetimeformat.h"
#include "common/fieldreader.h"
#include "common/text.h"
#include "common/textfile.h"

#include <QFileInfo>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kEnd = QStringLiteral("--END--");
// The file's stand-in for a double quote, which a quoted field cannot hold.
const QChar kQuoteCode(4);

// Trims blanks only, the way the file's writers and readers always have: line breaks and
// tabs at either end of a message are part of it.
QString trimBlanks(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

QString encodeQuotes(QString text)
{
    return text.replace(QLatin1Char('"'), kQuoteCode);
}
QString decodeQuotes(QString text)
{
    return text.replace(kQuoteCode, QLatin1Char('"'));
}

// Splits a conversation at its first "> ": the head keeps the name and ">", the main text
// starts after the blank; without "> " the head is empty and the main text is everything.
void splitConversation(const QString &body, QString *head, QString *main)
{
    const qsizetype p = body.indexOf(QLatin1String("> "));
    if (p < 0) {
        *head = QString();
        *main = body;
    } else {
        *head = body.left(p + 1);
        *main = body.mid(p + 2);
    }
}

HistoryRow stampedRow(const QDateTime &now, const QString &kind)
{
    HistoryRow row;
    row[HistoryRow::Index] =
        DateTimeFormat::format(now, QString::fromLatin1(DateTimeFormat::HistoryIndex));
    row[HistoryRow::Date] =
        DateTimeFormat::format(now, QString::fromLatin1(DateTimeFormat::HistoryDate));
    row[HistoryRow::Kind] = kind;
    return row;
}

QString captionFor(const QString &name, const QDateTime &now)
{
    return name + QStringLiteral(" Msg ") +
           DateTimeFormat::format(now, QString::fromLatin1(DateTimeFormat::CaptionTime));
}

QString rowLine(const HistoryRow &row)
{
    QStringList fields;
    for (int c = 0; c < HistoryRow::ColumnCount; ++c) {
        QString value;
        if (c == HistoryRow::MessageMain)
            value = encodeQuotes(row[HistoryRow::MessageHead]) + QLatin1Char(' ') +
                    trimBlanks(encodeQuotes(row[HistoryRow::MessageMain]));
        else
            value = encodeQuotes(row[c]);
        fields.append(FieldReader::quoted(value));
    }
    return fields.join(QLatin1Char(','));
}

HistoryRow rowFromFields(const QStringList &fields)
{
    HistoryRow row;
    for (int c = 0; c < HistoryRow::ColumnCount && c < fields.size(); ++c)
        row[c] = decodeQuotes(fields.at(c));
    // The text field repeats the head and a blank before the text; a "To" row has no head.
    QString main = row[HistoryRow::MessageMain];
    if (row.kind() != HistoryRow::To) {
        const QString head = row[HistoryRow::MessageHead];
        if (main.startsWith(head + QLatin1Char(' ')))
            main = main.mid(head.size() + 1);
        else if (main.startsWith(head))
            main = main.mid(head.size());
    }
    row[HistoryRow::MessageMain] = trimBlanks(main);
    return row;
}
} // namespace

History::History(QObject *parent) : QObject(parent) {}

HistoryRow History::currentRow() const
{
    return current_ >= 0 && current_ < rows_.size() ? rows_.at(current_) : HistoryRow();
}

void History::setCurrent(int row)
{
    current_ = row;
    Q_EMIT currentChanged(current_);
}

void History::addRow(const HistoryRow &row)
{
    rows_.append(row);
    Q_EMIT rowsChanged();
    setCurrent(int(rows_.size()) - 1);
}

void History::trim()
{
    const qsizetype extra = rows_.size() - MaxRows;
    if (extra <= 0)
        return;
    rows_.remove(0, extra);
    current_ = current_ >= extra ? current_ - int(extra) : -1;
    Q_EMIT rowsChanged();
}

void History::selectit()
{
    trim();
    setCurrent(int(rows_.size()) - 1);
}

void History::select(int row)
{
    if (row >= 0 && row < rows_.size())
        setCurrent(row);
}

void History::clear()
{
    rows_.clear();
    Q_EMIT rowsChanged();
    setCurrent(-1);
}

void History::setOntop(bool on)
{
    ontop_ = on;
    Q_EMIT optionsChanged();
}

void History::setMinmain(bool on)
{
    minmain_ = on;
    Q_EMIT optionsChanged();
}

void History::setAnchor(bool on)
{
    anchor_ = on;
    Q_EMIT optionsChanged();
}

bool History::load(const QString &path)
{
    if (!QFileInfo::exists(path))
        return true;
    QString text;
    if (!TextFile::read(path, &text))
        return false;

    // Lines 1 and 2 are taken apart on their own, so that a damaged options line cannot
    // shift the rows. The count on line 1 is not relied on: the rows run to "--END--" (or
    // the end of the file), so a wrong count loses nothing.
    qsizetype pos = 0;
    QStringList head;
    for (int line = 0; line < 2 && pos < text.size(); ++line) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
        if (end < 0)
            end = text.size();
        head.append(text.mid(pos, end - pos));
        pos = end + 1;
    }
    const QStringList options =
        head.size() > 1 ? FieldReader::fields(head.at(1).trimmed()) : QStringList();
    auto option = [&options](int i) {
        return i < options.size() && Text::leadingNumber(options.at(i)) != 0;
    };

    QList<HistoryRow> loaded;
    FieldReader reader(pos < text.size() ? text.mid(pos) : QString());
    while (!reader.atEnd()) {
        QString first = reader.next();
        // Blank lines between rows (a hand-edited file) read as empty fields.
        while (first.isEmpty() && !reader.atEnd())
            first = reader.next();
        if (first.isEmpty() || first.trimmed() == kEnd)
            break;
        QStringList fields{first};
        while (fields.size() < HistoryRow::ColumnCount && !reader.atEnd())
            fields.append(reader.next());
        // A row cut short by the end of the file is kept when it still names its kind.
        if (fields.size() <= HistoryRow::Kind)
            break;
        loaded.append(rowFromFields(fields));
    }

    rows_ = loaded;
    current_ = -1;
    ontop_ = option(0);
    minmain_ = option(1);
    anchor_ = option(2);
    Q_EMIT rowsChanged();
    Q_EMIT optionsChanged();
    selectit();
    return true;
}

bool History::save(const QString &path)
{
    trim();
    if (rows_.isEmpty())
        return true;
    QStringList lines;
    lines.append(QLatin1Char(' ') + QString::number(rows_.size()) + QLatin1Char(' '));
    lines.append(QStringLiteral("%1,%2,%3").arg(int(ontop_)).arg(int(minmain_)).arg(int(anchor_)));
    for (const HistoryRow &row : std::as_const(rows_))
        lines.append(rowLine(row));
    lines.append(kEnd);
    lines.append(QString()); // the file ends with an empty line after "--END--"
    return TextFile::writeLines(path, lines);
}

History::Display History::display(const HistoryRow &row, const QString &ownName, View view)
{
    Display out;
    if (row.kind() == HistoryRow::To) {
        out.text = ownName.toUpper() + QStringLiteral("> ") + row[HistoryRow::MessageMain];
        if (!out.text.isEmpty())
            out.runs.append({0, out.text.size(), ConversationColour::Colour::Black});
        return out;
    }
    out.text = row[HistoryRow::MessageHead] +
               (view == View::Newest ? QStringLiteral(" ") : QString()) +
               row[HistoryRow::MessageMain];
    const bool ownReply =
        row.kind() == HistoryRow::RepliedTo || row.kind() == HistoryRow::AutoRepTo;
    if (ownReply)
        out.text += kCrLf + ownName + QStringLiteral("> ") + row[HistoryRow::Reply];
    out.runs = ConversationColour::runs(out.text, ownName, row[HistoryRow::User].toUpper(),
                                        ownReply ? ConversationColour::MissingOther::BlackToEnd
                                                 : ConversationColour::MissingOther::Stop);
    return out;
}

QString History::recallText(const HistoryRow &row)
{
    return row[HistoryRow::MessageHead] + QLatin1Char(' ') + row[HistoryRow::MessageMain];
}

HistoryRow History::receivedRow(const QDateTime &now, const QString &displayNameProper,
                                const QString &body, const QString &recipient,
                                const QString &caption)
{
    HistoryRow row = stampedRow(now, HistoryRow::From);
    row[HistoryRow::User] = displayNameProper;
    splitConversation(body, &row[HistoryRow::MessageHead], &row[HistoryRow::MessageMain]);
    row[HistoryRow::Addressee] = recipient;
    row[HistoryRow::Caption] = caption;
    return row;
}

HistoryRow History::sentRow(const QDateTime &now, const QString &user, const QString &text,
                            int recalltab, int recallindex)
{
    HistoryRow row = stampedRow(now, HistoryRow::To);
    row[HistoryRow::User] = user;
    row[HistoryRow::MessageMain] = text;
    row[HistoryRow::RecallTab] = QString::number(recalltab);
    row[HistoryRow::RecallIndex] = QString::number(recallindex);
    return row;
}

HistoryRow History::repliedRow(const QDateTime &now, const QString &target, const QString &temprec,
                               const QString &tempreply)
{
    HistoryRow row = stampedRow(now, HistoryRow::RepliedTo);
    row[HistoryRow::User] = target;
    splitConversation(temprec, &row[HistoryRow::MessageHead], &row[HistoryRow::MessageMain]);
    row[HistoryRow::Addressee] = target;
    row[HistoryRow::Reply] = tempreply;
    row[HistoryRow::Caption] = captionFor(target, now);
    return row;
}

HistoryRow History::autoResponseRow(const QDateTime &now, const QString &kind,
                                    const QString &senderDisplayProper, const QString &body,
                                    const QString &recipient, const QString &autorespond)
{
    HistoryRow row = stampedRow(now, kind);
    splitConversation(body, &row[HistoryRow::MessageHead], &row[HistoryRow::MessageMain]);
    row[HistoryRow::User] = Text::properCase(
        row[HistoryRow::MessageHead].chopped(row[HistoryRow::MessageHead].isEmpty() ? 0 : 1));
    row[HistoryRow::Addressee] = recipient;
    row[HistoryRow::Reply] = autorespond;
    row[HistoryRow::Caption] = captionFor(senderDisplayProper, now);
    return row;
}
