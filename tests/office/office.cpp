#include "office.h"

#include "common/text.h"
#include "common/textfile.h"
#include "messenger/net/datagram.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

Office::Office()
{
    // Kept when asked for, to look at the copies' files after a failure.
    dir_.setAutoRemove(qgetenv("OFFICE_KEEP") != "1");
}

Office::~Office()
{
    // Copies first: a copy that signs off while the peer still listens is harmless, a peer
    // that is gone is too, but nothing of the office may outlive the test.
    for (auto &copy : copies_)
        copy->kill();
    if (peer_)
        peer_->stop();
}

bool Office::onWorkstation(QString *why)
{
    if (wsExec().isEmpty()) {
        *why = QStringLiteral("runs on a workstation of scripts/office-lan "
                              "(OFFICE_LAN_EXEC is not set)");
        return false;
    }
    if (ownWorkstation() <= 0) {
        *why = QStringLiteral("runs under ws-exec N (OFFICE_LAN_WS is not set)");
        return false;
    }
    return true;
}

QString Office::wsExec()
{
    return qEnvironmentVariable("OFFICE_LAN_EXEC");
}

int Office::ownWorkstation()
{
    return qEnvironmentVariableIntValue("OFFICE_LAN_WS");
}

int Office::deadlineMs()
{
    bool ok = false;
    const double seconds = qEnvironmentVariable("OFFICE_DEADLINE").toDouble(&ok);
    return ok && seconds > 0 ? int(seconds * 1000) : 10000;
}

bool Office::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

QString Office::readText(const QString &path)
{
    QString text;
    if (!QFileInfo::exists(path) || !TextFile::read(path, &text))
        return QString();
    return text;
}

QString Office::settingsText(const QString &name, const QMap<QString, QString> &overrides)
{
    const QList<QPair<QString, QString>> defaults = {
        {QStringLiteral("MY NAME"), Datagram::upper(name)},
        {QStringLiteral("LISTENINGPORT"), QString::number(ListeningPort)},
        {QStringLiteral("SENDINGPORT"), QString::number(SendingPort)},
        {QStringLiteral("PLAYSOUND"), QStringLiteral("0")},
        {QStringLiteral("REPLYTOALL"), QStringLiteral("0")},
        {QStringLiteral("SHOWOWN"), QStringLiteral("0")},
        {QStringLiteral("AUTORESPONSEMSG"), QStringLiteral("I'm away from my desk")},
        {QStringLiteral("AUTORESPONSEMSG1"), QStringLiteral("I'm out of the office")},
        {QStringLiteral("AUTORESPONSEMSG2"), QStringLiteral("I'm in a meeting")},
        {QStringLiteral("AUTORESPONSEMSG3"), QString()},
        {QStringLiteral("AUTORESPONSEFORWARD"), QStringLiteral("1")},
        {QStringLiteral("AUTORESPONSEALLOW"), QStringLiteral("0")},
        {QStringLiteral("SHOWMEINLIST"), QStringLiteral("1")},
        {QStringLiteral("STARTWITHWINDOWS"), QStringLiteral("0")},
        {QStringLiteral("MINIMIZEONSTART"), QStringLiteral("0")},
        {QStringLiteral("KEEPINFRONT"), QStringLiteral("0")},
        {QStringLiteral("MESSAGEFONTSIZE"), QStringLiteral("10")},
        {QStringLiteral("USERLISTFONT"), QStringLiteral("0")},
        {QStringLiteral("STARTCLEARUSERCACHE"), QStringLiteral("0")},
        {QStringLiteral("RESETPORTS"), QStringLiteral("0")},
        {QStringLiteral("ENTERSEND"), QStringLiteral("0")},
        {QStringLiteral("HIDEENTERSENDTIP"), QStringLiteral("0")},
        {QStringLiteral("WAVEFILE"), QString()},
        {QStringLiteral("WINPOSX"), QStringLiteral("0")},
        {QStringLiteral("WINPOSY"), QStringLiteral("0")},
    };
    QStringList lines = {QStringLiteral("Vantrell Messenger v1.5.1"),
                         QStringLiteral("Settings file")};
    for (const auto &[key, value] : defaults)
        lines.append(Text::settingsKey(key) + overrides.value(key, value));
    lines.append(QStringLiteral("End"));
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString Office::folder(const QString &name) const
{
    const QString path = QDir(dir_.path()).filePath(name);
    QDir().mkpath(path);
    return path;
}

OfficePeer *Office::startPeer(QString *error)
{
    peer_ = std::make_unique<OfficePeer>(PeerWorkstation);
    if (!peer_->start(error)) {
        peer_.reset();
        return nullptr;
    }
    return peer_.get();
}

OfficeCopy *Office::startCopy(int workstation, const QString &computer, const QString &user,
                              const QString &name, const QMap<QString, QString> &settings,
                              QString *error)
{
    if (!peer_) {
        *error = QStringLiteral("start the peer first: it tells when a copy is up");
        return nullptr;
    }
    copies_.push_back(std::make_unique<OfficeCopy>(folder(QStringLiteral("ws%1").arg(workstation)),
                                                   workstation, computer, user, name, settings));
    OfficeCopy *copy = copies_.back().get();
    if (!copy->start(error))
        return nullptr;
    if (!peer_->waitFor(Datagram::announce(copy->identity(), copy->name()))) {
        *error = QStringLiteral("no announcement of ") + copy->identity() + QStringLiteral("\n") +
                 copy->diagnostics();
        return nullptr;
    }
    return copy;
}
