#include "common/environment.h"
#include "common/singleinstance.h"
#include "messenger/app/loadingwindow.h"
#include "messenger/app/mainwindow.h"
#include "messenger/app/messenger.h"
#include "messenger/app/promptdialog.h"
#include "messenger/app/settingsfile.h"
#include "messenger/app/traywidget.h"

#include <QApplication>
#include <QScreen>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace
{
// A copy started with VTMESSENGER_NO_BOXES=1 runs without a person at the screen (the office
// tests start it so): every box is answered by the SilentPrompter, and unless the caller
// chose a platform it draws offscreen.
bool headless()
{
    return qgetenv("VTMESSENGER_NO_BOXES") == "1";
}

#ifdef Q_OS_UNIX
// SIGTERM and SIGINT end the copy through its own exit path (sign-off, log archive, users,
// settings and history saved) instead of killing it with its log left in logtemp.txt. A
// signal handler may do almost nothing, so it only writes the signal into a socket pair;
// the event loop reads it there and runs the shutdown.
int signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    const ssize_t written = ::write(signalPipe[0], &byte, 1);
    static_cast<void>(written); // nothing can be done about a full pipe here
}

bool installTerminationHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

// Called once the start-up is over: a signal that came earlier waits in the pipe and is
// handled as soon as the event loop runs, so the shutdown never overlaps the start-up.
void shutdownOnTerminationSignal(Messenger &session, QObject *owner)
{
    if (signalPipe[1] < 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [&session, notifier] {
        char byte = 0;
        const ssize_t got = ::read(signalPipe[1], &byte, 1);
        static_cast<void>(got);
        // One shutdown, however many signals follow.
        notifier->setEnabled(false);
        session.shutdown();
    });
}
#endif
} // namespace

int main(int argc, char *argv[])
{
    const bool noBoxes = headless();
    if (noBoxes && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_UNIX
    // Before anything else, so that a signal during the start-up is not fatal.
    installTerminationHandlers();
#endif

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("vtmessenger"));
    app.setQuitOnLastWindowClosed(false);
    app.setStyleSheet(MainWindow::applicationStyle());

    app.setWindowIcon(TrayWidget::lookIcon(TrayWidget::Look::Idle));

    bool silent = false;
    for (const QString &arg : app.arguments().mid(1))
        silent = silent || arg.compare(QLatin1String("/m"), Qt::CaseInsensitive) == 0;

    PromptDialog dialogs;
    // Without a person the boxes go to stderr, so that a copy that ends says why.
    SilentPrompter noPerson(stderr);
    Prompter &prompter = noBoxes ? static_cast<Prompter &>(noPerson) : dialogs;

    // One copy per user: a second one says so and ends, leaving the first undisturbed. When
    // no lock can be made at all, nothing guards the run and the start goes on.
    SingleInstance instance(QStringLiteral("vtmessenger"));
    if (instance.acquire() == SingleInstance::Status::AlreadyRunning) {
        prompter.message(SettingsFile::header() + QStringLiteral("\r\n     is already running."),
                         QStringLiteral("Vantrell Messenger"));
        return 0;
    }

    const QString folder = Environment::programFolder();
    // Before the settings are read: they name the folder's "tovik.wav" when no other sound is
    // chosen. A folder that cannot take it plays the plain beep instead.
    TrayWidget::ensureDefaultSound(folder, QCoreApplication::applicationDirPath());

    Messenger session(folder, prompter);
    session.silent = silent;
    MainWindow window(session);
    dialogs.setParent(&window);
    // The tray form comes first: its icon is there before the start-up asks anything.
    TrayWidget tray(session, window);
    tray.addIcon();
    session.setSplashProgress(10);
    LoadingWindow loading;
    QObject::connect(&session, &Messenger::splashProgressChanged, &loading, [&loading](int value) {
        if (value >= loading.progress())
            loading.setProgress(value);
    });
    if (!silent && !noBoxes)
        loading.showCentred();
    // exit(), not quit(): quit() first asks every window to close, and the main window answers
    // a close with the shutdown, which would then run again and ask to quit again.
    QObject::connect(
        &session, &Messenger::quitRequested, &app, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);

    const QScreen *screen = app.primaryScreen();
    const QSizeF screenTwips(screen->geometry().width() * window.twipsPerPixelX(),
                             screen->geometry().height() * window.twipsPerPixelY());
    const Messenger::StartResult result = session.start(screenTwips);
    loading.close();
    if (result == Messenger::StartResult::PortInUse) {
        tray.unloadmecommand_Click();
        return 0;
    }
#ifdef Q_OS_UNIX
    shutdownOnTerminationSignal(session, &app);
#endif
    window.move(int(session.winLeftTwips / window.twipsPerPixelX()),
                int(session.winTopTwips / window.twipsPerPixelY()));
    // "/m" and "Minimize on Startup" go straight to the tray (to the task bar where there is
    // no tray); otherwise the window shows.
    if (silent || session.options.startminimized)
        window.spotmin_Click();
    else
        window.show();
    // Every end of the program takes the icon out of the tray.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &tray,
                     &TrayWidget::unloadmecommand_Click);
    return app.exec();
}
