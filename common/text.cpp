#include "text.h"

QString Text::properCase(const QString &text)
{
    QString out = text.toLower();
    bool wordStart = true;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t c = out.at(i).unicode();
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0) {
            wordStart = true;
        } else if (wordStart) {
            out[i] = out.at(i).toUpper();
            wordStart = false;
        }
    }
    return out;
}

QString Text::settingsKey(const QString &name)
{
    return QLatin1Char('[') + name.leftJustified(20, QLatin1Char(' '), true) + QLatin1String("]=");
}

int Text::leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > 0x7fffffff)
            value = 0x7fffffff;
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}
