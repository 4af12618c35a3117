#pragma once
// The office of one C++ office test: a folder for every workstation's files, the scripted
// peer and the real copies on the simulated LAN, all ended when the office goes. The test
// itself runs on a workstation of scripts/office-lan (ws-exec), so its in-process copy
// (LocalCopy) is one more desk of the same office. Waits poll against one deadline.
#include "officecopy.h"
#include "officepeer.h"

#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

class Office final
{
public:
    static constexpr int ListeningPort = 4111;
    static constexpr int SendingPort = 4112;
    static constexpr int PeerWorkstation = 200;
    static QString peerIdentity() { return QStringLiteral("[PEER\\BOT]"); }

    Office();
    ~Office();
    Office(const Office &) = delete;
    Office &operator=(const Office &) = delete;

    // False with `why` set when the test does not run on a workstation of the office.
    static bool onWorkstation(QString *why);
    // The workstation runner of scripts/office-lan ($OFFICE_LAN_EXEC).
    static QString wsExec();
    // The workstation this process runs on ($OFFICE_LAN_WS).
    static int ownWorkstation();
    // $OFFICE_DEADLINE seconds (default 10): long enough for a loaded two-core machine.
    static int deadlineMs();
    // Polls `done` while the event loop runs, until it holds or the deadline passes.
    static bool waitUntil(const std::function<bool()> &done, int timeoutMs = deadlineMs());
    // A data file decoded from the code page; empty when it does not exist.
    static QString readText(const QString &path);
    // A settings file as the saver writes it. Options not given keep their defaults, except
    // that office copies play no sound and make no start-with-the-desktop entry.
    static QString settingsText(const QString &name, const QMap<QString, QString> &overrides = {});

    QString root() const { return dir_.path(); }
    // A folder of the office's root, created when missing.
    QString folder(const QString &name) const;

    // The peer on PeerWorkstation; nullptr (and `error`) when it does not come up.
    OfficePeer *startPeer(QString *error);
    OfficePeer *peer() const { return peer_.get(); }

    // Starts a real copy and waits until the peer has heard its announcement (sockets
    // bound, start-up done as far as the announcement). Needs the peer.
    OfficeCopy *startCopy(int workstation, const QString &computer, const QString &user,
                          const QString &name, const QMap<QString, QString> &settings,
                          QString *error);

private:
    QTemporaryDir dir_;
    std::unique_ptr<OfficePeer> peer_;
    std::vector<std::unique_ptr<OfficeCopy>> copies_;
};
