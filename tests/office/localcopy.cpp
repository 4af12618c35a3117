#include "localcopy.h"

#include "common/textfile.h"
#include "messenger/net/datagram.h"
#include "office.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

LocalCopy::LocalCopy(const QString &folder, const QString &computer, const QString &user,
                     const QString &name, const QMap<QString, QString> &settings)
    : folder_(folder), name_(Datagram::upper(name)),
      identity_(QStringLiteral("[%1\\%2]").arg(Datagram::upper(computer), Datagram::upper(user)))
{
    qputenv("COMPUTERNAME", computer.toUtf8());
    qputenv("USERNAME", user.toUtf8());
    writeFile(QStringLiteral("settings.txt"), Office::settingsText(name, settings));
}

LocalCopy::~LocalCopy()
{
    // The windows observe the session: they go first.
    window_.reset();
    session_.reset();
}

QString LocalCopy::file(const QString &name) const
{
    return QDir(folder_).filePath(name);
}

void LocalCopy::writeFile(const QString &name, const QString &text) const
{
    TextFile::write(file(name), text);
}

Messenger::StartResult LocalCopy::start()
{
    session_ = std::make_unique<Messenger>(folder_, prompter_);
    window_ = std::make_unique<MainWindow>(*session_);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSizeF screenTwips(screen->geometry().width() * window_->twipsPerPixelX(),
                             screen->geometry().height() * window_->twipsPerPixelY());
    const Messenger::StartResult result = session_->start(screenTwips);
    if (result != Messenger::StartResult::PortInUse)
        window_->show();
    return result;
}

QString LocalCopy::log() const
{
    return Office::readText(file(QStringLiteral("logs/logtemp.txt")));
}
