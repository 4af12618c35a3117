// The settings dialog's rules without a screen: which edits make Save rebuild the user list
// and probe, the forward target across the forward-target dialog, Cancel putting the stored
// values back (and keeping a port change), Save that cannot write its files, the
// diagnostics, the sound file rule, the name change and the Admin tab (Auto Clean, Reset All,
// Transfer). Datagrams are caught by the session's send hook; the cases that bind sockets
// refuse to run outside a private network namespace.
#include "common/textfile.h"
#include "messenger/app/messenger.h"
#include "messenger/settings/settingseditor.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QNetworkInterface>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace
{
const QString kMe = QStringLiteral("[PC1\\ME]");
const QString kCrLf = QStringLiteral("\r\n");
const QString kProbe = QStringLiteral("***[PC1\\ME]=ME");
const QDateTime kNow(QDate(2008, 10, 21), QTime(22, 15, 30));
const int kListen = 47611;
const int kSend = 47612;

QString readFile(const QString &path)
{
    QString text;
    TextFile::read(path, &text);
    return text;
}

// One kind of edit made in the dialog before Save.
using Edit = std::function<void(SettingsEditor &)>;
} // namespace

using TestSupport::ScriptedPrompter;
Q_DECLARE_METATYPE(Edit)

class TestSettingsEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<Messenger> session;
    std::unique_ptr<SettingsEditor> editor;
    QStringList sent;

    QString path(const QString &name) const { return dir->filePath(name); }
    QString settingsText() const { return readFile(path(QStringLiteral("settings.txt"))); }
    int probes() const { return int(sent.count(kProbe)); }

    // A run as after its start-up: stored settings, buttons and users loaded, two users
    // shown, nothing sent yet. Datagrams go to `sent`.
    void startSession()
    {
        Options stored;
        stored.friendlyname = QStringLiteral("ME");
        stored.listenPort = kListen;
        stored.sendPort = kSend;
        stored.autostartup = false;
        stored.wavefile = path(QStringLiteral("tovik.wav"));
        QVERIFY(SettingsFile::save(SettingsFile::path(dir->path()), stored, 0, 0));
        QVERIFY(TextFile::writeLines(path(QStringLiteral("users.txt")),
                                     {kMe + QStringLiteral("=ME"), QStringLiteral("[PC2\\ANN]=ANN"),
                                      QStringLiteral("[PC3\\BOB]=BOB")}));

        prompter = std::make_unique<ScriptedPrompter>();
        session = std::make_unique<Messenger>(dir->path(), *prompter, [] { return kNow; });
        session->sendHook = [this](const QString &text, SocketError *) {
            sent.append(text);
            return true;
        };
        session->loadbuttons();
        session->loadusers_Click();
        session->directory.allusers = {QStringLiteral("Me"), QStringLiteral("Ann"),
                                       QStringLiteral("Bob")};
        editor = std::make_unique<SettingsEditor>(*session);
        editor->setTransferProgram(path(QStringLiteral("no-cfgrelay")));
        editor->activate();
    }

    void bindSockets()
    {
        REQUIRE_PRIVATE_NETWORK();
        QVERIFY(session->transport.bind(kListen, kSend));
        editor->getstats();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("COMPUTERNAME", "pc1");
        qputenv("USERNAME", "me");
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        TestSupport::isolateUser(dir->path());
        sent.clear();
        startSession();
    }

    void cleanup()
    {
        editor.reset();
        session.reset();
        prompter.reset();
        dir.reset();
    }

    // Every option edit makes Save clear the visible list, re-read the files and probe;
    // button edits alone, or nothing, do not. Save always logs and stores both files.
    void saveRebuildsOnlyAfterOptionEdits_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<bool>("rebuilds");
        QTest::addColumn<QString>("stored"); // a line the settings file must then hold

        QTest::newRow("check box")
            << Edit([](SettingsEditor &e) { e.setFlag(&Options::showme, false); }) << true
            << QStringLiteral("[SHOWMEINLIST        ]=0");
        QTest::newRow("sound check box")
            << Edit([](SettingsEditor &e) { e.setFlag(&Options::soundon, false); }) << true
            << QStringLiteral("[PLAYSOUND           ]=0");
        QTest::newRow("font size")
            << Edit([](SettingsEditor &e) { e.setFontSize(QStringLiteral("14")); }) << true
            << QStringLiteral("[MESSAGEFONTSIZE     ]=14");
        QTest::newRow("response text")
            << Edit([](SettingsEditor &e) { e.setResponse(2, QStringLiteral("At lunch")); }) << true
            << QStringLiteral("[AUTORESPONSEMSG2    ]=At lunch");
        QTest::newRow("button edits only") << Edit([](SettingsEditor &e) {
            e.setButtonCaption(1, QStringLiteral("Coffee?"));
            e.setButtonMessage(13, QStringLiteral("On my way"));
            e.setButtonSendImmediately(2, false);
        }) << false << QStringLiteral("[SHOWMEINLIST        ]=1");
        QTest::newRow("nothing") << Edit([](SettingsEditor &) {}) << false
                                 << QStringLiteral("[SHOWMEINLIST        ]=1");
    }

    void saveRebuildsOnlyAfterOptionEdits()
    {
        QFETCH(Edit, edit);
        QFETCH(bool, rebuilds);
        QFETCH(QString, stored);
        QSignalSpy label(&session->autoResponder, &AutoResponder::displayChanged);

        edit(*editor);
        QVERIFY(editor->save());

        QCOMPARE(probes(), rebuilds ? 1 : 0);
        QCOMPARE(session->directory.allusers.isEmpty(), rebuilds);
        QVERIFY(!editor->acchanged());
        QVERIFY(settingsText().contains(stored + kCrLf));
        QVERIFY(session->log.lstMessages().last().endsWith(
            QStringLiteral(" Settings changed and saved.")));
        QCOMPARE(label.count(), 1);
        // The button file always follows the live set, and the set is read back from it.
        const QString buttons = readFile(session->buttons.path());
        QCOMPARE(buttons.split(kCrLf, Qt::SkipEmptyParts).size(), ButtonSet::SlotCount);
        QCOMPARE(buttons.startsWith(QStringLiteral("\"Coffee?\",")),
                 QTest::currentDataTag() == QByteArray("button edits only"));
        QVERIFY(prompter->boxes.isEmpty());
    }

    // The forward-target dialog sets `fwdchange`; Save turns a changed target into a rebuild
    // even though the dialog was left and entered again in between.
    void forwardTargetAndSave_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<bool>("rebuilds");
        QTest::addColumn<QString>("ar3");

        const QString forwardAnn = QStringLiteral("Forward to: Ann");
        QTest::newRow("target chosen") << Edit([](SettingsEditor &e) {
            e.forwardTargetSaved(QStringLiteral("Forward to: Ann"), QStringLiteral("Ann"));
        }) << true << forwardAnn;
        QTest::newRow("chosen, then the dialog cancelled") << Edit([](SettingsEditor &e) {
            e.forwardTargetSaved(QStringLiteral("Forward to: Ann"), QStringLiteral("Ann"));
            e.forwardTargetCancelled();
        }) << true << forwardAnn;
        QTest::newRow("check box, then the dialog cancelled") << Edit([](SettingsEditor &e) {
            e.setFlag(&Options::replytoall, true);
            e.forwardTargetCancelled();
        }) << true << QString();
        QTest::newRow("dialog cancelled only")
            << Edit([](SettingsEditor &e) { e.forwardTargetCancelled(); }) << false << QString();
    }

    void forwardTargetAndSave()
    {
        QFETCH(Edit, edit);
        QFETCH(bool, rebuilds);
        QFETCH(QString, ar3);
        QSignalSpy targetChanged(editor.get(), &SettingsEditor::forwardTargetChanged);

        QCOMPARE(
            editor->forwardChoices(),
            (QStringList{QStringLiteral("None"), QStringLiteral("Ann"), QStringLiteral("Bob")}));
        QVERIFY(!editor->autoreplyEnabled());
        edit(*editor);
        QCOMPARE(editor->autoreplyEnabled(), !ar3.isEmpty());
        QVERIFY(editor->save());

        QVERIFY(!editor->fwdchange());
        QCOMPARE(probes(), rebuilds ? 1 : 0);
        QVERIFY(settingsText().contains(QStringLiteral("[AUTORESPONSEMSG3    ]=") + ar3 + kCrLf));
        // Read back from the file: the target survives the reload.
        QCOMPARE(session->options.ar[3], ar3);
        QCOMPARE(session->options.ar3temp, ar3.mid(12));
        if (!ar3.isEmpty())
            QVERIFY(targetChanged.count() >= 1);
    }

    // Cancel puts back what the files hold: captions, flags and the forward target; it
    // sends nothing and leaves the files alone.
    void cancelRestoresFromTheFiles()
    {
        const QString buttonsBefore = readFile(session->buttons.path());
        const QString settingsBefore = settingsText();

        QCOMPARE(editor->setButtonCaption(1, QStringLiteral("Coffee?")), ButtonSet::Look::SendNow);
        QCOMPARE(editor->setButtonCaption(13, QStringLiteral("Fire EMERGENCY")),
                 ButtonSet::Look::Emergency);
        QCOMPARE(editor->setButtonSendImmediately(13, false), ButtonSet::Look::Emergency);
        QCOMPARE(editor->setButtonSendImmediately(2, false), ButtonSet::Look::FillOnly);
        editor->setFlag(&Options::entersend, true);
        editor->forwardTargetSaved(QStringLiteral("Forward to: Bob"), QStringLiteral("Bob"));
        QVERIFY(editor->acchanged());

        editor->cancel();

        QCOMPARE(session->buttons.caption(1), QStringLiteral("Patient arrived?"));
        QCOMPARE(session->buttons.caption(13), QStringLiteral("Take Message"));
        QVERIFY(session->buttons.sendImmediately(13));
        QVERIFY(session->buttons.sendImmediately(2));
        QCOMPARE(session->buttons.dialogLook(13), ButtonSet::Look::SendNow);
        QVERIFY(!session->options.entersend);
        QVERIFY(session->options.ar[3].isEmpty());
        QVERIFY(session->options.ar3temp.isEmpty());
        QVERIFY(!editor->acchanged());
        QVERIFY(!editor->fwdchange());
        QVERIFY(sent.isEmpty());
        QCOMPARE(readFile(session->buttons.path()), buttonsBefore);
        QCOMPARE(settingsText(), settingsBefore);
    }

    // A port change stores the settings at once, with everything the dialog showed then:
    // Cancel keeps the new port and the edits made before it.
    void cancelAfterPortChangeKeepsIt()
    {
        bindSockets();
        editor->setFlag(&Options::replytoall, true);
        prompter->inputAnswer = QStringLiteral("47613");
        QSignalSpy stats(editor.get(), &SettingsEditor::statsChanged);

        editor->changeListeningPort();
        QCOMPARE(prompter->boxes.first().title, QStringLiteral("Change your Ports"));
        QCOMPARE(editor->portlisten(), 47613);
        QCOMPARE(stats.count(), 1);

        editor->cancel();
        QCOMPARE(session->options.listenPort, 47613);
        QCOMPARE(session->options.sendPort, kSend);
        QVERIFY(session->options.replytoall);
        QCOMPARE(session->transport.localListenPort(), 47613);
        QCOMPARE(session->transport.listeningState(), 1);
        QVERIFY(settingsText().contains(QStringLiteral("[LISTENINGPORT       ]=47613") + kCrLf));
    }

    // Save that cannot write a file says so and keeps the edits; nothing is re-read from the
    // old file and nothing is sent.
    void saveThatCannotWriteKeepsTheEdits_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("message");
        QTest::newRow("settings file")
            << QStringLiteral("settings.txt") << QStringLiteral("The settings could not be saved:");
        QTest::newRow("button file")
            << QStringLiteral("buttons.txt") << QStringLiteral("The buttons could not be saved:");
    }

    void saveThatCannotWriteKeepsTheEdits()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, message);
        // A folder in the file's place: no rewrite can replace it.
        QVERIFY(QFile::remove(path(blocked)));
        QVERIFY(QDir(dir->path()).mkdir(blocked));

        editor->setFlag(&Options::hidetip, true);
        editor->setButtonCaption(3, QStringLiteral("X-ray ready"));
        QVERIFY(!editor->save());

        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->messages().first().startsWith(message));
        QVERIFY(session->options.hidetip);
        QCOMPARE(session->buttons.caption(3), QStringLiteral("X-ray ready"));
        if (blocked == QLatin1String("settings.txt")) {
            QVERIFY(sent.isEmpty());
            QVERIFY(editor->acchanged());
            QVERIFY(session->log.lstMessages().isEmpty());
        }
    }

    void stateNames_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("listening");
        QTest::addColumn<QString>("sending");
        QTest::newRow("0") << 0 << "Closed"
                           << "Closed";
        QTest::newRow("1") << 1 << "Listening"
                           << "Ready";
        QTest::newRow("2") << 2 << "Listening"
                           << "Listening";
        QTest::newRow("3") << 3 << "Connection pending"
                           << "Connection pending";
        QTest::newRow("7") << 7 << "Connected"
                           << "Connected";
        QTest::newRow("8") << 8 << "Server is disconnecting"
                           << "Server is disconnecting";
        QTest::newRow("9") << 9 << "Error"
                           << "Error";
    }

    void stateNames()
    {
        QFETCH(int, state);
        QFETCH(QString, listening);
        QFETCH(QString, sending);
        QCOMPARE(SettingsEditor::stateName(state, true), listening);
        QCOMPARE(SettingsEditor::stateName(state, false), sending);
    }

    void diagnosticsText_data()
    {
        QTest::addColumn<bool>("networkError");
        QTest::addColumn<QString>("tail");
        QTest::newRow("running") << false
                                 << QStringLiteral(
                                        "Winsock 1 State: Listening\r\nWinsock 2 State: Ready");
        QTest::newRow("network error")
            << true << QStringLiteral("Network Error:\r\nNo network connection");
    }

    void diagnosticsText()
    {
        QFETCH(bool, networkError);
        QFETCH(QString, tail);
        QCOMPARE(SettingsEditor::diagnostics(QStringLiteral("10.99.0.1"), QStringLiteral("pc1"),
                                             QStringLiteral("me"), 1, 1, networkError),
                 QStringLiteral("Version: 1.5.1\r\nLocal IP Address: 10.99.0.1\r\n"
                                "Local Host Name: pc1\r\nLocal User Name: me\r\n") +
                     tail);
    }

    // The status line decides between socket states and the network error.
    void diagnosticsFollowTheStatusLine()
    {
        bindSockets();
        QVERIFY(editor->localinfo().endsWith(
            QStringLiteral("Winsock 1 State: Listening\r\nWinsock 2 State: Ready")));
        QVERIFY(editor->localinfo().contains(QStringLiteral("\r\nLocal User Name: me\r\n")));
        QCOMPARE(editor->portlisten(), kListen);
        QCOMPARE(editor->portsend(), kSend);

        session->setStatus(QStringLiteral("Network Error"));
        editor->activate();
        QVERIFY(editor->localinfo().endsWith(
            QStringLiteral("\r\nNetwork Error:\r\nNo network connection")));
        QVERIFY(!editor->localinfo().contains(QStringLiteral("Winsock")));
    }

    // Activation looks for the utility next to the program; Transfer starts it detached in
    // the program folder and passes the folder on. A missing utility is no error.
    void transferUtility_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("heading");
        QTest::newRow("missing")
            << false
            << QStringLiteral("Settings and Buttons Transfer Utility  (Utility not Installed)");
        QTest::newRow("installed")
            << true << QStringLiteral("Settings and Buttons Transfer Utility");
    }

    void transferUtility()
    {
        QFETCH(bool, installed);
        QFETCH(QString, heading);
        QTemporaryDir bin;
        const QString program = bin.filePath(QStringLiteral("cfgrelay"));
        if (installed) {
            QVERIFY(TextFile::write(
                program, QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$VTMESSENGER_HOME\" "
                                        "\"$PWD\" > started.txt\n")));
            QVERIFY(QFile::setPermissions(program,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        editor->setTransferProgram(program);
        editor->activate();
        QCOMPARE(editor->transferAvailable(), installed);
        QCOMPARE(editor->transferHeading(), heading);
        QCOMPARE(editor->transfer(), installed);
        if (installed)
            QTRY_COMPARE_WITH_TIMEOUT(readFile(path(QStringLiteral("started.txt"))),
                                      dir->path() + QLatin1Char('|') + dir->path(), 5000);
    }

    void soundFileRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("taken");
        QTest::newRow("wav") << "/snd/ding.wav" << true;
        QTest::newRow("upper case") << "/snd/DING.WAV" << true;
        QTest::newRow("mixed case") << "/snd/ding.Wav" << true;
        QTest::newRow("mp3") << "/snd/ding.mp3" << false;
        QTest::newRow("wav inside the name") << "/snd/ding.wav.txt" << false;
        QTest::newRow("no dot") << "/snd/dingwav" << false;
        QTest::newRow("cancelled") << "" << false;
    }

    void soundFileRule()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, taken);
        const QString before = session->options.wavefile;
        QCOMPARE(editor->chooseWavefile(chosen), taken);
        QCOMPARE(session->options.wavefile, taken ? QDir::toNativeSeparators(chosen) : before);
        QCOMPARE(editor->acchanged(), taken);
        QVERIFY(prompter->boxes.isEmpty());
    }

    // The name box: an answer becomes the upper-case name, is announced and stored at once;
    // nothing, blanks or Cancel change nothing.
    void changeName_data()
    {
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("name");
        QTest::newRow("new name") << true << "ann smith"
                                  << "ANN SMITH";
        QTest::newRow("empty") << true << ""
                               << "ME";
        QTest::newRow("blanks") << true << "   "
                                << "ME";
        QTest::newRow("cancelled") << false << "bob"
                                   << "ME";
    }

    void changeName()
    {
        QFETCH(bool, given);
        QFETCH(QString, answer);
        QFETCH(QString, name);
        prompter->inputGiven = given;
        prompter->inputAnswer = answer;
        QSignalSpy stats(editor.get(), &SettingsEditor::statsChanged);

        editor->changeName();

        QCOMPARE(prompter->boxes.size(), 1);
        QCOMPARE(prompter->boxes.first().text, QStringLiteral("Please enter your name:\r\n"));
        QCOMPARE(prompter->boxes.first().title,
                 QStringLiteral("Change your Vantrell Messenger Name"));
        QCOMPARE(prompter->boxes.first().defaultText, QStringLiteral("ME"));
        QCOMPARE(session->options.friendlyname, name);
        QCOMPARE(stats.count(), 1);
        const bool changed = name != QLatin1String("ME");
        QCOMPARE(sent, changed ? QStringList{QStringLiteral("***") + kMe + QLatin1Char('=') + name}
                               : QStringList());
        QCOMPARE(settingsText().contains(QStringLiteral("[MY NAME             ]=") + name + kCrLf),
                 true);
        // Cancel of the dialog afterwards keeps the name: it was stored.
        editor->cancel();
        QCOMPARE(session->options.friendlyname, name);
    }

    // Auto Clean: users.txt keeps only the own entry at once; Save then re-reads it.
    void autoClean()
    {
        QVERIFY(editor->autoClean());
        QCOMPARE(readFile(path(QStringLiteral("users.txt"))), kMe + QStringLiteral("=ME") + kCrLf);
        QVERIFY(editor->acchanged());
        QCOMPARE(probes(), 1);
        QCOMPARE(session->directory.userlist.size(), 3);

        QVERIFY(editor->save());
        QCOMPARE(session->directory.userlist, QStringList{kMe + QStringLiteral("=ME")});
        QVERIFY(session->directory.allusers.isEmpty());
        QCOMPARE(probes(), 2);
    }

    // "Are you Sure?" with the sockets closed; No binds them again on their ports and keeps
    // every file, Yes deletes the four data files (and only those), says to restart and ends.
    void resetAllData_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }

    void resetAllData()
    {
        QFETCH(bool, yes);
        bindSockets();
        QVERIFY(session->loadgroups());
        QVERIFY(TextFile::writeLines(path(QStringLiteral("hist.dat")), {QStringLiteral("\"x\"")}));
        const QStringList data{QStringLiteral("settings.txt"), QStringLiteral("users.txt"),
                               QStringLiteral("buttons.txt"), QStringLiteral("groups.txt")};
        for (const QString &name : data)
            QVERIFY2(QFile::exists(path(name)), qPrintable(name));
        int stateDuringQuestion = -1;
        prompter->duringQuestion = [&] {
            stateDuringQuestion =
                session->transport.listeningState() + session->transport.sendingState();
        };
        prompter->questionAnswer = yes ? Prompter::Answer::Yes : Prompter::Answer::No;
        QSignalSpy quit(session.get(), &Messenger::quitRequested);

        QCOMPARE(editor->resetAllData(), yes);

        QCOMPARE(prompter->boxes.first().kind, QStringLiteral("question"));
        QCOMPARE(prompter->boxes.first().text, QStringLiteral("Are you Sure?"));
        QCOMPARE(prompter->boxes.first().title, QStringLiteral("Reset All"));
        QCOMPARE(stateDuringQuestion, 0);
        for (const QString &name : data)
            QCOMPARE(QFile::exists(path(name)), !yes);
        QVERIFY(QFile::exists(path(QStringLiteral("hist.dat"))));
        QCOMPARE(quit.count(), yes ? 1 : 0);
        QCOMPARE(editor->ending(), yes);
        if (yes) {
            QCOMPARE(prompter->messages(),
                     QStringList{QStringLiteral("Please Restart Vantrell Messenger")});
            QCOMPARE(session->transport.listeningState(), 0);
            QCOMPARE(session->transport.sendingState(), 0);
            QVERIFY(session->transport.boxopen());
        } else {
            QVERIFY(prompter->messages().isEmpty());
            QCOMPARE(session->transport.listeningState(), 1);
            QCOMPARE(session->transport.sendingState(), 1);
            QCOMPARE(session->transport.localListenPort(), kListen);
            QCOMPARE(session->transport.remoteSendPort(), kSend);
            QVERIFY(!session->transport.boxopen());
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsEditor)
#include "test_settingseditor.moc"
