#include "settingseditor.h"

#include "common/environment.h"
#include "common/textfile.h"
#include "messenger/app/messenger.h"
#include "messenger/net/datagram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("Vantrell Messenger");
} // namespace

const QString SettingsEditor::caption = QStringLiteral("Vantrell Messenger - Settings");
const QString SettingsEditor::frameCaption = QStringLiteral("Vantrell Messenger ");
const QString SettingsEditor::transferTitle =
    QStringLiteral("Settings and Buttons Transfer Utility");
const QString SettingsEditor::notInstalled = QStringLiteral("  (Utility not Installed)");
const QString SettingsEditor::transferDescription = QStringLiteral(
    "Exchange Settings, Buttons configuration and Group Configuration with other users.");
const QStringList SettingsEditor::fontSizes = {QStringLiteral("8"), QStringLiteral("10"),
                                               QStringLiteral("12"), QStringLiteral("14"),
                                               QStringLiteral("16")};

SettingsEditor::SettingsEditor(Messenger &session, QObject *parent)
    : QObject(parent), session_(session), transferProgram_(defaultTransferProgram())
{
}

// --- Opening and diagnostics ---

void SettingsEditor::activate()
{
    getstats();
    acchanged_ = false;
    transferAvailable_ = QFileInfo(transferProgram_).isFile();
    ar3AtOpening_ = session_.options.ar[3];
}

void SettingsEditor::getstats()
{
    const Transport &transport = session_.transport;
    portlisten_ = transport.localListenPort();
    // The listening socket's remote port is the sending port.
    portsend_ = transport.remoteSendPort();
    localinfo_ =
        diagnostics(Transport::localIp(), Transport::localHostName(), Environment::userName(),
                    transport.listeningState(), transport.sendingState(),
                    session_.statustext == NetworkMonitor::networkErrorText);
    Q_EMIT statsChanged();
}

QString SettingsEditor::diagnostics(const QString &localIp, const QString &hostName,
                                    const QString &userName, int listeningState, int sendingState,
                                    bool networkError)
{
    QString lineA;
    QString lineB;
    if (networkError) {
        lineA = QStringLiteral("Network Error:") + kCrLf;
        lineB = QStringLiteral("No network connection");
    } else {
        lineA = QStringLiteral("Winsock 1 State: ") + stateName(listeningState, true) + kCrLf;
        lineB = QStringLiteral("Winsock 2 State: ") + stateName(sendingState, false);
    }
    const QString version = QStringLiteral("%1.%2.%3")
                                .arg(VT_VERSION_MAJOR)
                                .arg(VT_VERSION_MINOR)
                                .arg(VT_VERSION_PATCH);
    return QStringLiteral("Version: ") + version + kCrLf + QStringLiteral("Local IP Address: ") +
           localIp + kCrLf + QStringLiteral("Local Host Name: ") + hostName + kCrLf +
           QStringLiteral("Local User Name: ") + userName + kCrLf + lineA + lineB;
}

QString SettingsEditor::stateName(int state, bool listening)
{
    if (state == 1 && !listening)
        return QStringLiteral("Ready");
    return NetworkMonitor::stateName(state);
}

// --- The transfer utility ---

QString SettingsEditor::defaultTransferProgram()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("cfgrelay.exe");
#else
    const QString name = QStringLiteral("cfgrelay");
#endif
    return QDir(Environment::executableFolder()).filePath(name);
}

QString SettingsEditor::transferHeading() const
{
    return transferAvailable_ ? transferTitle : transferTitle + notInstalled;
}

bool SettingsEditor::transfer()
{
    QProcess process;
    process.setProgram(transferProgram_);
    process.setWorkingDirectory(session_.folder());
    // The utility works on this copy's files, wherever they live.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VTMESSENGER_HOME"), session_.folder());
    process.setProcessEnvironment(environment);
    return process.startDetached();
}

// --- Edits of the options ---

void SettingsEditor::setFlag(bool Options::*flag, bool value)
{
    session_.options.*flag = value;
    acchanged_ = true;
}

void SettingsEditor::setFontSize(const QString &text)
{
    session_.options.msgfontsize = text;
    acchanged_ = true;
}

void SettingsEditor::setResponse(int i, const QString &text)
{
    if (i < 0 || i > 2)
        return;
    session_.options.ar[i] = text;
    acchanged_ = true;
}

bool SettingsEditor::isWaveFile(const QString &path)
{
    return path.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive);
}

bool SettingsEditor::chooseWavefile(const QString &path)
{
    if (!isWaveFile(path))
        return false;
    session_.options.wavefile = QDir::toNativeSeparators(path);
    acchanged_ = true;
    return true;
}

// --- The forward target ---

QStringList SettingsEditor::forwardChoices() const
{
    QStringList out{QStringLiteral("None")};
    const QString own = session_.options.friendlyname.toLower();
    for (const QString &name : session_.directory.allusers) {
        if (name.toLower() != own)
            out.append(name);
    }
    return out;
}

void SettingsEditor::forwardTargetSaved(const QString &ar3, const QString &ar3temp)
{
    session_.options.ar[3] = ar3;
    session_.options.ar3temp = ar3temp;
    fwdchange_ = true;
    Q_EMIT forwardTargetChanged();
}

bool SettingsEditor::autoreplyEnabled() const
{
    return !session_.options.ar3temp.isEmpty();
}

// --- Edits of the button set ---

ButtonSet::Look SettingsEditor::setButtonCaption(int i, const QString &caption)
{
    ButtonSet::Slot slot = session_.buttons.slot(i);
    slot.caption = caption;
    session_.buttons.setSlot(i, slot);
    return ButtonSet::editingLook(slot.caption, slot.sendImmediately);
}

void SettingsEditor::setButtonMessage(int i, const QString &message)
{
    ButtonSet::Slot slot = session_.buttons.slot(i);
    slot.message = message;
    session_.buttons.setSlot(i, slot);
}

ButtonSet::Look SettingsEditor::setButtonSendImmediately(int i, bool sendNow)
{
    ButtonSet::Slot slot = session_.buttons.slot(i);
    slot.sendImmediately = sendNow;
    session_.buttons.setSlot(i, slot);
    return ButtonSet::editingLook(slot.caption, slot.sendImmediately);
}

// --- "Change" buttons ---

void SettingsEditor::changeName()
{
    session_.Command1_Click();
    Q_EMIT statsChanged();
}

void SettingsEditor::changeListeningPort()
{
    session_.monitor.changeports1_Click();
    getstats();
}

void SettingsEditor::changeSendingPort()
{
    session_.monitor.changeports2_Click();
    getstats();
}

// --- Admin ---

bool SettingsEditor::autoClean()
{
    Directory &directory = session_.directory;
    directory.refreshUser();
    const QString usersPath = session_.file(QStringLiteral("users.txt"));
    const bool written = TextFile::writeLines(
        usersPath,
        {Datagram::upper(directory.user + QLatin1Char('=') + session_.options.friendlyname)});
    acchanged_ = true;
    session_.getusers_Click();
    if (!written)
        tell(QStringLiteral("The user list could not be cleaned: ") + kCrLf +
             QDir::toNativeSeparators(usersPath));
    return written;
}

bool SettingsEditor::resetAllData()
{
    Transport &transport = session_.transport;
    const int listenPort = transport.localListenPort();
    const int sendPort = transport.remoteSendPort();
    const bool listening = transport.listeningState() != 0;
    const bool sending = transport.sendingState() != 0;

    transport.close();
    const Prompter::Answer answer = session_.withBox([this] {
        return session_.prompter().question(QStringLiteral("Are you Sure?"),
                                            QStringLiteral("Reset All"), false);
    });
    SocketError err;
    bool rebound = !listening || transport.bindListening(listenPort, &err);
    if (sending && !transport.bindSending(sendPort, rebound ? &err : nullptr))
        rebound = false;

    if (answer != Prompter::Answer::Yes) {
        if (!rebound) {
            const QString text = err.description == Transport::addressInUseText
                                     ? QStringLiteral("Port ") + QString::number(err.port) +
                                           QStringLiteral(" is in use.")
                                     : QStringLiteral("Port ") + QString::number(err.port) +
                                           QStringLiteral(": ") + err.description;
            session_.setStatus(text);
            tell(text);
        }
        getstats();
        return false;
    }

    QStringList notDeleted;
    for (const char *name : {"settings.txt", "users.txt", "buttons.txt", "groups.txt"}) {
        const QString path = session_.file(QLatin1String(name));
        if (QFileInfo::exists(path) && !QFile::remove(path))
            notDeleted.append(QDir::toNativeSeparators(path));
    }
    transport.close();
    if (!notDeleted.isEmpty())
        tell(QStringLiteral("These files could not be deleted:") + kCrLf + notDeleted.join(kCrLf));
    tell(QStringLiteral("Please Restart Vantrell Messenger"));
    transport.close();

    // Nothing may write the files again before the program is gone: no datagram is handled
    // and the monitor rests.
    ending_ = true;
    transport.setBoxOpen(true);
    session_.monitor.stop();
    Q_EMIT session_.quitRequested();
    return true;
}

// --- Save and Cancel ---

bool SettingsEditor::save()
{
    Messenger &session = session_;
    if (!session.saveallsettings_Click()) {
        tell(QStringLiteral("The settings could not be saved:") + kCrLf +
             QDir::toNativeSeparators(SettingsFile::path(session.folder())));
        return false;
    }
    session.log.addSettingsSaved();

    if (fwdchange_ || session.options.ar[3] != ar3AtOpening_)
        acchanged_ = true;
    fwdchange_ = false;
    if (acchanged_) {
        session.directory.allusers.clear();
        Q_EMIT session.directory.allusersChanged();
        session.loadusers_Click();
        session.getusers_Click();
    }
    acchanged_ = false;
    ar3AtOpening_ = session.options.ar[3];
    // The automatic-response label reads "Auto Respond On: " + the response in use.
    session.autoResponder.away_Click();

    if (!session.buttons.SAVEBUTTONS()) {
        tell(QStringLiteral("The buttons could not be saved:") + kCrLf +
             QDir::toNativeSeparators(session.buttons.path()));
        return false;
    }
    session.loadbuttons();
    return true;
}

void SettingsEditor::cancel()
{
    fwdchange_ = false;
    acchanged_ = false;
    session_.loadusers_Click();
    session_.loadbuttons();
    ar3AtOpening_ = session_.options.ar[3];
    Q_EMIT forwardTargetChanged();
    Q_EMIT statsChanged();
}

void SettingsEditor::tell(const QString &text)
{
    session_.withBox([&] { session_.prompter().message(text, kTitle); });
}
