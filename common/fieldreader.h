#pragma once
// Reads the messenger's text files field by field. A field ends at a comma or a line end;
// blanks before it are skipped; a field that begins with a double quote runs to the next
// double quote (across line ends too) and loses the quotes, and anything after the closing
// quote up to the next comma or line end is dropped.
#include <QString>
#include <QStringList>

class FieldReader final
{
public:
    explicit FieldReader(const QString &text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    QString next();

    // Every field of a text.
    static QStringList fields(const QString &text);
    // Writes a field in double quotes (the file formats have no escape for a quote inside).
    static QString quoted(const QString &value)
    {
        return QLatin1Char('"') + value + QLatin1Char('"');
    }

private:
    void skipDelimiter();

    QString text_;
    qsizetype pos_ = 0;
};
