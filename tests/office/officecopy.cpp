#include "officecopy.h"

#include "common/textfile.h"
#include "messenger/net/datagram.h"
#include "office.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>

OfficeCopy::OfficeCopy(const QString &folder, int workstation, const QString &computer,
                       const QString &user, const QString &name,
                       const QMap<QString, QString> &settings)
    : folder_(folder), workstation_(workstation), computer_(computer), user_(user),
      name_(Datagram::upper(name)),
      identity_(QStringLiteral("[%1\\%2]").arg(Datagram::upper(computer), Datagram::upper(user)))
{
    for (const char *sub : {"home", "run", "config", "data", "cache"})
        QDir().mkpath(QDir(folder_).filePath(QStringLiteral("private/") + QLatin1String(sub)));
    QFile::setPermissions(QDir(folder_).filePath(QStringLiteral("private/run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFile(QStringLiteral("settings.txt"), Office::settingsText(name, settings));
}

OfficeCopy::~OfficeCopy()
{
    kill();
}

QString OfficeCopy::file(const QString &name) const
{
    return QDir(folder_).filePath(name);
}

void OfficeCopy::writeFile(const QString &name, const QString &text) const
{
    TextFile::write(file(name), text);
}

bool OfficeCopy::start(QString *error)
{
    const QString binDir = qEnvironmentVariableIsSet("VT_BIN_DIR")
                               ? qEnvironmentVariable("VT_BIN_DIR")
                               : QCoreApplication::applicationDirPath();
    const QString privateDir = file(QStringLiteral("private"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VTMESSENGER_HOME"), folder_);
    env.insert(QStringLiteral("VTMESSENGER_NO_BOXES"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("COMPUTERNAME"), computer_);
    env.insert(QStringLiteral("USERNAME"), user_);
    // Nothing of a copy may land in the real user's folders, and two copies must not see
    // each other's single-instance lock.
    env.insert(QStringLiteral("HOME"), privateDir + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), privateDir + QStringLiteral("/run"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), privateDir + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), privateDir + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), privateDir + QStringLiteral("/cache"));
    // An update check must find nothing to fetch.
    env.insert(QStringLiteral("VTMESSENGER_UPDATE_URL"), QStringLiteral("http://127.0.0.1:9/"));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(file(QStringLiteral("output.txt")), QIODevice::Append);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.start(Office::wsExec(), {QString::number(workstation_),
                                      QDir(binDir).filePath(QStringLiteral("vtmessenger"))});
    if (process_.waitForStarted(Office::deadlineMs()))
        return true;
    *error = QStringLiteral("%1 did not start: %2").arg(identity_, process_.errorString());
    return false;
}

QString OfficeCopy::log() const
{
    return Office::readText(file(QStringLiteral("logs/logtemp.txt")));
}

bool OfficeCopy::waitForLog(const QString &text) const
{
    return Office::waitUntil([&] { return log().contains(text); });
}

QStringList OfficeCopy::users() const
{
    return TextFile::splitLines(Office::readText(file(QStringLiteral("users.txt"))));
}

bool OfficeCopy::terminate()
{
    if (!running())
        return false;
    process_.terminate(); // SIGTERM: the copy's own exit path
    return process_.waitForFinished(Office::deadlineMs()) &&
           process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

void OfficeCopy::kill()
{
    if (!running())
        return;
    process_.kill();
    process_.waitForFinished();
}

QString OfficeCopy::diagnostics() const
{
    const QString state = running() ? QStringLiteral("running")
                                    : QStringLiteral("exit status %1").arg(process_.exitCode());
    const QString output = Office::readText(file(QStringLiteral("output.txt")));
    return QStringLiteral("%1 on ws%2 (%3); its output:\n%4\nlogtemp.txt:\n%5")
        .arg(identity_)
        .arg(workstation_)
        .arg(state, output.right(2000), log());
}
