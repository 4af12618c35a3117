#pragma once
// Tells a second copy of a program that a first one is already running for this user: a
// lock file per program name in the user's runtime folder, held for the whole run. A copy
// that crashed leaves its lock behind; that stale lock does not stop the next start.
#include <QLockFile>
#include <QString>

class SingleInstance final
{
public:
    enum class Status {
        Acquired,       // this is the only running copy; the lock is held until destruction
        AlreadyRunning, // another live copy holds the lock
        Unavailable,    // no lock file could be made: nothing guards the run, the start goes on
    };

    // `programName` names the lock ("vtmessenger" -> vtmessenger.lock); `folder` is where
    // it lives, the per-user runtime folder when empty.
    explicit SingleInstance(const QString &programName, const QString &folder = QString());

    Status acquire();
    QString lockFilePath() const { return path_; }
    // Why the lock was Unavailable.
    QString errorString() const { return error_; }

private:
    static QString lockPath(const QString &programName, const QString &folder);

    QString path_;
    QLockFile lock_;
    QString error_;
};
