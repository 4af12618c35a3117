#include "savedmessage.h"

#include "common/datetimeformat.h"
#include "common/text.h"
#include "common/textfile.h"
#include "messenger/app/messenger.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

const QString SavedMessage::separator = QString(60, QLatin1Char('-'));

namespace
{
const QString kDatePattern = QStringLiteral("ddd mmm d, yyyy");
const QString kStampPattern = QStringLiteral("yymmddhhnnss");

// Lines go out with CR LF; a text with bare LF line breaks (from a view) is made to match.
QString withCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}
} // namespace

SavedMessage::SavedMessage(Messenger &session, const QString &folder, Opener opener)
    : session_(session), folder_(folder.isEmpty() ? defaultFolder() : folder),
      opener_(opener ? std::move(opener) : Opener(&SavedMessage::openInEditor))
{
}

QString SavedMessage::defaultFolder()
{
#ifdef Q_OS_WIN
    return folderForProfile(qEnvironmentVariable("USERPROFILE"));
#else
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/QMmessages");
#endif
}

QString SavedMessage::folderForProfile(const QString &userprofile)
{
    if (userprofile.toLower().indexOf(QLatin1String("users")) >= 1)
        return userprofile + QStringLiteral("\\Documents\\QMmessages");
    return userprofile + QStringLiteral("\\My Documents\\QMmessages");
}

bool SavedMessage::openInEditor(const QString &path)
{
#if defined(Q_OS_WIN)
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)});
#elif defined(Q_OS_MACOS)
    return QProcess::startDetached(QStringLiteral("open"), {QStringLiteral("-t"), path});
#else
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
#endif
}

QString SavedMessage::safeName(const QString &name)
{
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f;
        const bool secondDot = c == QLatin1Char('.') && out.endsWith(QLatin1Char('.'));
        out += control || secondDot || unsafe.contains(c) ? QLatin1Char('_') : c;
    }
    return out;
}

QString SavedMessage::messageFileName(const QDateTime &when, const QString &senderName)
{
    return QStringLiteral("QM-") + DateTimeFormat::format(when, kStampPattern) + QLatin1Char('-') +
           safeName(senderName.toLower()) + QStringLiteral(".txt");
}

QString SavedMessage::logFileName(const QDateTime &when)
{
    return QStringLiteral("QMlog-") + DateTimeFormat::format(when, kStampPattern) +
           QStringLiteral(".txt");
}

QStringList SavedMessage::messageLines(const QString &path, const QString &ownName,
                                       const QString &senderName, const QDateTime &when,
                                       const QString &caption, const QString &conversation,
                                       const QString &response)
{
    QStringList lines{QString(),
                      QStringLiteral("Vantrell Messenger"),
                      QString(),
                      separator,
                      QStringLiteral("To       : ") + Text::properCase(ownName),
                      QStringLiteral("From     : ") + Text::properCase(senderName),
                      QStringLiteral("Date     : ") + DateTimeFormat::format(when, kDatePattern),
                      QStringLiteral("Time     : ") + caption.right(8),
                      separator,
                      QString(),
                      QStringLiteral("Message:"),
                      withCrLf(conversation),
                      QString()};
    if (!response.isEmpty())
        lines << QStringLiteral("Response (not sent):") << withCrLf(response);
    lines << QString() << separator << QString() << QString() << QStringLiteral("Saved to:") << path
          << QString();
    return lines;
}

QStringList SavedMessage::logLines(const QString &path, const QString &ownName, const QString &user,
                                   const QDateTime &when, const QString &viewerText)
{
    return {QString(),
            QStringLiteral("Vantrell Messenger"),
            QString(),
            separator,
            QStringLiteral("Vantrell Messenger Log for ") + ownName + QLatin1Char(' ') + user,
            QStringLiteral("Saved : ") + DateTimeFormat::format(when, kDatePattern) +
                QLatin1Char(' ') + DateTimeFormat::format(when, QStringLiteral("h:nn am/pm")),
            separator,
            withCrLf(viewerText),
            separator,
            QString(),
            QString(),
            QStringLiteral("Saved to:"),
            path,
            QString()};
}

QString SavedMessage::printbtn_Click(int index)
{
    if (index < 0 || index > PopupSlots::RecallWindow)
        return QString();
    const PopupState &window = session_.popupSlots.state(index);
    const QDateTime when = session_.now();
    const QString own = session_.options.friendlyname;
    return save(messageFileName(when, window.messagefrom), [&](const QString &shownPath) {
        return messageLines(shownPath, own, window.messagefrom, when, window.caption,
                            window.message, window.temp);
    });
}

QString SavedMessage::saveLog(const QString &viewerText)
{
    const QDateTime when = session_.now();
    session_.directory.refreshUser();
    const QString own = session_.options.friendlyname;
    const QString user = session_.directory.user;
    return save(logFileName(when), [&](const QString &shownPath) {
        return logLines(shownPath, own, user, when, viewerText);
    });
}

QString SavedMessage::save(const QString &fileName, const Builder &lines)
{
    // A fresh Linux account often has no Documents folder yet: make the whole path.
    if (!QFileInfo(folder_).isDir() && !QDir().mkpath(folder_)) {
        reportFailure();
        return QString();
    }
    const QString path = QDir(folder_).absoluteFilePath(fileName);
    if (!TextFile::writeLines(path, lines(QDir::toNativeSeparators(path))) || !opener_(path)) {
        reportFailure();
        return QString();
    }
    return path;
}

void SavedMessage::reportFailure()
{
    session_.withBox([this] {
        session_.prompter().message(QStringLiteral("Cannot create file"),
                                    QStringLiteral("Vantrell Messenger"));
    });
}
