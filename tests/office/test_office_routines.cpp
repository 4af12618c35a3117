// The office routines with a copy inside the test process among real copies on the simulated
// LAN: the away mode (answer, forward with and without the extra answer, another absent
// user's answer dropped), a message to a group, and the emergency quick-send button. The
// in-process copy is switched away and clicked as a person would; the real copies and the
// scripted peer show what went over the wire and into the files.
//
// Runs on a workstation of the office:
//     scripts/office-lan -- ws-exec 1 test_office_routines [CASE]
#include "localcopy.h"
#include "office.h"

#include "messenger/net/datagram.h"
#include "messenger/windows/messagewindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kAlice = QStringLiteral("[PC1\\ALICE]");
const QString kBob = QStringLiteral("[PC2\\BOB]");
const QString kCarol = QStringLiteral("[PC3\\CAROL]");
const QString kDave = QStringLiteral("[PC4\\DAVE]");
const QString kPeer = Office::peerIdentity();

// The activity-log entry of a received message, without its time stamp.
QString msgFrom(const QString &name, const QString &body)
{
    return QStringLiteral("Msg from ") + name + QStringLiteral("\t") + kCrLf + body + kCrLf +
           QStringLiteral("---");
}

QString msgTo(const QString &name, const QString &body)
{
    return QStringLiteral("Msg to   ") + name + QStringLiteral("\t") + kCrLf + body + kCrLf +
           QStringLiteral("---");
}

// What an away copy named ALICE answers to `body` with the automatic response `text`.
QString autoAnswer(const QString &to, const QString &body, const QString &text)
{
    return kAlice + to + QStringLiteral(":RE: ") + body + kCrLf +
           QStringLiteral("ALICE> (Auto Resp) ") + text;
}

QStringList kinds(const History &history)
{
    QStringList out;
    for (const HistoryRow &row : history.rows())
        out.append(row.kind());
    return out;
}
} // namespace

class TestOfficeRoutines : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Office> office;
    OfficePeer *peer = nullptr;
    std::unique_ptr<LocalCopy> alice;

    // The copy of the test process: ALICE on this workstation.
    bool startAlice(const QMap<QString, QString> &settings, const QStringList &users = {},
                    const QString &groups = QString())
    {
        alice = std::make_unique<LocalCopy>(office->folder(QStringLiteral("local")),
                                            QStringLiteral("pc1"), QStringLiteral("alice"),
                                            QStringLiteral("Alice"), settings);
        if (!users.isEmpty())
            alice->writeFile(QStringLiteral("users.txt"), users.join(kCrLf) + kCrLf);
        if (!groups.isEmpty())
            alice->writeFile(QStringLiteral("groups.txt"), groups);
        return alice->start() == Messenger::StartResult::Running &&
               peer->waitFor(Datagram::announce(kAlice, QStringLiteral("ALICE")));
    }

    // Waits until the real copy has ALICE in its known-users file, so its log names her.
    static bool knowsAlice(const OfficeCopy *copy)
    {
        return Office::waitUntil(
            [copy] { return copy->users().contains(kAlice + QStringLiteral("=ALICE")); });
    }

    bool aliceLists(const QString &name)
    {
        return Office::waitUntil(
            [this, name] { return alice->session().directory.allusers.contains(name); });
    }

    // A presence reply from the peer, so that the copies name it ROBOT.
    bool introducePeer()
    {
        return peer->send(QStringLiteral("**-") + kPeer + QStringLiteral("=ROBOT"));
    }

    // Everything that went out from ALICE's sending socket after the datagrams before it has
    // reached the peer: her announcement, sent now, comes after them on the same socket.
    bool aliceHasNothingMoreUnderway()
    {
        const QString announcement = Datagram::announce(kAlice, QStringLiteral("ALICE"));
        const int before = peer->count(announcement);
        alice->session().getusers_Click();
        return peer->waitFor(announcement, before + 1);
    }

    QStringList messagesFromAlice() const
    {
        QStringList out;
        for (const QString &text : peer->texts())
            if (text.startsWith(kAlice) && !Datagram::isPresence(text))
                out.append(text);
        return out;
    }

    // A click on a list entry; false when the list does not show it.
    static bool clickItem(QListWidget *list, const QString &text)
    {
        const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
        if (found.isEmpty())
            return false;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.first()).center());
        return found.first()->isSelected();
    }

    bool clickTab(int index)
    {
        auto *tabs = alice->child<QTabWidget>(QStringLiteral("SSTab1"));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(index).center());
        return tabs->currentIndex() == index;
    }

    // Types into the compose box and clicks Send, as a person does; false when the box did
    // not take the text.
    bool typeAndSend(const QString &text)
    {
        auto *compose = alice->child<QPlainTextEdit>(QStringLiteral("messagetext"));
        QTest::keyClicks(compose, text);
        if (compose->toPlainText() != text)
            return false;
        QTest::mouseClick(alice->child<QPushButton>(QStringLiteral("sendbtn")), Qt::LeftButton);
        return true;
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        QString why;
        if (!Office::onWorkstation(&why))
            QSKIP(qPrintable(why));
        office = std::make_unique<Office>();
        peer = office->startPeer(&why);
        QVERIFY2(peer, qPrintable(why));
    }

    void cleanup()
    {
        alice.reset();
        office.reset();
        peer = nullptr;
    }

    void awayAnswersTheSender_data()
    {
        QTest::addColumn<QString>("recipient");
        QTest::newRow("addressed to the absent user") << kAlice;
        // Answered to the sender only, not to everybody.
        QTest::newRow("addressed to everybody") << Datagram::everybody;
    }
    void awayAnswersTheSender()
    {
        QFETCH(QString, recipient);
        QVERIFY(startAlice({{QStringLiteral("AUTORESPONSEALLOW"), QStringLiteral("1")}}));
        Messenger &session = alice->session();
        QVERIFY(session.autoResponder.switchOn(0)); // the away menu's first text
        auto *notice = alice->child<QLabel>(QStringLiteral("notice"));
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("Auto Respond On: I'm away from my desk"));

        QVERIFY(introducePeer());
        const QString body = QStringLiteral("ROBOT> Are you free at 3? Café's on me – 5€");
        QVERIFY(peer->send(kPeer + recipient + body));
        const QString answer = autoAnswer(kPeer, body, QStringLiteral("I'm away from my desk"));
        QVERIFY2(peer->waitFor(answer), qPrintable(peer->dump()));
        for (const OfficePeer::Arrival &arrival : peer->received()) {
            if (arrival.text() == answer) {
                QCOMPARE(arrival.ip, QStringLiteral("10.98.0.%1").arg(Office::ownWorkstation()));
                QCOMPARE(arrival.port, Office::SendingPort);
            }
        }
        QVERIFY(aliceHasNothingMoreUnderway());
        QCOMPARE(messagesFromAlice(), QStringList{answer});

        // Recorded in the history only: no window, no log entry, still away.
        QCOMPARE(kinds(session.history), QStringList{HistoryRow::AutoRepTo});
        const HistoryRow &row = session.history.rows().first();
        QCOMPARE(row[HistoryRow::User], QStringLiteral("Robot"));
        QCOMPARE(row[HistoryRow::Addressee], recipient);
        QCOMPARE(row[HistoryRow::Reply], QStringLiteral("I'm away from my desk"));
        for (int i = 0; i <= PopupSlots::RecallWindow; ++i)
            QVERIFY(!alice->window().popup(i)->isVisible());
        QVERIFY2(!alice->log().contains(QStringLiteral("Msg from")), qPrintable(alice->log()));
        QVERIFY(session.away);
    }

    void awayForwardsToAColleague_data()
    {
        QTest::addColumn<bool>("alsoAnswer"); // AUTORESPONSEFORWARD
        QTest::newRow("forward and answer") << true;
        QTest::newRow("forward only") << false;
    }
    void awayForwardsToAColleague()
    {
        QFETCH(bool, alsoAnswer);
        QString error;
        OfficeCopy *bob = office->startCopy(2, QStringLiteral("pc2"), QStringLiteral("bob"),
                                            QStringLiteral("Bob"), {}, &error);
        QVERIFY2(bob, qPrintable(error));
        const QString forwardTo = QStringLiteral("Forward to: Bob");
        QVERIFY(startAlice({{QStringLiteral("AUTORESPONSEALLOW"), QStringLiteral("1")},
                            {QStringLiteral("AUTORESPONSEMSG3"), forwardTo},
                            {QStringLiteral("AUTORESPONSEFORWARD"),
                             alsoAnswer ? QStringLiteral("1") : QStringLiteral("0")}}));
        QVERIFY(aliceLists(QStringLiteral("Bob")));
        Messenger &session = alice->session();
        QVERIFY(session.autoResponder.switchOn(3)); // the forward entry of the away menu
        QCOMPARE(session.options.autorespond, forwardTo);

        QVERIFY(introducePeer());
        QVERIFY2(Office::waitUntil(
                     [&] { return bob->users().contains(kPeer + QStringLiteral("=ROBOT")); }),
                 qPrintable(bob->diagnostics()));
        const QString body = QStringLiteral("ROBOT> Please call Mrs Smith back");
        QVERIFY(peer->send(kPeer + kAlice + body));

        // The colleague gets it with the first sender as the sender.
        const QString forwarded = QStringLiteral("-- Msg auto fwded by ALICE --") + kCrLf + body;
        QVERIFY2(peer->waitFor(kPeer + kBob + forwarded), qPrintable(peer->dump()));
        QVERIFY2(bob->waitForLog(msgFrom(QStringLiteral("ROBOT"), forwarded)),
                 qPrintable(bob->diagnostics()));

        QVERIFY(aliceHasNothingMoreUnderway());
        const QString answer = autoAnswer(kPeer, body, forwardTo);
        QCOMPARE(peer->count(answer), alsoAnswer ? 1 : 0);
        QCOMPARE(peer->count(kPeer + kBob + forwarded), 1);
        QCOMPARE(kinds(session.history),
                 alsoAnswer ? QStringList({HistoryRow::From, HistoryRow::AutoRepTo})
                            : QStringList({HistoryRow::From}));
        for (const HistoryRow &row : session.history.rows())
            QCOMPARE(row[HistoryRow::Reply], forwardTo);
        QVERIFY(!alice->window().popup(0)->isVisible());
    }

    void autoResponseIsDroppedWhileAway()
    {
        QVERIFY(startAlice({{QStringLiteral("AUTORESPONSEALLOW"), QStringLiteral("1")}}));
        Messenger &session = alice->session();
        QVERIFY(session.autoResponder.switchOn(1));
        QVERIFY(introducePeer());

        // Another absent user's automatic answer to something ALICE sent earlier ...
        QVERIFY(peer->send(kPeer + kAlice + QStringLiteral(":RE: ALICE> Lunch?") + kCrLf +
                           QStringLiteral("ROBOT> (Auto Resp) I'm in a meeting")));
        // ... and, after it, a message of a person, which is answered.
        const QString body = QStringLiteral("ROBOT> Are you back?");
        QVERIFY(peer->send(kPeer + kAlice + body));
        const QString answer = autoAnswer(kPeer, body, QStringLiteral("I'm out of the office"));
        QVERIFY2(peer->waitFor(answer), qPrintable(peer->dump()));
        QVERIFY(aliceHasNothingMoreUnderway());

        // The datagrams are handled in arrival order: the first left no trace at all.
        QCOMPARE(messagesFromAlice(), QStringList{answer});
        QCOMPARE(kinds(session.history), QStringList{HistoryRow::AutoRepTo});
        QCOMPARE(session.history.rows().first()[HistoryRow::MessageMain],
                 QStringLiteral("Are you back?"));
        QVERIFY(!alice->window().popup(0)->isVisible());
        QVERIFY(!alice->log().contains(QStringLiteral("Msg from")));
    }

    // Two of three colleagues are in the group FRONT DESK; only they get its message.
    void groupMessageReachesOnlyItsMembers()
    {
        QString error;
        QList<OfficeCopy *> copies;
        const QStringList names = {QStringLiteral("Bob"), QStringLiteral("Carol"),
                                   QStringLiteral("Dave")};
        for (int i = 0; i < names.size(); ++i) {
            OfficeCopy *copy = office->startCopy(2 + i, QStringLiteral("pc%1").arg(2 + i),
                                                 names.at(i).toLower(), names.at(i), {}, &error);
            QVERIFY2(copy, qPrintable(error));
            copies.append(copy);
        }
        OfficeCopy *bob = copies.at(0);
        OfficeCopy *carol = copies.at(1);
        OfficeCopy *dave = copies.at(2);

        // The group file as the group editor saves it, members by workstation key; ALICE
        // knows the three from an earlier run.
        QStringList groups;
        for (int slot = 1; slot <= 10; ++slot)
            groups.append(QStringLiteral("[Group%1name  ]=").arg(slot, 2, 10, QLatin1Char('0')) +
                          (slot == 1 ? QStringLiteral("FRONT DESK") : QString()));
        groups.append(QStringLiteral("[Group01member]=") + kBob);
        groups.append(QStringLiteral("[Group01member]=") + kCarol);
        QVERIFY(startAlice({}, {bob->entry(), carol->entry(), dave->entry()},
                           groups.join(kCrLf) + kCrLf));
        for (OfficeCopy *copy : copies)
            QVERIFY2(knowsAlice(copy), qPrintable(copy->diagnostics()));
        QVERIFY(aliceLists(QStringLiteral("Dave")));

        QVERIFY(clickTab(1));
        QVERIFY(clickItem(alice->child<QListWidget>(QStringLiteral("List1")),
                          QStringLiteral("FRONT DESK")));
        QVERIFY(typeAndSend(QStringLiteral("Staff meeting at 5")));

        const QString body = QStringLiteral("ALICE> Staff meeting at 5");
        for (OfficeCopy *member : {bob, carol})
            QVERIFY2(member->waitForLog(msgFrom(QStringLiteral("ALICE"), body)),
                     qPrintable(member->diagnostics()));
        // Dave handles datagrams in arrival order: once a later message to him is in his
        // log, the group's message has passed him.
        QVERIFY(clickTab(0));
        QVERIFY(clickItem(alice->child<QListWidget>(QStringLiteral("allusers")),
                          QStringLiteral("Dave")));
        QVERIFY(typeAndSend(QStringLiteral("Only for Dave")));
        QVERIFY2(dave->waitForLog(
                     msgFrom(QStringLiteral("ALICE"), QStringLiteral("ALICE> Only for Dave"))),
                 qPrintable(dave->diagnostics()));
        QVERIFY2(!dave->log().contains(QStringLiteral("Staff meeting")), qPrintable(dave->log()));

        QCOMPARE(messagesFromAlice(),
                 QStringList({kAlice + kBob + body, kAlice + kCarol + body,
                              kAlice + kDave + QStringLiteral("ALICE> Only for Dave")}));
        QVERIFY(alice->log().contains(
            msgTo(QStringLiteral("FRONT DESK"), QStringLiteral("Staff meeting at 5"))));
        const HistoryRow &row = alice->session().history.rows().first();
        QCOMPARE(row.kind(), HistoryRow::To);
        QCOMPARE(row[HistoryRow::User], QStringLiteral("FRONT DESK"));
    }

    // The default set's EMERGENCY button: one press, everybody called.
    void emergencyButtonCallsEverybody()
    {
        QString error;
        OfficeCopy *bob = office->startCopy(2, QStringLiteral("pc2"), QStringLiteral("bob"),
                                            QStringLiteral("Bob"), {}, &error);
        QVERIFY2(bob, qPrintable(error));
        OfficeCopy *carol = office->startCopy(3, QStringLiteral("pc3"), QStringLiteral("carol"),
                                              QStringLiteral("Carol"), {}, &error);
        QVERIFY2(carol, qPrintable(error));
        QVERIFY(startAlice({}));
        QVERIFY2(knowsAlice(bob), qPrintable(bob->diagnostics()));
        QVERIFY2(knowsAlice(carol), qPrintable(carol->diagnostics()));

        QPushButton *emergency = nullptr;
        for (int i = 1; i <= 12; ++i) {
            auto *qb = alice->child<QPushButton>(QStringLiteral("qb%1").arg(i));
            if (qb->text().contains(QLatin1String("EMERGENCY")))
                emergency = qb;
        }
        QVERIFY2(emergency, "the default button set has an EMERGENCY button");
        QVERIFY(emergency->isEnabled());
        // Nobody chosen: the button chooses everybody itself.
        QVERIFY(alice->session().directory.multiusers.isEmpty());
        QTest::mouseClick(emergency, Qt::LeftButton);

        const QString body = QStringLiteral("ALICE> (To All) CALL 9-1-1");
        for (OfficeCopy *copy : {bob, carol})
            QVERIFY2(copy->waitForLog(msgFrom(QStringLiteral("ALICE"), body)),
                     qPrintable(copy->diagnostics()));
        QVERIFY(aliceHasNothingMoreUnderway());
        QCOMPARE(messagesFromAlice(), QStringList{kAlice + Datagram::everybody + body});
        QVERIFY(alice->log().contains(msgTo(QStringLiteral("ALL"), body)));
        QCOMPARE(alice->child<QLabel>(QStringLiteral("statustext"))->text(),
                 QStringLiteral("Message sent to ALL"));
        QVERIFY(
            alice->child<QPlainTextEdit>(QStringLiteral("messagetext"))->toPlainText().isEmpty());
        QVERIFY(!alice->child<QCheckBox>(QStringLiteral("Checkallusers"))->isChecked());
    }
};

QTEST_MAIN(TestOfficeRoutines)
#include "test_office_routines.moc"
