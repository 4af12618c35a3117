#include "singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &programName, const QString &folder)
    : path_(lockPath(programName, folder)), lock_(path_)
{
    // A lock is stale only when its owner is gone: a copy that has been running for days
    // must keep blocking a second one, however old its lock file is.
    lock_.setStaleLockTime(0);
}

QString SingleInstance::lockPath(const QString &programName, const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(programName + QStringLiteral(".lock"));
}

SingleInstance::Status SingleInstance::acquire()
{
    if (lock_.isLocked())
        return Status::Acquired;
    const QString dir = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(dir)) {
        error_ = QStringLiteral("cannot create the folder ") + QDir::toNativeSeparators(dir);
        return Status::Unavailable;
    }
    // tryLock removes the lock of a copy that is no longer running (the process is gone, or
    // its number now belongs to another program) and takes it over.
    if (lock_.tryLock(0))
        return Status::Acquired;
    switch (lock_.error()) {
    case QLockFile::LockFailedError:
        return Status::AlreadyRunning;
    case QLockFile::PermissionError:
        error_ = QStringLiteral("no permission to write ") + QDir::toNativeSeparators(path_);
        return Status::Unavailable;
    default:
        error_ = QStringLiteral("cannot write ") + QDir::toNativeSeparators(path_);
        return Status::Unavailable;
    }
}
