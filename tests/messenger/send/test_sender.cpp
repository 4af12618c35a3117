// Composing, sending and replying: what goes on the wire, into the activity log, the history
// and the status line for each kind of recipient; the compose box rules; forwarding; the
// message windows' Send; and the reactions to send errors. Datagrams are captured through
// the session's send hook, so no socket is opened.
#include "messenger/app/messenger.h"
#include "messenger/send/sender.h"
#include "tests/support/testsupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using TestSupport::RecordingPrompter;

namespace
{
const QString kAnn = QStringLiteral("[PC1\\ANN]");
const QString kBob = QStringLiteral("[PC2\\BOB]");
const QString kCarl = QStringLiteral("[PC3\\CARL]");
const QString kDora = QStringLiteral("[PC4\\DORA]");
const QString kGroupEntry = QStringLiteral("Front desk") + QString(30, u' ') + QStringLiteral("1");

// A session with three known users on the list, own name ANN, and every datagram captured.
// From send number `failFrom` on, sends fail with `failure`.
struct Fixture {
    QTemporaryDir dir;
    RecordingPrompter prompter;
    QDateTime now{QDate(2024, 3, 7), QTime(14, 5, 9)};
    Messenger session;
    QStringList sent;
    int failFrom = -1;
    SocketError failure;
    int portResets = 0;

    Fixture() : session(dir.path(), prompter, [this] { return now; })
    {
        prompter.transport = &session.transport;
        session.options.friendlyname = QStringLiteral("ANN");
        session.directory.refreshUser();
        session.directory.userlist = {kBob + QStringLiteral("=BOB"),
                                      kCarl + QStringLiteral("=CARL"),
                                      kDora + QStringLiteral("=DORA")};
        session.directory.allusers = {QStringLiteral("Bob"), QStringLiteral("Carl"),
                                      QStringLiteral("Dora")};
        session.sendHook = [this](const QString &text, SocketError *err) {
            if (failFrom >= 0 && sent.size() >= failFrom) {
                *err = failure;
                return false;
            }
            sent << text;
            return true;
        };
        session.resetPortsHook = [this] { ++portResets; };
        session.sender.groupList = {kGroupEntry};
        session.sender.groupMembers = [](int number) {
            return number == 1 ? QStringList{QStringLiteral("Bob"), QStringLiteral("Zed"),
                                             QStringLiteral("dora")}
                               : QStringList();
        };
    }

    Sender &sender() { return session.sender; }
    // Log entries without their 16-character time stamps.
    QStringList logTexts() const
    {
        QStringList texts;
        for (const QString &entry : session.log.lstMessages())
            texts << entry.mid(16);
        return texts;
    }
    // Fills message window `index` as the dispatcher would.
    void fillWindow(int index, const QString &from, const QString &message, bool toAll = false)
    {
        PopupState &window = session.popupSlots.state(index);
        // Slots are taken lowest first, so the ones below `index` are taken too.
        if (index < PopupSlots::RecallWindow) {
            while (!session.popupSlots.isBusy(index))
                session.popupSlots.choose();
        }
        window.messagefrom = from;
        window.message = message;
        window.caption = from + QStringLiteral(" Msg 09:15 am");
        window.broadcast = toAll ? QStringLiteral("(Sent to ALL)") : QString();
    }
};

QString entry(const QString &kind, const QString &name, const QString &text)
{
    return kind + name + QStringLiteral("\t\r\n") + text + QStringLiteral("\r\n---");
}
} // namespace

class TestSender : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Fixture> f;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("COMPUTERNAME", "pc1");
        qputenv("USERNAME", "ann");
    }
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    // --- Compose box ---

    void composeNotice_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("notice");
        QTest::newRow("970 fits") << 970 << QString();
        QTest::newRow("971 is too long") << 971 << QStringLiteral("Message length exceeded");
        QTest::newRow("empty") << 0 << QString();
    }

    void composeNotice()
    {
        QFETCH(int, length);
        QFETCH(QString, notice);
        QSignalSpy spy(&f->sender(), &Sender::noticeChanged);
        f->sender().composeChanged(QString(length, u'x'));
        QCOMPARE(f->sender().notice, notice);
        QCOMPARE(spy.last().at(0).toString(), notice);
    }

    // One typed character while away switches automatic response off; while not away no
    // switch-off is signalled.
    void typingSwitchesAutoResponseOff()
    {
        QSignalSpy off(&f->session, &Messenger::autoResponseSwitchedOff);
        f->sender().composeChanged(QStringLiteral("a"));
        QCOMPARE(off.count(), 0);
        f->session.options.autoresmaster = true;
        QVERIFY(f->session.autoResponder.switchOn(0));
        QVERIFY(f->session.away);
        f->sender().composeChanged(QStringLiteral("ab"));
        QVERIFY(!f->session.away);
        QCOMPARE(f->session.autoResponder.checkedEntry(), AutoResponder::OffEntry);
        QCOMPARE(off.count(), 1);
    }

    // A view that hands over bare LF line breaks still gets CR LF on the wire.
    void lineBreaksBecomeCrLf()
    {
        f->sender().setUserSelection({0}, 0);
        f->sender().composeChanged(QStringLiteral("one\ntwo\r\nthree"));
        f->sender().sendbtn_Click();
        QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("ANN> one\r\ntwo\r\nthree")});
    }

    void tooLongIsCutOnSend()
    {
        const QString text = QString(970, u'a') + QLatin1Char('Z');
        f->sender().setUserSelection({0}, 0);
        f->sender().composeChanged(text);
        QCOMPARE(f->sender().notice, QStringLiteral("Message length exceeded"));
        f->sender().sendbtn_Click();
        QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("ANN> ") + QString(970, u'a')});
        QCOMPARE(f->sender().recalltext, text);
        QCOMPARE(f->sender().notice, QString());
    }

    void enterSends_data()
    {
        QTest::addColumn<bool>("entersend");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("sends");
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier,
                  alt = Qt::AltModifier, keypad = Qt::KeypadModifier;
        QTest::newRow("off: Enter breaks the line") << false << none << false;
        QTest::newRow("off: Ctrl+Enter sends") << false << ctrl << true;
        QTest::newRow("off: Ctrl+Shift+Enter breaks the line") << false << (ctrl | shift) << false;
        QTest::newRow("off: keypad Ctrl+Enter sends") << false << (ctrl | keypad) << true;
        QTest::newRow("on: Enter sends") << true << none << true;
        QTest::newRow("on: Shift+Enter sends") << true << shift << true;
        QTest::newRow("on: Ctrl+Shift+Enter sends") << true << (ctrl | shift) << true;
        QTest::newRow("on: Ctrl+Alt+Enter sends") << true << (ctrl | alt) << true;
        QTest::newRow("on: Ctrl+Enter breaks the line") << true << ctrl << false;
        QTest::newRow("on: keypad Enter sends") << true << keypad << true;
    }

    void enterSends()
    {
        QFETCH(bool, entersend);
        QFETCH(int, modifiers);
        QFETCH(bool, sends);
        QCOMPARE(Sender::enterSends(entersend, Qt::KeyboardModifiers(modifiers)), sends);
    }

    // Enter sends only while a recipient is chosen, and then the text goes out without the
    // line break.
    void enterNeedsARecipient()
    {
        f->session.options.entersend = true;
        f->sender().composeChanged(QStringLiteral("hi"));
        QVERIFY(!f->sender().enterPressed(Qt::NoModifier));
        QVERIFY(f->sent.isEmpty());
        QCOMPARE(f->sender().messagetext, QStringLiteral("hi"));

        f->sender().setUserSelection({1}, 1);
        QVERIFY(f->sender().enterPressed(Qt::NoModifier));
        QCOMPARE(f->sent, QStringList{kAnn + kCarl + QStringLiteral("ANN> hi")});
    }

    // --- Send ---

    void sendToThreeUsers()
    {
        QSignalSpy focus(&f->sender(), &Sender::focusCompose);
        f->sender().setUserSelection({2, 0, 1}, 2);
        f->sender().composeChanged(QStringLiteral("Room 2 ready"));
        f->sender().sendbtn_Click();

        const QString body = QStringLiteral("ANN> Room 2 ready");
        QCOMPARE(f->sent,
                 (QStringList{kAnn + kBob + body, kAnn + kCarl + body, kAnn + kDora + body}));
        QCOMPARE(f->logTexts(), (QStringList{entry("Msg to   ", "BOB", "Room 2 ready"),
                                             entry("Msg to   ", "CARL", "Room 2 ready"),
                                             entry("Msg to   ", "DORA", "Room 2 ready")}));
        const QList<HistoryRow> &rows = f->session.history.rows();
        QCOMPARE(rows.size(), 3);
        const QStringList users{"Bob", "Carl", "Dora"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(rows[i][HistoryRow::Kind], QStringLiteral("To"));
            QCOMPARE(rows[i][HistoryRow::User], users[i]);
            QCOMPARE(rows[i][HistoryRow::MessageMain], QStringLiteral("Room 2 ready"));
            QCOMPARE(rows[i][HistoryRow::RecallTab], QStringLiteral("0"));
            QCOMPARE(rows[i][HistoryRow::RecallIndex], QStringLiteral("2"));
            QCOMPARE(rows[i][HistoryRow::Index], QStringLiteral("20240307140509"));
        }
        QCOMPARE(f->session.statustext, QStringLiteral("Message sent to Bob, Carl, Dora"));
        QCOMPARE(f->sender().messagetext, QString());
        QVERIFY(focus.count() >= 2);
        // The log is saved after the send.
        QVERIFY(QFile::exists(f->session.log.currentFile()));
    }

    void sendToEverybody()
    {
        QSignalSpy ticked(&f->sender(), &Sender::checkallusersChanged);
        f->sender().setCheckallusers(true);
        f->sender().composeChanged(QStringLiteral("EMERGENCY"));
        f->sender().sendbtn_Click();

        const QString text = QStringLiteral("ANN> (To All) EMERGENCY");
        QCOMPARE(f->sent, QStringList{kAnn + QStringLiteral("[ALL]") + text});
        QCOMPARE(f->logTexts(), QStringList{entry("Msg to   ", "ALL", text)});
        QCOMPARE(f->session.history.rows().size(), 1);
        QCOMPARE(f->session.history.rows()[0][HistoryRow::User], QStringLiteral("ALL"));
        QCOMPARE(f->session.history.rows()[0][HistoryRow::MessageMain], text);
        QCOMPARE(f->session.statustext, QStringLiteral("Message sent to ALL"));
        QVERIFY(!f->sender().Checkallusers());
        QCOMPARE(ticked.last().at(0).toBool(), false);
    }

    // Zed is not in the directory: Send skips him; "dora" is found in any case.
    void sendToGroupSkipsUnknownMembers()
    {
        f->sender().setTab(Sender::GroupsTab);
        f->sender().chooseGroup(0);
        QCOMPARE(f->session.directory.multiusers, QStringList{QString()});
        f->sender().composeChanged(QStringLiteral("Hygiene check"));
        f->sender().sendbtn_Click();

        const QString body = QStringLiteral("ANN> Hygiene check");
        QCOMPARE(f->sent, (QStringList{kAnn + kBob + body, kAnn + kDora + body}));
        QCOMPARE(f->logTexts(), QStringList{entry("Msg to   ", "FRONT DESK", "Hygiene check")});
        const HistoryRow row = f->session.history.rows().value(0);
        QCOMPARE(row[HistoryRow::User], QStringLiteral("Front desk"));
        QCOMPARE(row[HistoryRow::RecallTab], QStringLiteral("1"));
        QCOMPARE(row[HistoryRow::RecallIndex], QStringLiteral("0"));
        QCOMPARE(f->sender().messagetext, QString());
    }

    // The reply routine's group fallback addresses every member, the unknown one as "[---]".
    void replyGroupFallbackKeepsUnknownMembers()
    {
        f->sender().setTab(Sender::GroupsTab);
        f->sender().chooseGroup(0);
        f->sender().txtSendMessage = QStringLiteral("BOB> ?\r\nANN> ok");
        f->sender().temprec = QStringLiteral("BOB> ?");
        f->sender().tempreply = QStringLiteral("ok");
        f->sender().cmdSend_Click();

        const QString text = QStringLiteral("BOB> ?\r\nANN> ok");
        QCOMPARE(f->sent, (QStringList{kAnn + kBob + text, kAnn + QStringLiteral("[---]") + text,
                                       kAnn + kDora + text}));
        QCOMPARE(f->logTexts(), QStringList{entry("Msg to   ", "FRONT DESK", text)});
        const HistoryRow row = f->session.history.rows().value(0);
        QCOMPARE(row[HistoryRow::Kind], QStringLiteral("Replied to"));
        QCOMPARE(row[HistoryRow::User], QStringLiteral("Front desk"));
        QCOMPARE(f->sender().txtSendMessage, QString());
    }

    void nothingToSend_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("selectUser");
        QTest::addColumn<bool>("newUserArrives");
        QTest::newRow("empty text") << QString() << 0 << true << false;
        QTest::newRow("no user selected") << QStringLiteral("hi") << 0 << false << false;
        QTest::newRow("no group chosen") << QStringLiteral("hi") << 1 << false << false;
        // A newcomer empties the visible list, and the selection goes with it.
        QTest::newRow("selection lost to a newcomer") << QStringLiteral("hi") << 0 << true << true;
    }

    void nothingToSend()
    {
        QFETCH(QString, text);
        QFETCH(int, tab);
        QFETCH(bool, selectUser);
        QFETCH(bool, newUserArrives);
        f->session.options.resetports = true;
        f->sender().setTab(tab);
        if (selectUser)
            f->sender().setUserSelection({0}, 0);
        if (newUserArrives) {
            QVERIFY(f->session.directory.handlePresence(QStringLiteral("**-[PC9\\EVE]=EVE")));
            QVERIFY(f->session.directory.allusers.isEmpty());
            f->sent.clear();
        }
        f->sender().composeChanged(text);
        f->sender().sendbtn_Click();
        QVERIFY(f->sent.isEmpty());
        QVERIFY(f->session.log.lstMessages().isEmpty());
        QVERIFY(f->session.history.rows().isEmpty());
        QCOMPARE(f->sender().messagetext, text);
        QCOMPARE(f->portResets, 1);
    }

    void portsResetAfterSendWhenOn()
    {
        f->sender().setUserSelection({0}, 0);
        f->sender().composeChanged(QStringLiteral("a"));
        f->sender().sendbtn_Click();
        QCOMPARE(f->portResets, 0);
        f->session.options.resetports = true;
        f->sender().composeChanged(QStringLiteral("b"));
        f->sender().sendbtn_Click();
        QCOMPARE(f->portResets, 1);
    }

    // --- Forward ---

    void forwardFromWindowThenSend()
    {
        QSignalSpy quick(&f->sender(), &Sender::quickSendEnabledChanged);
        QSignalSpy hidden(&f->sender(), &Sender::hideWindow);
        f->session.away = true;
        f->fillWindow(0, QStringLiteral("Bob"), QStringLiteral("BOB> Patient arrived?"));
        f->sender().forwardFromWindow(0);

        const QString text = QStringLiteral("Begin forwarded message:\r\nBOB> Patient arrived?\r\n"
                                            "ANN> I'm forwarding this to you.");
        QCOMPARE(f->sender().messagetext, text);
        QVERIFY(f->sender().fwd);
        QCOMPARE(f->sender().fwdCaption, QStringLiteral("BOB"));
        QCOMPARE(quick.count(), 1);
        QCOMPARE(quick.last().at(0).toBool(), false);
        QVERIFY(!f->session.popupSlots.isBusy(0));
        QCOMPARE(f->session.popupSlots.state(0).message, QString());
        QCOMPARE(hidden.count(), 1);
        QVERIFY(!f->session.away); // preparing a forward changes the compose box

        f->sender().setUserSelection({1}, 1);
        f->sender().sendbtn_Click();
        // The datagram carries the first sender as its sender.
        QCOMPARE(f->sent, QStringList{kBob + kCarl + QStringLiteral("BOB> ") + text});
        QCOMPARE(f->logTexts(), QStringList{entry("Fwd to   ", "CARL", text)});
        QCOMPARE(f->session.history.rows().value(0)[HistoryRow::Kind], QStringLiteral("To"));
        QVERIFY(!f->sender().fwd);
        QCOMPARE(quick.count(), 2);
        QCOMPARE(quick.last().at(0).toBool(), true);
    }

    void clearDuringForward()
    {
        QSignalSpy quick(&f->sender(), &Sender::quickSendEnabledChanged);
        f->fillWindow(PopupSlots::RecallWindow, QStringLiteral("Bob"), QStringLiteral("BOB> hi"));
        f->sender().forwardFromWindow(PopupSlots::RecallWindow);
        // The recall window keeps its message for the recall actions.
        QCOMPARE(f->session.popupSlots.state(PopupSlots::RecallWindow).message,
                 QStringLiteral("BOB> hi"));
        f->sender().clear();
        QVERIFY(!f->sender().fwd);
        QVERIFY(f->sender().quickSendEnabled);
        QCOMPARE(quick.last().at(0).toBool(), true);
        QCOMPARE(f->sender().messagetext, QString());
        QVERIFY(f->sent.isEmpty());
    }

    // --- Replies from message windows ---

    void replyFromWindow()
    {
        QSignalSpy hidden(&f->sender(), &Sender::hideWindow);
        f->fillWindow(0, QStringLiteral("Bob"), QStringLiteral("BOB> Patient arrived?"));
        f->session.popupSlots.state(0).temp = QStringLiteral("Yes, room 2");
        f->sender().replyFromWindow(0);

        const QString text = QStringLiteral("BOB> Patient arrived?\r\nANN> Yes, room 2");
        QCOMPARE(f->sent, QStringList{kAnn + kBob + text});
        QCOMPARE(f->logTexts(), QStringList{entry("Msg to   ", "BOB", text)});
        const HistoryRow row = f->session.history.rows().value(0);
        QCOMPARE(row[HistoryRow::Kind], QStringLiteral("Replied to"));
        QCOMPARE(row[HistoryRow::User], QStringLiteral("Bob"));
        QCOMPARE(row[HistoryRow::MessageHead], QStringLiteral("BOB>"));
        QCOMPARE(row[HistoryRow::MessageMain], QStringLiteral("Patient arrived?"));
        QCOMPARE(row[HistoryRow::Reply], QStringLiteral("Yes, room 2"));
        QCOMPARE(row[HistoryRow::Caption], QStringLiteral("Bob Msg 02:05 pm"));
        QCOMPARE(f->session.statustext, QStringLiteral("Message sent to Bob"));
        QVERIFY(!f->session.popupSlots.isBusy(0));
        QCOMPARE(f->session.popupSlots.state(0).response, QString());
        QCOMPARE(f->sender().txtSendMessage, QString());
        QCOMPARE(hidden.count(), 1);
    }

    // The recall window's target is taken and emptied, so the next reply from a numbered
    // window goes to that window's own sender.
    void recallWindowTargetIsConsumed()
    {
        f->fillWindow(PopupSlots::RecallWindow, QStringLiteral("Bob"), QStringLiteral("BOB> one"));
        f->fillWindow(3, QStringLiteral("Carl"), QStringLiteral("CARL> two"));
        f->session.popupSlots.state(PopupSlots::RecallWindow).temp = QStringLiteral("a");
        f->session.popupSlots.state(3).temp = QStringLiteral("b");

        f->sender().replyFromWindow(PopupSlots::RecallWindow);
        f->sender().replyFromWindow(3);
        QCOMPARE(f->sent, (QStringList{kAnn + kBob + QStringLiteral("BOB> one\r\nANN> a"),
                                       kAnn + kCarl + QStringLiteral("CARL> two\r\nANN> b")}));
        QCOMPARE(f->session.popupSlots.state(PopupSlots::RecallWindow).message,
                 QStringLiteral("BOB> one"));
    }

    void replyToAllFromWindow_data()
    {
        QTest::addColumn<bool>("toAll");
        QTest::addColumn<bool>("replyToAll");
        QTest::addColumn<QString>("recipient");
        QTest::newRow("message to everybody, Reply to All")
            << true << true << QStringLiteral("[ALL]");
        QTest::newRow("message to everybody, to the sender") << true << false << kBob;
        QTest::newRow("message to one, box has no effect") << false << true << kBob;
    }

    void replyToAllFromWindow()
    {
        QFETCH(bool, toAll);
        QFETCH(bool, replyToAll);
        QFETCH(QString, recipient);
        f->fillWindow(1, QStringLiteral("Bob"), QStringLiteral("BOB> (To All) lunch"), toAll);
        f->session.popupSlots.state(1).replyToAll = replyToAll;
        f->session.popupSlots.state(1).temp = QStringLiteral("me too");
        f->sender().replyFromWindow(1);
        QCOMPARE(f->sent, QStringList{kAnn + recipient +
                                      QStringLiteral("BOB> (To All) lunch\r\nANN> me too")});
        QVERIFY(!f->session.popupSlots.state(1).replyToAll);
        QCOMPARE(f->session.popupSlots.state(1).broadcast, QString());
    }

    void replyTargetNotFound()
    {
        f->fillWindow(2, QStringLiteral("Xavier"), QStringLiteral("XAVIER> hello"));
        f->session.popupSlots.state(2).temp = QStringLiteral("hi");
        f->sender().replyFromWindow(2);
        QVERIFY(f->sent.isEmpty());
        QCOMPARE(f->prompter.messages,
                 QStringList{QStringLiteral("User: Xavier could not be found")});
        QCOMPARE(f->prompter.heldDuring, QList<bool>{true});
        QVERIFY(!f->session.transport.boxopen());
        QVERIFY(f->session.log.lstMessages().isEmpty());
        QVERIFY(f->session.history.rows().isEmpty());
        // The window is freed all the same.
        QVERIFY(!f->session.popupSlots.isBusy(2));
    }

    // Without a window target and with "Send to All Users" ticked the reply goes to everybody.
    void replyWithoutTargetToEverybody()
    {
        f->sender().setCheckallusers(true);
        f->sender().txtSendMessage = QStringLiteral("BOB> ?\r\nANN> yes");
        f->sender().cmdSend_Click();
        QCOMPARE(f->sent, QStringList{kAnn + QStringLiteral(
                                                 "[ALL]To All (from ANN):\r\nBOB> ?\r\nANN> yes")});
        QCOMPARE(f->session.statustext, QStringLiteral("Message sent to ALL"));
        QVERIFY(!f->sender().Checkallusers());
    }

    // A 971-character response is cut in the window's box before it goes out.
    void windowResponseIsCut()
    {
        QSignalSpy changed(&f->sender(), &Sender::responseChanged);
        f->fillWindow(0, QStringLiteral("Bob"), QStringLiteral("BOB> ?"));
        f->session.popupSlots.state(0).temp = QString(970, u'r') + QLatin1Char('X');
        f->sender().replyFromWindow(0);
        QCOMPARE(f->session.popupSlots.state(0).temp, QString(970, u'r'));
        QCOMPARE(changed.count(), 1);
        QVERIFY(f->sent.value(0).endsWith(QStringLiteral("\r\nANN> ") + QString(970, u'r')));
    }

    void quickResponse()
    {
        f->fillWindow(0, QStringLiteral("Bob"), QStringLiteral("BOB> ?"));
        QVERIFY(!f->sender().quickResponse(0, QStringLiteral("On my way"), false));
        QCOMPARE(f->session.popupSlots.state(0).temp, QStringLiteral("On my way"));
        QVERIFY(f->sent.isEmpty());
        QVERIFY(f->sender().quickResponse(0, QStringLiteral("Done"), true));
        QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("BOB> ?\r\nANN> Done")});
    }

    // --- Send errors ---

    void sendErrors_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("box"); // empty: no box
        QTest::addColumn<bool>("composeEmptied");
        QTest::addColumn<int>("portResets");
        QTest::newRow("no route") << 10065 << QStringLiteral("No route to host.")
                                  << QStringLiteral("No Network Connection.") << true << 1;
        QTest::newRow("address in use")
            << 10048 << QStringLiteral("Address in use") << QString() << false << 0;
        QTest::newRow("other") << 10040 << QStringLiteral("Datagram too large")
                               << QStringLiteral("Error :Datagram too large\r\nError #10040")
                               << true << 0;
    }

    void sendErrors()
    {
        QFETCH(int, number);
        QFETCH(QString, description);
        QFETCH(QString, box);
        QFETCH(bool, composeEmptied);
        QFETCH(int, portResets);
        QSignalSpy shown(&f->sender(), &Sender::showMainWindow);
        f->session.options.resetports = true;
        // The second of three recipients fails: the third is not tried.
        f->failFrom = 1;
        f->failure.number = number;
        f->failure.description = description;
        f->sender().setUserSelection({0, 1, 2}, 0);
        f->sender().composeChanged(QStringLiteral("hi"));
        f->sender().sendbtn_Click();

        QCOMPARE(f->sent.size(), 1);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(f->prompter.messages, box.isEmpty() ? QStringList() : QStringList{box});
        if (!box.isEmpty()) {
            QCOMPARE(f->prompter.heldDuring, QList<bool>{true});
            QCOMPARE(f->session.statustext, QStringLiteral("Network Error"));
            QCOMPARE(f->logTexts().last(), QStringLiteral("Network Error ") + description);
        } else {
            QCOMPARE(f->session.statustext, QString());
        }
        QVERIFY(!f->session.transport.boxopen());
        QCOMPARE(f->sender().messagetext, composeEmptied ? QString() : QStringLiteral("hi"));
        QCOMPARE(f->portResets, portResets);
    }

    // A failed reply empties its own text but never the compose box, which may hold a draft.
    void replyErrorKeepsTheDraft()
    {
        f->failFrom = 0;
        f->failure.number = 10065;
        f->failure.description = QStringLiteral("No route to host.");
        f->sender().composeChanged(QStringLiteral("draft"));
        f->fillWindow(0, QStringLiteral("Bob"), QStringLiteral("BOB> ?"));
        f->session.popupSlots.state(0).temp = QStringLiteral("yes");
        f->sender().replyFromWindow(0);
        QCOMPARE(f->prompter.messages, QStringList{QStringLiteral("No Network Connection.")});
        QCOMPARE(f->session.statustext, QStringLiteral("Network Error"));
        QCOMPARE(f->sender().messagetext, QStringLiteral("draft"));
        QCOMPARE(f->sender().txtSendMessage, QString());
        QVERIFY(f->session.history.rows().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSender)
#include "test_sender.moc"
