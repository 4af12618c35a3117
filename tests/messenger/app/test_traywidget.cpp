// The tray form without a tray (offscreen): its three menus with every caption and state,
// the single check mark of the automatic-response menu, the icon's look and tip as message
// windows open and close and the away mode switches, the panel coming back, what a click
// on the icon restores, the Tools items, the notification sound and the default sound file.
// Datagrams are captured by the session's send hook, so no socket is opened.
#include "common/text.h"
#include "common/textfile.h"
#include "messenger/app/mainwindow.h"
#include "messenger/app/messenger.h"
#include "messenger/app/traywidget.h"
#include "messenger/windows/historywindow.h"
#include "messenger/windows/logwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace
{
const QString kAnn = QStringLiteral("[PC1\\ANN]");
const QString kCrLf = QStringLiteral("\r\n");

class ScriptedPrompter final : public Prompter
{
public:
    Transport *transport = nullptr;
    QStringList texts;
    QList<bool> held;

    void message(const QString &text, const QString &) override
    {
        texts << text;
        held << (transport && transport->boxopen());
    }
    Answer question(const QString &text, const QString &, bool) override
    {
        texts << text;
        return Answer::Cancel;
    }
    bool input(const QString &, const QString &, const QString &, QString *) override
    {
        return false;
    }
};

struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    Messenger session;
    QStringList sent;
    QList<QUrl> opened;
    bool openSucceeds = true;
    QStringList played;
    int settingsRuns = 0;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<TrayWidget> tray;

    Fixture() : session(dir.path(), prompter)
    {
        prompter.transport = &session.transport;
        session.options.friendlyname = QStringLiteral("ANN");
        session.directory.refreshUser();
        session.sendHook = [this](const QString &text, SocketError *) {
            sent << text;
            return true;
        };
        window = std::make_unique<MainWindow>(session);
        tray = std::make_unique<TrayWidget>(session, *window);
        tray->openUrl = [this](const QUrl &url) {
            opened << url;
            return openSucceeds;
        };
        tray->playFile = [this](const QString &path) { played << path; };
        tray->changeSettings = [this] { ++settingsRuns; };
        tray->addIcon();
        session.popupSlots.popupcount();
    }

    // A settings file with these automatic-response texts and AUTORESPONSEALLOW, loaded as
    // "Find Other Users" or the start-up load it.
    void loadSettings(bool allow, const QStringList &texts)
    {
        QStringList lines{SettingsFile::header()};
        lines << Text::settingsKey(QStringLiteral("MY NAME")) + QStringLiteral("ANN");
        lines << Text::settingsKey(QStringLiteral("AUTORESPONSEALLOW")) +
                     QString::number(allow ? 1 : 0);
        const char *keys[] = {"AUTORESPONSEMSG", "AUTORESPONSEMSG1", "AUTORESPONSEMSG2",
                              "AUTORESPONSEMSG3"};
        for (int i = 0; i < 4; ++i)
            lines << Text::settingsKey(QString::fromLatin1(keys[i])) + texts.value(i);
        lines << QStringLiteral("End");
        QVERIFY(TextFile::writeLines(SettingsFile::path(dir.path()), lines));
        session.loadusers_Click();
    }

    QList<int> checkedEntries() const
    {
        QList<int> checked;
        for (int i = 0; i < TrayWidget::AutoItems; ++i)
            if (tray->armenu(i)->isChecked())
                checked << i;
        return checked;
    }

    // Opens n message windows' slots as the dispatcher does.
    void openWindows(int n)
    {
        for (int i = 0; i < n; ++i) {
            session.popupSlots.choose();
            session.popupSlots.popupcount();
        }
    }

    QImage iconImage() const { return tray->icon()->icon().pixmap(32, 32).toImage(); }
    static QImage lookImage(TrayWidget::Look look)
    {
        return TrayWidget::lookIcon(look).pixmap(32, 32).toImage();
    }
};

QString lookName(TrayWidget::Look look)
{
    switch (look) {
    case TrayWidget::Look::Idle:
        return QStringLiteral("idle");
    case TrayWidget::Look::Message:
        return QStringLiteral("message");
    case TrayWidget::Look::Away:
        return QStringLiteral("away");
    }
    return QString();
}
} // namespace

class TestTrayWidget : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Fixture> f;
    QTemporaryDir home_;

    void compareLook(TrayWidget::Look expected)
    {
        QCOMPARE(lookName(f->tray->look()), lookName(expected));
        QCOMPARE(f->tray->icon()->toolTip(), expected == TrayWidget::Look::Away
                                                 ? QStringLiteral("QM AWAY")
                                                 : QStringLiteral("Vantrell Messenger"));
        QCOMPARE(f->iconImage(), Fixture::lookImage(expected));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("COMPUTERNAME", "pc1");
        qputenv("USERNAME", "ann");
        // The saved-messages folder lies in the documents folder of this home.
        qputenv("HOME", home_.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DOCUMENTS_DIR");
    }
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    // --- Menus ---

    void menuItems_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption"); // "-" for a separator
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        const QString tools = QStringLiteral("toolsmenu");
        const QString tray = QStringLiteral("closepopups");
        const QString autores = QStringLiteral("autores");
        const QString sep = QStringLiteral("-");
        auto row = [](const QString &menu, int index, const QString &caption, bool visible,
                      bool enabled) {
            QTest::addRow("%s %d", qPrintable(menu), index)
                << menu << index << caption << visible << enabled;
        };
        row(tools, 0, QStringLiteral("Change Settings"), true, true);
        row(tools, 1, sep, false, true);
        row(tools, 2, QStringLiteral("Find Other Users"), true, true);
        row(tools, 3, sep, true, true);
        row(tools, 4, QStringLiteral("Configure Groups"), true, true);
        row(tools, 5, sep, true, true);
        row(tools, 6, QStringLiteral("Check for Updates"), true, true);
        row(tools, 7, sep, true, true);
        row(tools, 8, QStringLiteral("View Logs"), true, true);
        row(tools, 9, QStringLiteral("Open saved msgs folder"), true, true);
        row(tools, 10, sep, true, true);
        row(tools, 11, QStringLiteral("Help"), true, true);
        row(tools, 12, QStringLiteral("On-line Help"), true, true);
        row(tools, 13, sep, false, true);
        row(tools, 14, QStringLiteral("Recall last POP up"), false, false);
        // No message window open and AUTORESPONSEALLOW off: both visible items grey.
        row(tray, 0, QStringLiteral("Close All POPups"), true, false);
        row(tray, 1, QStringLiteral("Recall last POP up"), true, false);
        row(tray, 2, QStringLiteral("Enable Auto Respond"), false, false);
        // Before any settings were read: the built-in first text only.
        row(autores, 0, QStringLiteral("I'm away from my desk"), true, true);
        row(autores, 1, QString(), false, true);
        row(autores, 2, QString(), false, true);
        row(autores, 3, QString(), false, true);
        row(autores, 4, QStringLiteral("Auto Respond Off"), true, true);
    }
    void menuItems()
    {
        QFETCH(QString, menu);
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        const int count = menu == QLatin1String("toolsmenu")     ? TrayWidget::ToolsItems
                          : menu == QLatin1String("closepopups") ? TrayWidget::TrayItems
                                                                 : TrayWidget::AutoItems;
        QMenu *m = menu == QLatin1String("toolsmenu")     ? f->tray->toolsmenu()
                   : menu == QLatin1String("closepopups") ? f->tray->closepopups()
                                                          : f->tray->autores();
        QCOMPARE(m->objectName(), menu);
        QCOMPARE(m->actions().size(), count);
        QAction *action = m->actions().at(index);
        if (caption == QLatin1String("-"))
            QVERIFY(action->isSeparator());
        else
            QCOMPARE(action->text(), caption);
        QCOMPARE(action->isVisible(), visible);
        // A hidden item always reads as disabled.
        if (visible)
            QCOMPARE(action->isEnabled(), enabled);
    }

    void menuTitlesAndTrayMenu()
    {
        QCOMPARE(f->tray->toolsmenu()->title(), QStringLiteral("Tools"));
        QCOMPARE(f->tray->autores()->title(), QStringLiteral("Autorespond"));
        // The context request on the icon pops up the tray menu.
        QCOMPARE(f->tray->icon()->contextMenu(), f->tray->closepopups());
    }

    // The loader sets the entries' captions and visibility and the toggle's state.
    void loadedResponseMenu()
    {
        f->loadSettings(true,
                        {QStringLiteral("Back soon"), QString(),
                         QStringLiteral("Tom & Jerry's lunch"), QStringLiteral("Forward to: BOB")});
        QCOMPARE(f->tray->armenu(0)->text(), QStringLiteral("Back soon"));
        QVERIFY(f->tray->armenu(0)->isVisible());
        QVERIFY(!f->tray->armenu(1)->isVisible());
        // An ampersand in a text is shown, not taken as a shortcut marker.
        QCOMPARE(f->tray->armenu(2)->iconText(), QStringLiteral("Tom & Jerry's lunch"));
        QCOMPARE(f->tray->armenu(3)->text(), QStringLiteral("Forward to: BOB"));
        QVERIFY(f->tray->armenu(3)->isVisible());
        QCOMPARE(f->checkedEntries(), QList<int>{4});

        f->loadSettings(false, {QStringLiteral("Back soon")});
        QVERIFY(!f->tray->armenu(3)->isVisible());
    }

    // Exactly one check mark, whatever is chosen, and the mode, notice and toggle follow.
    void autoMenuHasOneCheckMark()
    {
        f->loadSettings(
            true, {QStringLiteral("Back soon"), QStringLiteral("At lunch"), QString(), QString()});
        QCOMPARE(f->checkedEntries(), QList<int>{4});

        f->tray->armenu(1)->trigger();
        QCOMPARE(f->checkedEntries(), QList<int>{1});
        QVERIFY(f->session.away);
        QCOMPARE(f->session.options.autorespond, QStringLiteral("At lunch"));
        auto *notice = f->window->findChild<QLabel *>(QStringLiteral("notice"));
        QCOMPARE(notice->text(), QStringLiteral("Auto Respond On: At lunch"));
        QCOMPARE(f->tray->closeall(TrayWidget::AutoToggle)->text(),
                 QStringLiteral("Disable Auto Respond"));

        // The same entry again keeps its mark instead of toggling it away.
        f->tray->armenu(1)->trigger();
        QCOMPARE(f->checkedEntries(), QList<int>{1});

        // An entry without a text cannot be chosen: the mark stays where the mode is.
        f->tray->armenu(2)->trigger();
        QCOMPARE(f->checkedEntries(), QList<int>{1});
        QCOMPARE(f->session.options.autorespond, QStringLiteral("At lunch"));

        f->tray->armenu(0)->trigger();
        QCOMPARE(f->checkedEntries(), QList<int>{0});

        f->tray->armenu(4)->trigger();
        QCOMPARE(f->checkedEntries(), QList<int>{4});
        QVERIFY(!f->session.away);
        QCOMPARE(f->tray->closeall(TrayWidget::AutoToggle)->text(),
                 QStringLiteral("Enable Auto Respond"));

        // Any own sending activity switches it off; the mark moves with it.
        f->tray->armenu(0)->trigger();
        f->session.switchAutoResponseOff();
        QCOMPARE(f->checkedEntries(), QList<int>{4});
    }

    // A reload keeps the mark on the mode in force; a mode no longer allowed goes off.
    void reloadKeepsTheMarkTrue()
    {
        const QStringList texts{QStringLiteral("Back soon"), QStringLiteral("At lunch")};
        f->loadSettings(true, texts);
        f->tray->armenu(1)->trigger();

        f->loadSettings(true, texts); // "Find Other Users"
        QVERIFY(f->session.away);
        QCOMPARE(f->checkedEntries(), QList<int>{1});

        f->loadSettings(false, texts);
        QVERIFY(!f->session.away);
        QCOMPARE(f->checkedEntries(), QList<int>{4});
        // Not allowed: choosing an entry does nothing.
        f->tray->armenu(0)->trigger();
        QVERIFY(!f->session.away);
        QCOMPARE(f->checkedEntries(), QList<int>{4});
    }

    void closeAllFollowsTheOpenWindows()
    {
        QAction *closeAll = f->tray->closeall(TrayWidget::CloseAll);
        QVERIFY(!closeAll->isEnabled());
        f->openWindows(2);
        QVERIFY(closeAll->isEnabled());
        f->session.popupSlots.free(0);
        QVERIFY(closeAll->isEnabled());
        f->session.popupSlots.free(1);
        QVERIFY(!closeAll->isEnabled());

        f->openWindows(3);
        QSignalSpy dismissed(&f->session.popupSlots, &PopupSlots::allDismissed);
        closeAll->trigger();
        QCOMPARE(dismissed.size(), 1);
        QCOMPARE(f->session.popupSlots.pucount(), QStringLiteral("10"));
        QVERIFY(!closeAll->isEnabled());
        QVERIFY(!f->tray->closeall(TrayWidget::RecallLastPopup)->isEnabled());
    }

    // --- The icon's look ---

    void looksAreDistinct()
    {
        const QImage idle = Fixture::lookImage(TrayWidget::Look::Idle);
        const QImage message = Fixture::lookImage(TrayWidget::Look::Message);
        const QImage away = Fixture::lookImage(TrayWidget::Look::Away);
        QVERIFY(!idle.isNull() && !message.isNull() && !away.isNull());
        QVERIFY(idle != message && idle != away && message != away);
    }

    void lookFollowsWindowsAndAway()
    {
        f->loadSettings(true, {QStringLiteral("Back soon")});
        compareLook(TrayWidget::Look::Idle);
        f->openWindows(1);
        compareLook(TrayWidget::Look::Message);
        f->session.popupSlots.free(0);
        compareLook(TrayWidget::Look::Idle);

        f->openWindows(2);
        f->tray->armenu(0)->trigger();
        compareLook(TrayWidget::Look::Away);
        // A window closed while away: one is still open.
        f->session.popupSlots.free(0);
        compareLook(TrayWidget::Look::Message);
        // The last one closed: still away.
        f->session.popupSlots.free(1);
        compareLook(TrayWidget::Look::Away);

        f->tray->armenu(TrayWidget::AutoItems - 1)->trigger();
        compareLook(TrayWidget::Look::Idle);
        f->openWindows(1);
        f->tray->armenu(0)->trigger();
        f->session.switchAutoResponseOff();
        compareLook(TrayWidget::Look::Message);
    }

    void panelComesBack_data()
    {
        QTest::addColumn<bool>("away");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("look");
        QTest::newRow("idle") << false << 0 << int(TrayWidget::Look::Idle);
        QTest::newRow("away") << true << 0 << int(TrayWidget::Look::Away);
        QTest::newRow("windows open") << false << 3 << int(TrayWidget::Look::Message);
        QTest::newRow("away with windows open") << true << 3 << int(TrayWidget::Look::Message);
    }
    void panelComesBack()
    {
        QFETCH(bool, away);
        QFETCH(int, open);
        QFETCH(int, look);
        f->loadSettings(true, {QStringLiteral("Back soon")});
        f->openWindows(open);
        if (away)
            f->tray->armenu(0)->trigger();
        // Whatever the icon showed when the panel went away.
        f->tray->ShellTrayAdd2();
        f->tray->TaskbarCreated();
        compareLook(TrayWidget::Look(look));
    }

    // --- Clicks on the icon ---

    void leftClickRestoresMainAndHistory()
    {
        // As on a desktop with a panel.
        f->window->hasTray = [] { return true; };
        f->session.startupComplete = true;
        f->window->show();
        HistoryWindow *history = f->window->historyWindow();
        f->session.history.setMinmain(true);
        history->show();
        f->window->spotmin_Click();
        QVERIFY(!f->window->isVisible());
        QVERIFY(!history->isVisible());
        QCOMPARE(f->session.minimized, QStringLiteral("yes"));

        // A double click shows the main window only.
        f->tray->doubleClick();
        QVERIFY(f->window->isVisible());
        QVERIFY(!history->isVisible());
        QCOMPARE(f->session.minimized, QStringLiteral("no"));

        f->window->spotmin_Click(); // the history is hidden already: it stays so
        QVERIFY(!f->session.history.wasopen());
        f->window->LumoButton6_Click();
        f->window->spotmin_Click();
        QVERIFY(f->session.history.wasopen());
        f->tray->leftClick();
        QVERIFY(f->window->isVisible());
        QVERIFY(!f->window->isMinimized());
        QVERIFY(history->isVisible());
        QVERIFY(!f->session.history.wasopen());
        QCOMPARE(history->showMainCaption(), QStringLiteral("Hide Main"));
        QVERIFY(f->prompter.texts.isEmpty());
    }

    void leftClickDuringStartUp_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::newRow("shown start") << false;
        QTest::newRow("/m") << true;
    }
    void leftClickDuringStartUp()
    {
        QFETCH(bool, silent);
        f->session.silent = silent;
        f->session.setSplashProgress(55);
        f->session.history.setWasopen(true);
        f->window->historyWindow()->hide();
        f->tray->leftClick();
        QCOMPARE(f->prompter.texts,
                 QStringList{QStringLiteral("Vantrell Messenger is still starting: 55")});
        QCOMPARE(f->prompter.held, QList<bool>{true});
        QVERIFY(f->window->isVisible());
        // With "/m" the history stays closed; otherwise it comes back.
        QCOMPARE(f->window->historyWindow()->isVisible(), !silent);
        QVERIFY(!f->session.history.wasopen());
    }

    // The start-up advances the splash and ends on the start-up-complete marker; a click
    // on the icon afterwards asks nothing.
    void startUpEndsOnTheMarker()
    {
        QSignalSpy progress(&f->session, &Messenger::splashProgressChanged);
        QCOMPARE(f->session.start(), Messenger::StartResult::Running);
        QList<int> values;
        for (const QList<QVariant> &signal : progress)
            values << signal.at(0).toInt();
        QCOMPARE(values, (QList<int>{20, 30, 40, 50, 55, 60, 70, 80, 100, 15}));
        QVERIFY(f->session.startupComplete);
        f->tray->leftClick();
        QVERIFY(f->prompter.texts.isEmpty());
        QVERIFY(f->window->isVisible());
        f->session.transport.close();
    }

    // --- Without a tray ---

    // Offscreen there is no tray: minimising goes to the task bar, and the monitor leaves
    // the window there instead of hiding it out of reach.
    void withoutTrayMinimisesToTaskBar()
    {
        QVERIFY(!f->tray->trayAvailable());
        f->session.startupComplete = true;
        f->window->show();
        f->window->spotmin_Click();
        QCOMPARE(f->session.minimized, QStringLiteral("yes"));
        QVERIFY(f->window->isVisible());
        QVERIFY(f->window->isMinimized());
        f->session.monitor.Timer1_Timer();
        QVERIFY(f->window->isVisible());

        // Brought back from the task bar.
        f->window->showNormal();
        QCOMPARE(f->session.minimized, QStringLiteral("no"));
        f->session.monitor.Timer1_Timer();
        QVERIFY(f->window->isVisible());
        QVERIFY(!f->window->isMinimized());
    }

    void quitTakesTheIconAway()
    {
        f->tray->TaskbarCreated(); // the icon is in a panel
        QVERIFY(f->tray->icon()->isVisible());
        QSignalSpy quit(&f->session, &Messenger::quitRequested);
        f->session.shutdown();
        QCOMPARE(quit.size(), 1);
        QVERIFY(!f->tray->icon()->isVisible());
        // A panel that comes back afterwards does not bring it back.
        f->tray->TaskbarCreated();
        QVERIFY(!f->tray->icon()->isVisible());
    }

    // --- Tools menu and buttons ---

    void toolsItems()
    {
        f->tray->menutools(TrayWidget::ChangeSettings)->trigger();
        QCOMPARE(f->settingsRuns, 1);

        f->tray->menutools(TrayWidget::OnlineHelp)->trigger();
        QCOMPARE(f->opened, QList<QUrl>{QUrl(TrayWidget::onlineHelpUrl)});
        f->opened.clear();

        f->tray->menutools(TrayWidget::CheckForUpdates)->trigger();
        QCOMPARE(f->prompter.texts.size(), 1);
        QVERIFY(f->prompter.texts.first().startsWith(SettingsFile::header() + kCrLf));
        QCOMPARE(f->prompter.held, QList<bool>{true});
        f->prompter.texts.clear();
        f->prompter.held.clear();

        f->tray->menutools(TrayWidget::ViewLogs)->trigger();
        QVERIFY(f->window->logWindow()->isVisible());
    }

    void findOtherUsers()
    {
        f->loadSettings(true, {QStringLiteral("Back soon")});
        f->session.options.friendlyname = QStringLiteral("SOMEONE ELSE");
        f->session.directory.allusers = {QStringLiteral("Bob"), QStringLiteral("Carl")};
        QSignalSpy changed(&f->session.directory, &Directory::allusersChanged);
        f->tray->menutools(TrayWidget::FindOtherUsers)->trigger();
        QVERIFY(changed.size() >= 1);
        QVERIFY(f->session.directory.allusers.isEmpty());
        // The settings were read again before the announcement went out.
        QCOMPARE(f->sent, QStringList{QStringLiteral("***") + kAnn + QStringLiteral("=ANN")});
    }

    void openSavedFolder_data()
    {
        QTest::addColumn<bool>("opens");
        QTest::newRow("opened") << true;
        QTest::newRow("nothing opens it") << false;
    }
    void openSavedFolder()
    {
        QFETCH(bool, opens);
        f->openSucceeds = opens;
        const QString folder = QDir(home_.path()).filePath(QStringLiteral("Documents/QMmessages"));
        QDir(folder).removeRecursively();
        f->tray->menutools(TrayWidget::OpenSavedFolder)->trigger();
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(f->opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
        QCOMPARE(f->prompter.texts,
                 opens ? QStringList() : QStringList{QStringLiteral("Cannot find folder")});
    }

    void helpShowsTheHelpFile()
    {
        f->tray->menutools(TrayWidget::Help)->trigger();
        QTextBrowser *help = f->tray->helpWindow();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->toPlainText().contains(QStringLiteral("Sending a message")));

        // An office's own help file in the program folder is shown instead.
        QVERIFY(TextFile::writeLines(f->session.file(QStringLiteral("QMhelp.html")),
                                     {QStringLiteral("<p>Call Dora on 214.</p>")}));
        f->tray->menutools(TrayWidget::Help)->trigger();
        QCOMPARE(help->toPlainText().trimmed(), QStringLiteral("Call Dora on 214."));
    }

    void mainWindowButtonsPopTheMenus()
    {
        f->loadSettings(true, {QStringLiteral("Back soon")});
        f->window->show();
        auto *settings = f->window->findChild<QPushButton *>(QStringLiteral("LumoButton1"));
        QCOMPARE(settings->toolTip(), QStringLiteral("Change Options, Settings, View Logs"));
        settings->click();
        QTRY_VERIFY(f->tray->toolsmenu()->isVisible());
        f->tray->toolsmenu()->close();

        auto *autoButton = f->window->findChild<QPushButton *>(QStringLiteral("LumoButton2"));
        QVERIFY(autoButton->isVisible() && autoButton->isEnabled());
        autoButton->click();
        QTRY_VERIFY(f->tray->autores()->isVisible());
        f->tray->autores()->close();
    }

    // --- Sound ---

    void notificationSound_data()
    {
        QTest::addColumn<bool>("soundon");
        QTest::newRow("Sound On") << true;
        QTest::newRow("Sound Off") << false;
    }
    void notificationSound()
    {
        QFETCH(bool, soundon);
        f->session.options.soundon = soundon;
        f->session.options.wavefile = f->session.file(QStringLiteral("ding.wav"));
        Q_EMIT f->session.playSound();
        QCOMPARE(f->played, soundon ? QStringList{f->session.options.wavefile} : QStringList());
        // The dialog's "Test" plays its file either way.
        f->played.clear();
        Q_EMIT f->session.soundTestRequested(QStringLiteral("/sounds/other.wav"));
        QCOMPARE(f->played, QStringList{QStringLiteral("/sounds/other.wav")});
    }

    void defaultSound_data()
    {
        QTest::addColumn<QString>("inFolder");  // content already there, or empty
        QTest::addColumn<QString>("besideExe"); // content next to the executable, or empty
        QTest::addColumn<QString>("expected");  // content afterwards; "RIFF" = the built-in one
        QTest::newRow("copied from the executable's folder")
            << QString() << QStringLiteral("SHIPPED") << QStringLiteral("SHIPPED");
        QTest::newRow("built-in copy") << QString() << QString() << QStringLiteral("RIFF");
        QTest::newRow("the office's own sound is kept")
            << QStringLiteral("OWN") << QStringLiteral("SHIPPED") << QStringLiteral("OWN");
    }
    void defaultSound()
    {
        QFETCH(QString, inFolder);
        QFETCH(QString, besideExe);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        QTemporaryDir exe;
        auto write = [](const QString &path, const QString &content) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content.toLatin1());
        };
        const QString target = QDir(folder.path()).filePath(QStringLiteral("tovik.wav"));
        if (!inFolder.isEmpty())
            write(target, inFolder);
        if (!besideExe.isEmpty())
            write(QDir(exe.path()).filePath(QStringLiteral("tovik.wav")), besideExe);
        QVERIFY(TrayWidget::ensureDefaultSound(folder.path(), exe.path()));
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        if (expected == QLatin1String("RIFF")) {
            QVERIFY(content.startsWith("RIFF"));
            QCOMPARE(content.mid(8, 4), QByteArray("WAVE"));
            // The office may replace it later.
            QVERIFY(QFileInfo(target).isWritable());
        } else {
            QCOMPARE(content, expected.toLatin1());
        }
    }

    void defaultSoundInAFolderThatCannotBeMade()
    {
        QTemporaryDir dir;
        const QString blocker = QDir(dir.path()).filePath(QStringLiteral("file"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!TrayWidget::ensureDefaultSound(blocker + QStringLiteral("/sub"), QString()));
    }
};

QTEST_MAIN(TestTrayWidget)
#include "test_traywidget.moc"
