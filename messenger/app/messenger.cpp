#include "messenger.h"

#include "common/environment.h"
#include "common/processes.h"
#include "messenger/app/usersfile.h"

#include <QDir>
#include <QFile>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

Messenger::Messenger(const QString &folder, Prompter &prompter, Clock clock, QObject *parent)
    : QObject(parent), directory(options), popupSlots(clock), log(folder, clock), dispatcher(*this),
      monitor(*this), buttons(folder), groups(folder, directory), autoResponder(*this),
      sender(*this), folder_(folder), prompter_(prompter), clock_(std::move(clock))
{
    connect(&transport, &Transport::tick, &dispatcher, &Dispatcher::tick);
    connect(&transport, &Transport::statusText, this, &Messenger::setStatus);
    connect(&directory, &Directory::send, this, [this](const QString &text) { broadcast(text); });
    connect(&directory, &Directory::statusText, this, &Messenger::setStatus);
    connect(&directory, &Directory::directoryGrew, this, &Messenger::saveusers_Click);
    resetPortsHook = [this] { monitor.resetPorts(); };
    awayHandler = [this](const Datagram::Message &message) { autoResponder.handle(message); };
    // The send routines take the groups from the group file as the main window lists them.
    connect(&groups, &Groups::mainListChanged, this,
            [this] { sender.groupList = groups.mainList; });
    sender.groupMembers = [this](int slot) {
        return slot >= 0 && slot < Groups::SlotCount ? groups.group[std::size_t(slot)]
                                                     : QStringList();
    };
}

Messenger::~Messenger() = default;

QString Messenger::file(const QString &name) const
{
    return QDir(folder_).filePath(name);
}

QDateTime Messenger::now() const
{
    return clock_ ? clock_() : QDateTime::currentDateTime();
}

void Messenger::setSplashProgress(int value)
{
    splashProgress = value;
    Q_EMIT splashProgressChanged(value);
}

void Messenger::setStatus(const QString &text)
{
    statustext = text;
    Q_EMIT statusChanged(text);
}

void Messenger::switchAutoResponseOff()
{
    // Clears `away` and runs the display update (notice, tray look and menu).
    autoResponder.switchOff();
    Q_EMIT autoResponseSwitchedOff();
}

bool Messenger::broadcast(const QString &text, SocketError *err)
{
    SocketError error;
    const bool ok = sendHook ? sendHook(text, &error) : transport.send(text, &error);
    if (!ok)
        lastSendError_ = error;
    if (err)
        *err = error;
    return ok;
}

Messenger::StartResult Messenger::start(const QSizeF &screenTwips)
{
    setSplashProgress(20);
    popupSlots.popupcount();
    loadbuttons();

    // First run: ask for the display name and write the defaults.
    const QString settingsPath = SettingsFile::path(folder_);
    if (!QFile::exists(settingsPath)) {
        setSplashProgress(30);
        QString answer;
        const bool given = withBox([&] {
            return prompter_.input(QStringLiteral("Please enter your name:") + kCrLf,
                                   QStringLiteral("Vantrell Messenger Setup"),
                                   Environment::userName(), &answer);
        });
        options.friendlyname = given ? Datagram::upper(answer) : QString();
        directory.refreshUser();
        setSplashProgress(40);
        const double left = (screenTwips.width() - SettingsFile::MainWindowWidth) / 2;
        const double top = (screenTwips.height() - SettingsFile::MainWindowHeight) / 2;
        SettingsFile::writeDefaults(settingsPath, options.friendlyname, folder_, left, top);
    }

    setSplashProgress(50);
    log.recoverUnfinished();
    setSplashProgress(55);
    loadusers_Click();
    setSplashProgress(60);
    loadgroups();
    setSplashProgress(70);

    // Binding: a taken port ends the program, anything else stops or skips as it must.
    SocketError err;
    if (!transport.bindListening(options.listenPort, &err)) {
        if (const auto stop = handleStartupError(err, true))
            return *stop;
    }
    setSplashProgress(80);
    if (!transport.bindSending(options.sendPort, &err)) {
        if (const auto stop = handleStartupError(err, false))
            return *stop;
    }
    setSplashProgress(100);

    log.addStartMark();
    cleanlog_Click();

    // Announce twice when nobody answered the first time (the replies of the first are
    // still queued, held by the box, so the list is empty unless filled from before).
    for (int attempt = 0; attempt < 2; ++attempt) {
        lastSendError_ = SocketError();
        transport.withBoxOpen([this] { directory.announce(); });
        if (lastSendError_.number != 0) {
            if (lastSendError_.description == Transport::noRouteText)
                return stopWithoutNetwork(lastSendError_);
            break;
        }
        if (!directory.allusers.isEmpty())
            break;
    }

    historyLoaded = history.load(file(QStringLiteral("hist.dat")));
    monitor.start();
    startupComplete = true;
    setSplashProgress(15);
    return StartResult::Running;
}

Messenger::StartResult Messenger::stopWithoutNetwork(const SocketError &err)
{
    reportNoNetwork(err);
    // The steps after this one are skipped, but the stored history is still read (or this
    // run's messages could not be saved at exit without losing it) and the start-up counts
    // as complete, as the program runs on and the monitor takes over.
    historyLoaded = history.load(file(QStringLiteral("hist.dat")));
    startupComplete = true;
    setSplashProgress(15);
    return StartResult::NoNetwork;
}

std::optional<Messenger::StartResult> Messenger::handleStartupError(const SocketError &err,
                                                                    bool listening)
{
    if (err.description == Transport::addressInUseText) {
        const int port = err.port ? err.port : (listening ? options.listenPort : options.sendPort);
        NetworkMonitor::Pause pause(monitor);
        if (!silent)
            withBox([&] {
                prompter_.message(QStringLiteral("Port ") + QString::number(port) +
                                      QStringLiteral(" is in use."),
                                  QStringLiteral("Vantrell Messenger"));
            });
        // The log of a run that did not end cleanly was taken out of logtemp.txt before the
        // binding; ending now without writing it back would lose it.
        if (!log.lstMessages().isEmpty())
            cleanlog_Click();
        Q_EMIT quitRequested();
        return StartResult::PortInUse;
    }
    if (err.description == Transport::noRouteText)
        return stopWithoutNetwork(err);
    // Any other failure skips the step.
    return std::nullopt;
}

void Messenger::reportNoNetwork(const SocketError &err)
{
    setStatus(QStringLiteral("Network Error"));
    log.addNetworkError(err.description);
    cleanlog_Click();
    // The monitor takes over from here; it only rests while the box is open.
    monitor.start();
    NetworkMonitor::Pause pause(monitor);
    if (!silent)
        withBox([&] {
            prompter_.message(QStringLiteral("No Network Connection."),
                              QStringLiteral("Vantrell Messenger"));
        });
}

void Messenger::shutdown()
{
    // Hold the queue for good: a datagram handled after the archive would write logtemp.txt
    // again, or answer presence through a socket that is closed below.
    transport.setBoxOpen(true);
    // No probe may re-open a socket after the sign-off.
    monitor.stop();
    saveusers_Click();
    log.archiveAtExit();
    lastSendError_ = SocketError();
    directory.signOff();
    if (lastSendError_.description == Transport::addressInUseText) {
        // The sending port was taken from under this copy: the end is abandoned and the
        // program runs on, its users, settings and log already saved.
        transport.setBoxOpen(false);
        monitor.start();
        Q_EMIT shutdownAbandoned();
        return;
    }
    // Any other failure of the sign-off ends the program all the same, but not before the
    // history is saved: skipping that would lose this run's messages.
    transport.close();
    // A run that never read the stored history must not replace it with an empty one.
    if (historyLoaded || !QFile::exists(file(QStringLiteral("hist.dat"))))
        history.save(file(QStringLiteral("hist.dat")));
    Q_EMIT quitRequested();
}

void Messenger::loadusers_Click()
{
    const SettingsFile::LoadResult result =
        SettingsFile::load(SettingsFile::path(folder_), options, !startupComplete);
    if (result.windowLeft)
        winLeftTwips = *result.windowLeft;
    if (result.windowTop)
        winTopTwips = *result.windowTop;
    winLeftTwips = qMax(0.0, winLeftTwips);
    winTopTwips = qMax(0.0, winTopTwips);
    Q_EMIT optionsApplied(result);
    UsersFile(folder_).loadusers_Click(directory, cachecleared);
}

void Messenger::saveusers_Click()
{
    UsersFile(folder_).saveusers_Click(directory);
    saveallsettings_Click();
}

bool Messenger::saveallsettings_Click()
{
    const bool saved =
        SettingsFile::save(SettingsFile::path(folder_), options, winLeftTwips, winTopTwips);
    Q_EMIT settingsSaved();
    Processes::KillProcess(QStringLiteral("tovikwatchdog.exe"));
    return saved;
}

void Messenger::Command1_Click()
{
    QString answer;
    const bool given = withBox([&] {
        return prompter_.input(QStringLiteral("Please enter your name:") + kCrLf,
                               QStringLiteral("Change your Vantrell Messenger Name"),
                               options.friendlyname, &answer);
    });
    // A name of blanks only would show as nobody in every list.
    if (!given || answer.trimmed().isEmpty())
        return;
    // A line break would make every copy drop the announcement as malformed.
    answer.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    options.friendlyname = Datagram::upper(answer);
    directory.refreshUser();
    directory.announce();
    saveallsettings_Click();
}

ButtonSet::LoadResult Messenger::loadbuttons()
{
    const ButtonSet::LoadResult result = buttons.loadbuttons();
    Q_EMIT buttonsLoaded();
    QString problem;
    if (result.status == ButtonSet::LoadResult::Status::ReadFailed)
        problem = QStringLiteral("The quick-send button file could not be read:") + kCrLf +
                  buttons.path();
    else if (result.status == ButtonSet::LoadResult::Status::Incomplete)
        problem = QStringLiteral("The quick-send button file is incomplete: ") +
                  QString::number(result.recordsRead) + QStringLiteral(" of ") +
                  QString::number(ButtonSet::SlotCount) +
                  QStringLiteral(" buttons could be read; the others are empty.") + kCrLf +
                  buttons.path();
    else if (result.defaultsNotWritten)
        problem = QStringLiteral("The quick-send button file could not be created:") + kCrLf +
                  buttons.path();
    if (!problem.isEmpty() && !silent)
        withBox([&] { prompter_.message(problem, QStringLiteral("Vantrell Messenger")); });
    return result;
}

bool Messenger::loadgroups()
{
    const bool ok = groups.loadgroups_Click();
    if (!ok && !silent)
        withBox([&] {
            prompter_.message(QStringLiteral("The group file could not be read or created:") +
                                  kCrLf + groups.path(),
                              QStringLiteral("Vantrell Messenger"));
        });
    return ok;
}

void Messenger::cleanlog_Click()
{
    log.cleanlog_Click();
}

void Messenger::handleAway(const Datagram::Message &message)
{
    if (awayHandler)
        awayHandler(message);
}
