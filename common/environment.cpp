#include "environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

QString Environment::executableFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                        : QDir::currentPath();
}

QString Environment::programFolder()
{
    QString folder = qEnvironmentVariable("VTMESSENGER_HOME");
    if (folder.isEmpty()) {
        const QString exe = executableFolder();
        if (QFileInfo(exe).isWritable())
            folder = exe;
        else
            folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(folder);
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

QString Environment::programFile(const QString &name)
{
    return QDir(programFolder()).filePath(name);
}

QString Environment::computerName()
{
    const QString name = qEnvironmentVariable("COMPUTERNAME");
    return name.isEmpty() ? QSysInfo::machineHostName() : name;
}

QString Environment::userName()
{
    QString name = qEnvironmentVariable("USERNAME");
    if (name.isEmpty())
        name = qEnvironmentVariable("USER");
#ifdef Q_OS_UNIX
    if (name.isEmpty()) {
        if (const passwd *pw = getpwuid(getuid()))
            name = QString::fromLocal8Bit(pw->pw_name);
    }
#endif
    return name;
}

QString Environment::identity()
{
    return (QLatin1Char('[') + computerName() + QLatin1Char('\\') + userName() + QLatin1Char(']'))
        .toUpper();
}
