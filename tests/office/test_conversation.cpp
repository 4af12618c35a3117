// A conversation through the windows: ALICE runs inside the test process with her main window
// and message windows, BOB is a real copy on another workstation of the simulated LAN. ALICE
// picks Bob, types and clicks Send; Bob's copy shows it. Bob's answer (sent by the scripted
// peer exactly as Bob's message window sends it) opens ALICE's first message window with the
// conversation coloured by speaker; she answers there. Both logs and both histories follow,
// Bob's hist.dat once his copy has ended through SIGTERM.
//
// Runs on a workstation of the office:
//     scripts/office-lan -- ws-exec 1 test_conversation
#include "localcopy.h"
#include "office.h"
#include "tests/support/textcolour.h"

#include "messenger/net/datagram.h"
#include "messenger/windows/messagewindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kAlice = QStringLiteral("[PC1\\ALICE]");
const QString kBob = QStringLiteral("[PC2\\BOB]");

QString logEntry(const QString &word, const QString &name, const QString &body)
{
    return word + name + QStringLiteral("\t") + kCrLf + body + kCrLf + QStringLiteral("---");
}

using TestSupport::colourAt;

// Positions of `line` (0-based) in the edit whose colour is not `expected`, as text.
QString wrongColours(QTextEdit *edit, int line, const QColor &expected)
{
    const QStringList lines = edit->toPlainText().split(QLatin1Char('\n'));
    int start = 0;
    for (int i = 0; i < line; ++i)
        start += int(lines.at(i).size()) + 1;
    QStringList wrong;
    for (int p = start; p < start + lines.value(line).size(); ++p)
        if (colourAt(edit, p) != expected)
            wrong.append(QStringLiteral("%1:%2").arg(p).arg(colourAt(edit, p).name()));
    return wrong.join(QLatin1Char(' '));
}
} // namespace

class TestConversation : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Office> office;
    OfficePeer *peer = nullptr;
    std::unique_ptr<LocalCopy> alice;

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

    void conversationThroughTheWindows()
    {
        QString error;
        OfficeCopy *bob = office->startCopy(2, QStringLiteral("pc2"), QStringLiteral("bob"),
                                            QStringLiteral("Bob"), {}, &error);
        QVERIFY2(bob, qPrintable(error));
        alice = std::make_unique<LocalCopy>(office->folder(QStringLiteral("local")),
                                            QStringLiteral("pc1"), QStringLiteral("alice"),
                                            QStringLiteral("Alice"), QMap<QString, QString>());
        QCOMPARE(alice->start(), Messenger::StartResult::Running);
        Messenger &session = alice->session();
        QVERIFY(Office::waitUntil(
            [&] { return session.directory.allusers.contains(QStringLiteral("Bob")); }));
        QVERIFY2(Office::waitUntil([&] { return bob->users().contains(alice->entry()); }),
                 qPrintable(bob->diagnostics()));

        // --- ALICE writes to Bob from the main window ---
        auto *users = alice->child<QListWidget>(QStringLiteral("allusers"));
        const QList<QListWidgetItem *> found =
            users->findItems(QStringLiteral("Bob"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(users->viewport(), Qt::LeftButton, {},
                          users->visualItemRect(found.first()).center());
        QVERIFY(found.first()->isSelected());
        auto *compose = alice->child<QPlainTextEdit>(QStringLiteral("messagetext"));
        QTest::keyClicks(compose, QStringLiteral("Lunch at noon?"));
        QTest::mouseClick(alice->child<QPushButton>(QStringLiteral("sendbtn")), Qt::LeftButton);

        const QString first = QStringLiteral("ALICE> Lunch at noon?");
        QVERIFY2(peer->waitFor(kAlice + kBob + first), qPrintable(peer->dump()));
        QVERIFY2(
            bob->waitForLog(logEntry(QStringLiteral("Msg from "), QStringLiteral("ALICE"), first)),
            qPrintable(bob->diagnostics()));
        QVERIFY(compose->toPlainText().isEmpty());
        QVERIFY(alice->log().contains(logEntry(QStringLiteral("Msg to   "), QStringLiteral("BOB"),
                                               QStringLiteral("Lunch at noon?"))));
        QCOMPARE(session.history.rows().size(), 1);
        QCOMPARE(session.history.rows().at(0).kind(), HistoryRow::To);
        QCOMPARE(session.history.rows().at(0)[HistoryRow::User], QStringLiteral("Bob"));
        QCOMPARE(session.history.rows().at(0)[HistoryRow::MessageMain],
                 QStringLiteral("Lunch at noon?"));

        // --- Bob answers: what his message window sends, from the peer ---
        const QString second = first + kCrLf + QStringLiteral("BOB> Yes, at the café – 5€ each");
        QVERIFY(peer->send(kBob + kAlice + second));
        MessageWindow *popup0 = alice->window().popup(0);
        QVERIFY(Office::waitUntil([&] { return popup0->isVisible(); }));
        QCOMPARE(popup0->objectName(), QStringLiteral("popup0"));
        QCOMPARE(alice->child<QLabel>(QStringLiteral("messagefrom"), popup0)->text(),
                 QStringLiteral("Bob"));
        auto *message = alice->child<QTextEdit>(QStringLiteral("message"), popup0);
        QCOMPARE(message->toPlainText(),
                 QStringLiteral("ALICE> Lunch at noon?\nBOB> Yes, at the café – 5€ each"));
        // Her own line black, Bob's red, every character of them.
        QCOMPARE(wrongColours(message, 0, QColor(0, 0, 0)), QString());
        QCOMPARE(wrongColours(message, 1, QColor(255, 0, 0)), QString());
        QVERIFY(alice->log().contains(
            logEntry(QStringLiteral("Msg from "), QStringLiteral("BOB"), second)));
        QCOMPARE(session.history.rows().size(), 2);
        QCOMPARE(session.history.rows().at(1).kind(), HistoryRow::From);
        QCOMPARE(session.history.rows().at(1)[HistoryRow::User], QStringLiteral("Bob"));
        QCOMPARE(session.history.rows().at(1)[HistoryRow::Addressee], kAlice);

        // --- ALICE answers in the message window ---
        auto *response = alice->child<QPlainTextEdit>(QStringLiteral("temp"), popup0);
        auto *send = alice->child<QPushButton>(QStringLiteral("sendbtn"), popup0);
        QVERIFY(!send->isEnabled()); // nothing typed yet
        QTest::keyClicks(response, QStringLiteral("See you there"));
        QVERIFY(send->isEnabled());
        QTest::mouseClick(send, Qt::LeftButton);

        const QString third = second + kCrLf + QStringLiteral("ALICE> See you there");
        QVERIFY2(peer->waitFor(kAlice + kBob + third), qPrintable(peer->dump()));
        QVERIFY2(
            bob->waitForLog(logEntry(QStringLiteral("Msg from "), QStringLiteral("ALICE"), third)),
            qPrintable(bob->diagnostics()));
        QVERIFY(!popup0->isVisible());
        QCOMPARE(session.history.rows().size(), 3);
        QCOMPARE(session.history.rows().at(2).kind(), HistoryRow::RepliedTo);
        QCOMPARE(session.history.rows().at(2)[HistoryRow::Reply], QStringLiteral("See you there"));

        // --- Bob's copy ends; its history holds both messages it received ---
        QVERIFY2(bob->terminate(), qPrintable(bob->diagnostics()));
        History bobs;
        QVERIFY(bobs.load(bob->file(QStringLiteral("hist.dat"))));
        QCOMPARE(bobs.rows().size(), 2);
        for (const HistoryRow &row : bobs.rows()) {
            QCOMPARE(row.kind(), HistoryRow::From);
            QCOMPARE(row[HistoryRow::User], QStringLiteral("Alice"));
            QCOMPARE(row[HistoryRow::Addressee], kBob);
        }
        QCOMPARE(bobs.rows().at(0)[HistoryRow::MessageMain], QStringLiteral("Lunch at noon?"));
        QCOMPARE(bobs.rows().at(1)[HistoryRow::MessageMain],
                 QStringLiteral("Lunch at noon?") + kCrLf +
                     QStringLiteral("BOB> Yes, at the café – 5€ each") + kCrLf +
                     QStringLiteral("ALICE> See you there"));
    }
};

QTEST_MAIN(TestConversation)
#include "test_conversation.moc"
