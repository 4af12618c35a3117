#pragma once
// The copy at the test's own desk: a session and its main window with the eleven message
// windows, built as the program's main() builds them, on real sockets of the workstation
// the test runs on, with a program folder of its own and no person to answer boxes. The
// test reaches what a real copy would only let a person do: clicks, keys, the away menu.
#include "messenger/app/mainwindow.h"
#include "messenger/app/messenger.h"

#include <QMap>
#include <QString>

#include <memory>

class LocalCopy final
{
public:
    // Sets COMPUTERNAME and USERNAME of this process: there is one local copy per test.
    LocalCopy(const QString &folder, const QString &computer, const QString &user,
              const QString &name, const QMap<QString, QString> &settings);
    ~LocalCopy();
    LocalCopy(const LocalCopy &) = delete;
    LocalCopy &operator=(const LocalCopy &) = delete;

    QString identity() const { return identity_; }
    QString name() const { return name_; } // upper case
    QString entry() const { return identity_ + QLatin1Char('=') + name_; }
    QString file(const QString &name) const;
    // Writes a data file into the program folder before the start.
    void writeFile(const QString &name, const QString &text) const;

    // Creates the session and the windows, runs the start-up and shows the main window.
    Messenger::StartResult start();
    Messenger &session() { return *session_; }
    MainWindow &window() { return *window_; }
    QString log() const;

    template <class T> T *child(const QString &objectName, QWidget *in = nullptr)
    {
        return (in ? in : static_cast<QWidget *>(window_.get()))->findChild<T *>(objectName);
    }

private:
    QString folder_;
    QString name_;
    QString identity_;
    SilentPrompter prompter_;
    std::unique_ptr<Messenger> session_;
    std::unique_ptr<MainWindow> window_;
};
