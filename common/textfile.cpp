#include "textfile.h"

#include "codec.h"

#include <QFile>
#include <QSaveFile>

bool TextFile::read(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *text = Codec::decode(file.readAll());
    return file.error() == QFile::NoError;
}

QStringList TextFile::splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            // A file cut between the CR and the LF of its last line end.
            qsizetype stop = text.size();
            if (text.at(stop - 1) == QLatin1Char('\r'))
                --stop;
            lines.append(text.mid(start, stop - start));
            break;
        }
        qsizetype stop = end;
        if (stop > start && text.at(stop - 1) == QLatin1Char('\r'))
            --stop;
        lines.append(text.mid(start, stop - start));
        start = end + 1;
    }
    return lines;
}

bool TextFile::readLines(const QString &path, QStringList *lines)
{
    QString text;
    if (!read(path, &text))
        return false;
    *lines = splitLines(text);
    return true;
}

bool TextFile::write(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = Codec::encode(text);
    // The bytes sit in Qt's buffer until flushed, and QSaveFile::commit() does not notice a
    // flush that fails (full disk), so it would replace the old file with a cut one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool TextFile::writeLines(const QString &path, const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return write(path, text);
}
