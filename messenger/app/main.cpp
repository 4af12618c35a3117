#include "common/environment.h"
#include "messenger/app/mainwindow.h"
#include "messenger/app/messenger.h"
#include "messenger/app/promptdialog.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("vtmessenger"));
    app.setQuitOnLastWindowClosed(false);

    bool silent = false;
    for (const QString &arg : app.arguments().mid(1))
        silent = silent || arg.compare(QLatin1String("/m"), Qt::CaseInsensitive) == 0;

    PromptDialog prompter;
    Messenger session(Environment::programFolder(), prompter);
    session.silent = silent;
    MainWindow window(session);
    prompter.setParent(&window);
    QObject::connect(&session, &Messenger::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    const QScreen *screen = app.primaryScreen();
    const QSizeF screenTwips(screen->geometry().width() * window.twipsPerPixelX(),
                             screen->geometry().height() * window.twipsPerPixelY());
    const Messenger::StartResult result = session.start(screenTwips);
    if (result == Messenger::StartResult::PortInUse)
        return 0;
    window.move(int(session.winLeftTwips / window.twipsPerPixelX()), int(session.winTopTwips / window.twipsPerPixelY()));
    window.show();
    return app.exec();
}
