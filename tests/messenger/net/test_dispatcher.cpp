// The receive dispatcher, driven tick by tick on a session without sockets: the hold, the
// presence hand-off, malformed datagrams, the addressee filter, away mode, and what a shown
// message leaves in its window, the activity log, the history and the slots.
// No datagram fed here makes the session send anything (no announcements), so no socket
// is ever opened.
#include "common/textfile.h"
#include "messenger/app/messenger.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
const QString kMe = QStringLiteral("[PC1\\ME]");
const QString kAnn = QStringLiteral("[PC2\\ANN]");
const QString kBob = QStringLiteral("[PC3\\BOB]");
const QString kCrLf = QStringLiteral("\r\n");

// 21 Oct 2008, 22:15:30: a pm time, so a 24-hour clock in any pattern would show.
const QDateTime kEvening(QDate(2008, 10, 21), QTime(22, 15, 30));
const QString kEveningStamp = QStringLiteral("10-21-08:10:15p:");

QString logEntry(const QString &name, const QString &body)
{
    return QStringLiteral("Msg from ") + name + QLatin1Char('\t') + kCrLf + body + kCrLf +
           QStringLiteral("---");
}
} // namespace

class TestDispatcher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    SilentPrompter prompter;
    QDateTime now;
    std::unique_ptr<Messenger> session;
    QList<Datagram::Message> awayMessages;

    // Queues one datagram and runs one tick, as `Timer3` would.
    void feed(const QString &datagram)
    {
        session->transport.enqueue(datagram);
        session->dispatcher.tick();
    }

    QString logtemp() const
    {
        QString text;
        TextFile::read(session->log.currentFile(), &text);
        return text;
    }

    int busySlots() const
    {
        int busy = 0;
        for (int n = 0; n < PopupSlots::SlotCount; ++n)
            busy += session->popupSlots.isBusy(n) ? 1 : 0;
        return busy;
    }

    int msgFromEntries() const
    {
        int count = 0;
        for (const QString &entry : session->log.lstMessages())
            count += entry.mid(16).startsWith(QLatin1String("Msg from ")) ? 1 : 0;
        return count;
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
        now = kEvening;
        session = std::make_unique<Messenger>(dir->path(), prompter, [this] { return now; });
        session->options.friendlyname = QStringLiteral("ME");
        session->options.soundon = false;
        awayMessages.clear();
        session->awayHandler = [this](const Datagram::Message &m) { awayMessages.append(m); };
        QCOMPARE(session->directory.user, kMe);
    }

    void cleanup()
    {
        session.reset();
        dir.reset();
    }

    void holdKeepsTheDatagramUntilReleased()
    {
        Transport &transport = session->transport;
        transport.setBoxOpen(true);
        transport.enqueue(kAnn + kMe + QStringLiteral("ANN> first"));
        transport.enqueue(kAnn + kMe + QStringLiteral("ANN> second"));
        session->dispatcher.tick();
        QCOMPARE(transport.cue().size(), 2);
        QCOMPARE(busySlots(), 0);
        QVERIFY(session->log.lstMessages().isEmpty());
        QVERIFY(!transport.timerActive());

        transport.setBoxOpen(false);
        QVERIFY(transport.timerActive());
        session->dispatcher.tick();
        QCOMPARE(transport.cue().size(), 1);
        QCOMPARE(session->popupSlots.state(0).message, QStringLiteral("ANN> first"));
        session->dispatcher.tick();
        QVERIFY(transport.isEmpty());
        QCOMPARE(session->popupSlots.state(1).message, QStringLiteral("ANN> second"));
        QVERIFY(!transport.timerActive());
        // Nothing left: a further tick changes nothing.
        session->dispatcher.tick();
        QCOMPARE(busySlots(), 2);
    }

    void presenceGoesToTheDirectory()
    {
        QSignalSpy status(session.get(), &Messenger::statusChanged);
        session->log.add(QStringLiteral("unsaved"));
        feed(QStringLiteral("**-") + kAnn + QStringLiteral("=ann lee"));
        QVERIFY(session->transport.isEmpty());
        QCOMPARE(session->directory.userlist, QStringList{kAnn + QStringLiteral("=ANN LEE")});
        QString users;
        QVERIFY(TextFile::read(dir->filePath(QStringLiteral("users.txt")), &users));
        QCOMPARE(users, kAnn + QStringLiteral("=ANN LEE") + kCrLf);
        // The reply that follows shows Ann; her sign-off takes her off the list again.
        feed(QStringLiteral("**-") + kAnn + QStringLiteral("=ANN LEE"));
        QCOMPARE(session->directory.allusers, QStringList{QStringLiteral("Ann Lee")});
        feed(QStringLiteral("-**") + kAnn + QStringLiteral("=ANN LEE"));
        QVERIFY(session->directory.allusers.isEmpty());
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("ANN LEE has signed off"));
        // Presence is no message: no window, no log save.
        QCOMPARE(busySlots(), 0);
        QVERIFY(!logtemp().contains(QLatin1String("unsaved")));
    }

    void malformedDatagramsAreRemovedWithoutEffect_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::newRow("no second bracket") << kAnn + QStringLiteral("[PC1\\ME ANN> hi");
        QTest::newRow("no bracket at all") << QStringLiteral("hello");
        QTest::newRow("empty") << QString();
        QTest::newRow("network test (one blank)") << QStringLiteral(" ");
        QTest::newRow("announcement without =") << QStringLiteral("***") + kAnn;
        QTest::newRow("reply without =") << QStringLiteral("**-") + kAnn;
        QTest::newRow("sign-off without =") << QStringLiteral("-**") + kAnn;
        QTest::newRow("presence marker only") << QStringLiteral("**-");
    }

    void malformedDatagramsAreRemovedWithoutEffect()
    {
        QFETCH(QString, datagram);
        QSignalSpy sent(&session->directory, &Directory::send);
        session->transport.enqueue(datagram);
        session->transport.enqueue(kAnn + kMe + QStringLiteral("ANN> after"));
        session->dispatcher.tick();
        QCOMPARE(session->transport.cue().size(), 1);
        QVERIFY(session->directory.userlist.isEmpty());
        QCOMPARE(busySlots(), 0);
        QVERIFY(session->log.lstMessages().isEmpty());
        QCOMPARE(sent.count(), 0);
        // The next datagram is handled as usual.
        session->dispatcher.tick();
        QVERIFY(session->transport.isEmpty());
        QCOMPARE(busySlots(), 1);
        QCOMPARE(session->popupSlots.state(0).message, QStringLiteral("ANN> after"));
    }

    void addresseeFilter_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::addColumn<bool>("showown");
        QTest::addColumn<bool>("shown");
        const QString body = QStringLiteral("X> hi");
        QTest::newRow("to me") << kAnn + kMe + body << false << true;
        QTest::newRow("to all") << kAnn + QStringLiteral("[ALL]") + body << false << true;
        QTest::newRow("own, to a user") << kMe + kAnn + body << true << false;
        QTest::newRow("own, to myself") << kMe + kMe + body << true << false;
        QTest::newRow("own, to all, SHOWOWN off")
            << kMe + QStringLiteral("[ALL]") + body << false << false;
        QTest::newRow("own, to all, SHOWOWN on")
            << kMe + QStringLiteral("[ALL]") + body << true << true;
        QTest::newRow("to another user") << kAnn + kBob + body << false << false;
        QTest::newRow("to a failed lookup")
            << kAnn + QStringLiteral("[---]") + body << false << false;
    }

    void addresseeFilter()
    {
        QFETCH(QString, datagram);
        QFETCH(bool, showown);
        QFETCH(bool, shown);
        session->options.myown = showown;
        QSignalSpy filled(session.get(), &Messenger::popupFilled);
        feed(datagram);
        QVERIFY(session->transport.isEmpty());
        QCOMPARE(filled.count(), shown ? 1 : 0);
        QCOMPARE(busySlots(), shown ? 1 : 0);
        QCOMPARE(msgFromEntries(), shown ? 1 : 0);
        QCOMPARE(session->history.rows().size(), shown ? 1 : 0);
        QVERIFY(awayMessages.isEmpty());
        // Shown or not, a message datagram ends with the log saved.
        QVERIFY(QFile::exists(session->log.currentFile()));
    }

    void awayHandsTheMessageOver()
    {
        session->away = true;
        QSignalSpy filled(session.get(), &Messenger::popupFilled);
        QSignalSpy sound(session.get(), &Messenger::playSound);
        session->options.soundon = true;
        feed(kAnn + kMe + QStringLiteral("ANN> are you there?"));
        feed(kAnn + kBob + QStringLiteral("ANN> not for me"));
        QCOMPARE(awayMessages.size(), 1);
        QCOMPARE(awayMessages.at(0).sender, kAnn);
        QCOMPARE(awayMessages.at(0).recipient, kMe);
        QCOMPARE(awayMessages.at(0).body, QStringLiteral("ANN> are you there?"));
        QCOMPARE(filled.count(), 0);
        QCOMPARE(sound.count(), 0);
        QCOMPARE(busySlots(), 0);
        QCOMPARE(msgFromEntries(), 0);
        QVERIFY(session->history.rows().isEmpty());
        QVERIFY(QFile::exists(session->log.currentFile()));
    }

    void shownMessage_data()
    {
        QTest::addColumn<QStringList>("directory");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("logName");
        QTest::addColumn<QString>("shownName");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("marker");
        QTest::newRow("known sender, to me")
            << QStringList{kAnn + QStringLiteral("=ANN LEE")} << kMe << QTime(22, 15, 30)
            << QStringLiteral("ANN LEE") << QStringLiteral("Ann Lee")
            << QStringLiteral("Ann Lee Msg 10:15 pm") << QString();
        QTest::newRow("known sender, to all, morning")
            << QStringList{kAnn + QStringLiteral("=ANN LEE")} << QStringLiteral("[ALL]")
            << QTime(9, 5, 0) << QStringLiteral("ANN LEE") << QStringLiteral("Ann Lee")
            << QStringLiteral("Ann Lee Msg 09:05 am") << QStringLiteral("(Sent to ALL)");
        QTest::newRow("unknown sender: the identity")
            << QStringList() << kMe << QTime(12, 0, 0) << QStringLiteral("[PC2\\ANN]")
            << QStringLiteral("[pc2\\ann]") << QStringLiteral("[pc2\\ann] Msg 12:00 pm")
            << QString();
        QTest::newRow("sender after another user, just after midnight")
            << QStringList{kBob + QStringLiteral("=BOB"), kAnn + QStringLiteral("=ANN")} << kMe
            << QTime(0, 30, 0) << QStringLiteral("ANN") << QStringLiteral("Ann")
            << QStringLiteral("Ann Msg 12:30 am") << QString();
    }

    void shownMessage()
    {
        QFETCH(QStringList, directory);
        QFETCH(QString, recipient);
        QFETCH(QTime, time);
        QFETCH(QString, logName);
        QFETCH(QString, shownName);
        QFETCH(QString, caption);
        QFETCH(QString, marker);
        session->directory.userlist = directory;
        now = QDateTime(kEvening.date(), time);
        session->options.soundon = true;
        PopupState &window = session->popupSlots.state(0);
        window.temp = QStringLiteral("half-typed answer");
        window.broadcast = QStringLiteral("(Sent to ALL)");
        QSignalSpy filled(session.get(), &Messenger::popupFilled);
        QSignalSpy sound(session.get(), &Messenger::playSound);

        const QString body = QStringLiteral("ANN> Room 2 is ready\r\nfor you");
        feed(kAnn + recipient + body);

        QCOMPARE(sound.count(), 1);
        QCOMPARE(filled.count(), 1);
        QCOMPARE(filled.at(0).at(0).toInt(), 0);
        QCOMPARE(window.punumber, 0);
        QCOMPARE(window.messagefrom, shownName);
        QCOMPARE(window.message, body);
        QCOMPARE(window.caption, caption);
        QCOMPARE(window.broadcast, marker);
        QCOMPARE(window.temp, QString());
        QCOMPARE(session->popupSlots.popups().last(),
                 now.toString(QStringLiteral("yyMMddHHmmss")) + QStringLiteral("popup0"));
        QCOMPARE(session->popupSlots.pucount(), QStringLiteral("9"));

        const QString entry = session->log.lstMessages().last();
        QCOMPARE(entry.mid(16), logEntry(logName, body));
        QVERIFY2(logtemp().contains(logEntry(logName, body)), qPrintable(logtemp()));

        const HistoryRow row = session->history.currentRow();
        QCOMPARE(row[HistoryRow::User], shownName);
        QCOMPARE(row[HistoryRow::Caption], caption);
        QCOMPARE(row[HistoryRow::Addressee], recipient);
    }

    void stampsOfTheShownMessage()
    {
        feed(kAnn + kMe + QStringLiteral("ANN> hi"));
        QCOMPARE(session->log.lstMessages().last().left(16), kEveningStamp);
        const HistoryRow row = session->history.currentRow();
        QCOMPARE(row[HistoryRow::Index], QStringLiteral("20081021221530"));
        QCOMPARE(row[HistoryRow::Date], QStringLiteral("10/21/08 10:15 pm"));
        QCOMPARE(row[HistoryRow::Kind], QStringLiteral("From"));
        QCOMPARE(session->popupSlots.popups().last(), QStringLiteral("081021221530popup0"));
    }

    void historyRowSplitsTheBody_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("main");
        QTest::newRow("speaker") << QStringLiteral("ANN> hello") << QStringLiteral("ANN>")
                                 << QStringLiteral("hello");
        QTest::newRow("no \"> \"")
            << QStringLiteral("hello>there") << QString() << QStringLiteral("hello>there");
        QTest::newRow("conversation: first speaker only")
            << QStringLiteral("ANN> hi\r\nME> yes") << QStringLiteral("ANN>")
            << QStringLiteral("hi\r\nME> yes");
        QTest::newRow("empty body") << QString() << QString() << QString();
        QTest::newRow("ends with \"> \"")
            << QStringLiteral("ANN> ") << QStringLiteral("ANN>") << QString();
    }

    void historyRowSplitsTheBody()
    {
        QFETCH(QString, body);
        QFETCH(QString, head);
        QFETCH(QString, main);
        session->history.addRow(HistoryRow()); // an older row: the new one must become current
        feed(kAnn + kMe + body);
        QCOMPARE(session->history.rows().size(), 2);
        QCOMPARE(session->history.current(), 1);
        const HistoryRow row = session->history.currentRow();
        QCOMPARE(row[HistoryRow::MessageHead], head);
        QCOMPARE(row[HistoryRow::MessageMain], main);
        QCOMPARE(row[HistoryRow::Reply], QString());
    }

    void replyToAllFollowsTheOption_data()
    {
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        QTest::newRow("on ticks the box") << true << false << true;
        QTest::newRow("off keeps it ticked") << false << true << true;
        QTest::newRow("off keeps it clear") << false << false << false;
    }

    void replyToAllFollowsTheOption()
    {
        QFETCH(bool, option);
        QFETCH(bool, before);
        QFETCH(bool, after);
        session->options.replytoall = option;
        session->popupSlots.state(0).replyToAll = before;
        feed(kAnn + QStringLiteral("[ALL]ANN> lunch"));
        QCOMPARE(session->popupSlots.state(0).replyToAll, after);
    }

    void directMessageInAWindowThatShowedABroadcastHasNoMarker()
    {
        feed(kAnn + QStringLiteral("[ALL]ANN> (To All) lunch"));
        QCOMPARE(session->popupSlots.state(0).broadcast, QStringLiteral("(Sent to ALL)"));
        session->popupSlots.free(0);
        feed(kAnn + kMe + QStringLiteral("ANN> just you"));
        QCOMPARE(session->popupSlots.state(0).message, QStringLiteral("ANN> just you"));
        QCOMPARE(session->popupSlots.state(0).broadcast, QString());
    }

    void eleventhMessageReusesTheOldestWindow()
    {
        for (int i = 0; i < PopupSlots::SlotCount; ++i) {
            now = kEvening.addSecs(i);
            feed(kAnn + kMe + QStringLiteral("ANN> message %1").arg(i));
            QCOMPARE(session->popupSlots.state(i).message,
                     QStringLiteral("ANN> message %1").arg(i));
        }
        QCOMPARE(session->popupSlots.pucount(), QStringLiteral("0"));
        // Slot 3 is closed and reopened: it is now the newest, slot 0 stays the oldest.
        session->popupSlots.free(3);
        feed(kAnn + kMe + QStringLiteral("ANN> into three"));
        QCOMPARE(session->popupSlots.state(3).message, QStringLiteral("ANN> into three"));

        QSignalSpy filled(session.get(), &Messenger::popupFilled);
        feed(kAnn + kMe + QStringLiteral("ANN> eleventh"));
        QCOMPARE(filled.count(), 1);
        QCOMPARE(filled.at(0).at(0).toInt(), 0);
        QCOMPARE(session->popupSlots.state(0).message, QStringLiteral("ANN> eleventh"));
        feed(kAnn + kMe + QStringLiteral("ANN> twelfth"));
        QCOMPARE(session->popupSlots.state(1).message, QStringLiteral("ANN> twelfth"));
        QCOMPARE(session->popupSlots.pucount(), QStringLiteral("0"));
        QCOMPARE(session->popupSlots.popups().size(), PopupSlots::SlotCount);
        QCOMPARE(msgFromEntries(), 13);
    }

    // `cleanlog_Click` runs after every message datagram (shown, filtered, handed to away)
    // and never for presence or a datagram that is not a message.
    void logSavedAfterEveryMessageDatagram_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::addColumn<bool>("away");
        QTest::addColumn<bool>("saved");
        QTest::newRow("shown") << kAnn + kMe + QStringLiteral("ANN> hi") << false << true;
        QTest::newRow("filtered") << kAnn + kBob + QStringLiteral("ANN> hi") << false << true;
        QTest::newRow("own broadcast") << kMe + QStringLiteral("[ALL]ME> hi") << false << true;
        QTest::newRow("away") << kAnn + kMe + QStringLiteral("ANN> hi") << true << true;
        QTest::newRow("presence") << QStringLiteral("**-") + kAnn + QStringLiteral("=ANN") << false
                                  << false;
        QTest::newRow("no second bracket") << kAnn + QStringLiteral("ANN> hi") << false << false;
    }

    void logSavedAfterEveryMessageDatagram()
    {
        QFETCH(QString, datagram);
        QFETCH(bool, away);
        QFETCH(bool, saved);
        session->away = away;
        session->log.add(QStringLiteral("earlier entry"));
        feed(datagram);
        QCOMPARE(logtemp().contains(QLatin1String("earlier entry")), saved);
        if (saved) {
            QStringList lines;
            for (const QString &entry : session->log.lstMessages())
                lines += entry.split(kCrLf);
            QCOMPARE(logtemp(), lines.join(kCrLf) + kCrLf);
        }
    }
};

QTEST_GUILESS_MAIN(TestDispatcher)
#include "test_dispatcher.moc"
