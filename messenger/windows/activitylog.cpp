#include "activitylog.h"

#include "common/datetimeformat.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kCurrentName = QStringLiteral("logtemp.txt");
// The list is archived once it holds more entries than this (entry count - 1 > 300).
constexpr qsizetype kMaxEntries = 301;
} // namespace

ActivityLog::ActivityLog(const QString &programFolder, std::function<QDateTime()> clock,
                         QObject *parent)
    : QObject(parent), logsFolder_(QDir(programFolder).filePath(QStringLiteral("logs"))),
      clock_(std::move(clock))
{
    ensureFolder();
}

QString ActivityLog::currentFile() const
{
    return QDir(logsFolder_).filePath(kCurrentName);
}

QDateTime ActivityLog::now() const
{
    return clock_ ? clock_() : QDateTime::currentDateTime();
}

QString ActivityLog::stamp() const
{
    return DateTimeFormat::format(now(), QString::fromLatin1(DateTimeFormat::LogStamp));
}

void ActivityLog::add(const QString &text)
{
    lstMessages_.append(stamp() + text);
    Q_EMIT changed();
}

QString ActivityLog::messageEntry(MessageKind kind, const QString &name, const QString &body)
{
    QString word;
    switch (kind) {
    case MessageKind::From:
        word = QStringLiteral("Msg from ");
        break;
    case MessageKind::To:
        word = QStringLiteral("Msg to   ");
        break;
    case MessageKind::Forward:
        word = QStringLiteral("Fwd to   ");
        break;
    }
    return word + name + QLatin1Char('\t') + kCrLf + body + kCrLf + QStringLiteral("---");
}

void ActivityLog::addMessage(MessageKind kind, const QString &name, const QString &body)
{
    add(messageEntry(kind, name, body));
}

void ActivityLog::addStartMark()
{
    add(QStringLiteral("QM.\t") + kCrLf + QStringLiteral("---"));
}

void ActivityLog::addShutdownCorrectly()
{
    add(QStringLiteral("Vantrell Messenger shutdown correctly.\t") + kCrLf + QStringLiteral("---"));
}

void ActivityLog::addSettingsSaved()
{
    add(QStringLiteral(" Settings changed and saved."));
}

void ActivityLog::addNetworkRestored()
{
    add(QStringLiteral("Network Connection Restored"));
}

void ActivityLog::addNetworkError(const QString &description)
{
    add(QStringLiteral("Network Error ") + description);
}

void ActivityLog::ensureFolder() const
{
    QDir().mkpath(logsFolder_);
}

bool ActivityLog::writeCurrent() const
{
    ensureFolder();
    return TextFile::writeLines(currentFile(), lstMessages_);
}

bool ActivityLog::removeCurrent() const
{
    QFile file(currentFile());
    return !file.exists() || file.remove();
}

bool ActivityLog::writeArchive() const
{
    ensureFolder();
    const QString path =
        QDir(logsFolder_)
            .filePath(
                QStringLiteral("log") +
                DateTimeFormat::format(now(), QString::fromLatin1(DateTimeFormat::ArchiveName)) +
                QStringLiteral(".txt"));
    QString text;
    if (QFileInfo::exists(path)) {
        // A second archive within the same second: keep what the first one holds.
        if (!TextFile::read(path, &text))
            return false;
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
            text += kCrLf;
    }
    for (const QString &entry : lstMessages_)
        text += entry + kCrLf;
    return TextFile::write(path, text);
}

bool ActivityLog::cleanlog_Click()
{
    if (lstMessages_.size() > kMaxEntries) {
        if (!writeArchive()) {
            writeCurrent(); // best effort: the entries must survive a crash
            return false;
        }
        lstMessages_.clear();
        Q_EMIT changed();
        return removeCurrent();
    }
    return writeCurrent();
}

bool ActivityLog::recoverUnfinished()
{
    if (!QFileInfo::exists(currentFile()))
        return true;
    QStringList lines;
    if (!TextFile::readLines(currentFile(), &lines))
        return false;
    addShutdownCorrectly();
    lstMessages_.append(lines);
    Q_EMIT changed();
    return removeCurrent();
}

bool ActivityLog::archiveAtExit()
{
    addStartMark();
    if (!writeArchive()) {
        writeCurrent();
        return false;
    }
    lstMessages_.clear();
    Q_EMIT changed();
    return removeCurrent();
}

bool ActivityLog::logsave_Click()
{
    add(QStringLiteral(" Log Saved."));
    if (!writeArchive()) {
        // Not saved: take back the entry that says it was.
        lstMessages_.removeLast();
        Q_EMIT changed();
        return false;
    }
    lstMessages_.clear();
    add(QStringLiteral(" Log Saved and cleared."));
    return true;
}

QString ActivityLog::entryView(const QString &entry)
{
    const QString a = entry.left(15);
    QString b;
    QString c;
    // The text splits at its first colon that ends a word (one followed by a blank, or the
    // last character), dropping that blank: a colon inside "12:30" or an address would
    // otherwise cost the character after it, in the viewer and in a saved copy.
    qsizetype colon = entry.size() > 16 ? entry.indexOf(QLatin1Char(':'), 16) : -1;
    while (colon >= 0 && colon + 1 < entry.size() && entry.at(colon + 1) != QLatin1Char(' '))
        colon = entry.indexOf(QLatin1Char(':'), colon + 1);
    if (colon >= 0) {
        b = entry.mid(16, colon - 16);
        c = entry.mid(colon + 2);
    } else {
        b = entry.mid(16);
    }
    return a + kCrLf + b + kCrLf + c;
}
