#pragma once
// One real vtmessenger on its own workstation of the simulated LAN, with its own program
// folder (a prepared settings file, so no first-run box), its own identity and its own
// HOME and XDG folders, offscreen and without boxes. Driven only through its files and the
// wire; ended through its exit path (SIGTERM) or killed.
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

class OfficeCopy final
{
public:
    OfficeCopy(const QString &folder, int workstation, const QString &computer, const QString &user,
               const QString &name, const QMap<QString, QString> &settings);
    ~OfficeCopy();
    OfficeCopy(const OfficeCopy &) = delete;
    OfficeCopy &operator=(const OfficeCopy &) = delete;

    int workstation() const { return workstation_; }
    QString identity() const { return identity_; }
    QString name() const { return name_; } // upper case, as on the wire
    QString entry() const { return identity_ + QLatin1Char('=') + name_; }
    QString folder() const { return folder_; }
    QString file(const QString &name) const;

    // Writes a data file into the program folder before the start (code page, as given).
    void writeFile(const QString &name, const QString &text) const;
    bool start(QString *error);
    bool running() const { return process_.state() != QProcess::NotRunning; }

    // logs/logtemp.txt; empty when it does not exist.
    QString log() const;
    // Waits until the log holds `text`.
    bool waitForLog(const QString &text) const;
    // The lines of users.txt.
    QStringList users() const;

    // Ends the copy through its exit path; true when it ended with status 0.
    bool terminate();
    void kill();
    // Its state, output and log, for a failure message.
    QString diagnostics() const;

private:
    QString folder_;
    int workstation_;
    QString computer_;
    QString user_;
    QString name_;
    QString identity_;
    QProcess process_;
};
