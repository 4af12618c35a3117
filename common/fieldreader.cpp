#include "fieldreader.h"

namespace
{
bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
} // namespace

void FieldReader::skipDelimiter()
{
    if (atEnd())
        return;
    const QChar c = text_.at(pos_);
    if (c == QLatin1Char(',')) {
        ++pos_;
    } else if (c == QLatin1Char('\r')) {
        ++pos_;
        if (!atEnd() && text_.at(pos_) == QLatin1Char('\n'))
            ++pos_;
    } else if (c == QLatin1Char('\n')) {
        ++pos_;
    }
}

QString FieldReader::next()
{
    while (!atEnd() && (text_.at(pos_) == QLatin1Char(' ') || text_.at(pos_) == QLatin1Char('\t')))
        ++pos_;
    QString field;
    if (!atEnd() && text_.at(pos_) == QLatin1Char('"')) {
        const qsizetype close = text_.indexOf(QLatin1Char('"'), pos_ + 1);
        const qsizetype end = close < 0 ? text_.size() : close;
        field = text_.mid(pos_ + 1, end - pos_ - 1);
        pos_ = close < 0 ? text_.size() : close + 1;
        while (!atEnd() && text_.at(pos_) != QLatin1Char(',') && !isLineEnd(text_.at(pos_)))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (!atEnd() && text_.at(pos_) != QLatin1Char(',') && !isLineEnd(text_.at(pos_)))
            ++pos_;
        field = text_.mid(start, pos_ - start);
    }
    skipDelimiter();
    return field;
}

QStringList FieldReader::fields(const QString &text)
{
    FieldReader reader(text);
    QStringList out;
    while (!reader.atEnd())
        out.append(reader.next());
    return out;
}
