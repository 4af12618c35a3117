// Automatic response and forwarding: switching the mode and what it shows, and what a
// message that arrives while away sends and records (answer, forward with and without the
// extra answer, the dropped ":RE:", the own message, and the refused forward loop).
#include "messenger/app/messenger.h"
#include "messenger/send/autoresponder.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString kMe = QStringLiteral("[MYPC\\ME]");
const QString kBob = QStringLiteral("[PC1\\BOB]");
const QString kAnn = QStringLiteral("[PC2\\ANN]");
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

class TestAutoResponder : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> folder;
    SilentPrompter prompter;
    QScopedPointer<Messenger> session;
    QStringList sent;

    AutoResponder &responder() { return session->autoResponder; }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("COMPUTERNAME", "mypc");
        qputenv("USERNAME", "me");
    }

    void init()
    {
        folder.reset(new QTemporaryDir);
        QVERIFY(folder->isValid());
        session.reset(new Messenger(folder->path(), prompter,
                                    [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); }));
        session->options.friendlyname = QStringLiteral("ME");
        session->options.autoresmaster = true;
        session->options.ar[1] = QStringLiteral("Back at 2");
        session->options.ar[3] = QStringLiteral("Forward to: Ann");
        session->directory.refreshUser();
        session->directory.userlist = {kBob + QStringLiteral("=BOB"), kAnn + QStringLiteral("=ANN"),
                                       QStringLiteral("[PC3\\JOANN]=JOANN")};
        session->popupSlots.popupcount();
        sent.clear();
        responder().setSender([this](const QString &datagram) {
            sent.append(datagram);
            return true;
        });
    }

    void switchingOnAndOff()
    {
        QSignalSpy display(&responder(), &AutoResponder::displayChanged);
        QCOMPARE(responder().toggleText(), QStringLiteral("Enable Auto Respond"));
        QCOMPARE(responder().checkedEntry(), AutoResponder::OffEntry);

        QVERIFY(responder().switchOn(1));
        QVERIFY(session->away);
        QCOMPARE(session->options.autorespond, QStringLiteral("Back at 2"));
        QCOMPARE(responder().checkedEntry(), 1);
        QCOMPARE(responder().noticeText(), QStringLiteral("Auto Respond On: Back at 2"));
        QVERIFY(responder().noticeVisible());
        QCOMPARE(responder().toggleText(), QStringLiteral("Disable Auto Respond"));
        QCOMPARE(responder().trayLook(), AutoResponder::TrayLook::Away);
        QCOMPARE(display.count(), 1);

        responder().switchOff();
        QVERIFY(!session->away);
        QCOMPARE(responder().checkedEntry(), AutoResponder::OffEntry);
        QVERIFY(!responder().noticeVisible());
        QCOMPARE(responder().toggleText(), QStringLiteral("Enable Auto Respond"));
        QCOMPARE(responder().trayLook(), AutoResponder::TrayLook::Idle);
        QCOMPARE(display.count(), 2);

        // Off with a message window open: the tray shows the message look.
        session->popupSlots.choose();
        QCOMPARE(responder().trayLook(), AutoResponder::TrayLook::Message);
    }

    void switchingOnIsRefused_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("automatic response not allowed") << 0 << false;
        QTest::newRow("an entry without text") << 2 << true;
        QTest::newRow("the off entry") << AutoResponder::OffEntry << true;
        QTest::newRow("below the menu") << -1 << true;
    }

    void switchingOnIsRefused()
    {
        QFETCH(int, entry);
        QFETCH(bool, allowed);
        session->options.autoresmaster = allowed;
        QVERIFY(!responder().switchOn(entry));
        QVERIFY(!session->away);
        QCOMPARE(session->options.autorespond, QStringLiteral("I'm away from my desk"));
        QCOMPARE(responder().checkedEntry(), AutoResponder::OffEntry);
    }

    void handling_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("autoreply");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("datagrams");
        QTest::addColumn<QStringList>("rows");

        const QString hello = QStringLiteral("BOB> hello");
        const QString answer = kMe + kBob + QStringLiteral(":RE: BOB> hello") + kCrLf +
                               QStringLiteral("ME> (Auto Resp) I'm away from my desk");
        const QString forwardAnswer = kMe + kBob + QStringLiteral(":RE: BOB> hello") + kCrLf +
                                      QStringLiteral("ME> (Auto Resp) Forward to: Ann");
        const QString forward =
            kBob + kAnn + QStringLiteral("-- Msg auto fwded by ME --") + kCrLf + hello;
        const QStringList from{HistoryRow::From};
        const QStringList answered{HistoryRow::AutoRepTo};

        QTest::newRow("a direct message is answered")
            << 0 << true << kBob << kMe << hello << QStringList{answer} << answered;
        QTest::newRow("a message to everybody is answered to its sender only")
            << 0 << true << kBob << "[ALL]" << hello << QStringList{answer} << answered;
        QTest::newRow("another absent user's automatic response leaves no trace")
            << 0 << true << kBob << kMe << ":RE: ME> hi" + kCrLf + "BOB> (Auto Resp) out"
            << QStringList() << QStringList();
        QTest::newRow("the own message to everybody leaves no trace")
            << 0 << true << kMe << "[ALL]"
            << "ME> (To All) hi" << QStringList() << QStringList();
        QTest::newRow("forward without the extra answer")
            << 3 << false << kBob << kMe << hello << QStringList{forward} << from;
        QTest::newRow("forward with the extra answer")
            << 3 << true << kBob << kMe << hello << QStringList{forward, forwardAnswer}
            << QStringList{HistoryRow::From, HistoryRow::AutoRepTo};
        QTest::newRow("a message forwarded by somebody else is forwarded again")
            << 3 << false << kBob << kMe << "-- Msg auto fwded by MEG --" + kCrLf + hello
            << QStringList{kBob + kAnn + "-- Msg auto fwded by ME --" + kCrLf +
                           "-- Msg auto fwded by MEG --" + kCrLf + hello}
            << from;
        QTest::newRow("a message that passed this copy before is not forwarded again")
            << 3 << true << kBob << kMe
            << "-- Msg auto fwded by ANN --" + kCrLf + "-- Msg auto fwded by ME --" + kCrLf + hello
            << QStringList() << from;
    }

    void handling()
    {
        QFETCH(int, entry);
        QFETCH(bool, autoreply);
        QFETCH(QString, sender);
        QFETCH(QString, recipient);
        QFETCH(QString, body);
        QFETCH(QStringList, datagrams);
        QFETCH(QStringList, rows);

        session->options.autoreply = autoreply;
        QVERIFY(responder().switchOn(entry));
        responder().handle(Datagram::Message{true, sender, recipient, body});
        QCOMPARE(sent, datagrams);
        QStringList kinds;
        for (const HistoryRow &row : session->history.rows())
            kinds.append(row.kind());
        QCOMPARE(kinds, rows);
        // Nothing is shown: no window taken, no log entry.
        QCOMPARE(session->popupSlots.pucount(), QStringLiteral("10"));
    }

    void historyRowsOfAForward()
    {
        session->options.autoreply = true;
        QVERIFY(responder().switchOn(3));
        responder().handle(Datagram::Message{true, kBob, kMe, QStringLiteral("BOB> hello, there")});
        const QList<HistoryRow> &rows = session->history.rows();
        QCOMPARE(rows.size(), 2);
        for (const HistoryRow &row : rows) {
            QCOMPARE(row[HistoryRow::Index], QStringLiteral("20240305140709"));
            QCOMPARE(row[HistoryRow::Date], QStringLiteral("03/05/24 02:07 pm"));
            QCOMPARE(row[HistoryRow::User], QStringLiteral("Bob"));
            QCOMPARE(row[HistoryRow::MessageHead], QStringLiteral("BOB>"));
            QCOMPARE(row[HistoryRow::MessageMain], QStringLiteral("hello, there"));
            QCOMPARE(row[HistoryRow::Addressee], kMe);
            QCOMPARE(row[HistoryRow::Reply], QStringLiteral("Forward to: Ann"));
            QCOMPARE(row[HistoryRow::Caption], QStringLiteral("Bob Msg 02:07 pm"));
        }
        QCOMPARE(session->history.current(), 1);
    }

    void forwardTargetNotInTheDirectoryReachesNobody()
    {
        session->options.ar[3] = QStringLiteral("Forward to: Gone");
        session->options.autoreply = false;
        QVERIFY(responder().switchOn(3));
        responder().handle(Datagram::Message{true, kBob, kMe, QStringLiteral("BOB> hi")});
        QCOMPARE(sent, QStringList({kBob + QStringLiteral("[---]-- Msg auto fwded by ME --") +
                                    kCrLf + QStringLiteral("BOB> hi")}));
    }

    void theDispatcherHandsAwayMessagesHere()
    {
        QVERIFY(responder().switchOn(0));
        session->transport.enqueue(kBob + kMe + QStringLiteral("BOB> are you there?"));
        session->dispatcher.tick();
        QCOMPARE(sent.size(), 1);
        QVERIFY(sent.first().startsWith(kMe + kBob + QStringLiteral(":RE: BOB> are you there?")));
        QVERIFY(session->transport.isEmpty());
    }

    void twoCopiesForwardingToEachOtherStop()
    {
        // A second copy, ANN, forwards to ME while ME forwards to ANN.
        QTemporaryDir annFolder;
        Messenger ann(annFolder.path(), prompter);
        ann.options.friendlyname = QStringLiteral("ANN");
        ann.options.autoresmaster = true;
        ann.options.autoreply = false;
        ann.options.ar[3] = QStringLiteral("Forward to: Me");
        ann.directory.user = kAnn;
        ann.directory.userlist = {kMe + QStringLiteral("=ME"), kAnn + QStringLiteral("=ANN")};
        QStringList annSent;
        ann.autoResponder.setSender([&](const QString &datagram) {
            annSent.append(datagram);
            return true;
        });
        session->options.autoreply = false;
        QVERIFY(responder().switchOn(3));
        QVERIFY(ann.autoResponder.switchOn(3));

        // Each copy takes what the other sent; a bounded number of passes must end it.
        QString next = kBob + kMe + QStringLiteral("BOB> hello");
        int passes = 0;
        for (; passes < 10 && !next.isEmpty(); ++passes) {
            const Datagram::Message message = Datagram::splitMessage(next);
            const bool toMe = message.recipient == kMe;
            QStringList &out = toMe ? sent : annSent;
            const qsizetype before = out.size();
            (toMe ? responder() : ann.autoResponder).handle(message);
            next = out.size() > before ? out.last() : QString();
        }
        QCOMPARE(passes, 3);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(annSent.size(), 1);
        QCOMPARE(session->history.rows().size(), 2); // forwarded, then kept when it came back
    }
};

QTEST_GUILESS_MAIN(TestAutoResponder)
#include "test_autoresponder.moc"
