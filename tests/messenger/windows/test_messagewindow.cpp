// The message window as a person uses it: the response box's 970-character rules, Enter and
// Ctrl+Enter under both settings, the room/cut rule of a reply sent from the window, text
// that looks like markup shown as it is, the speaker colours, the quick responses, Close and
// the recall window. Messages arrive through the real dispatcher; datagrams are captured by
// the session's send hook, so no socket is opened.
#include "messenger/app/messenger.h"
#include "messenger/windows/history.h"
#include "messenger/windows/messagewindow.h"
#include "tests/support/textcolour.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace
{
const QString kAnn = QStringLiteral("[PC1\\ANN]");
const QString kBob = QStringLiteral("[PC2\\BOB]");
const QString kCrLf = QStringLiteral("\r\n");
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

struct Fixture {
    QTemporaryDir dir;
    SilentPrompter prompter;
    Messenger session;
    QStringList sent;
    std::unique_ptr<MessageWindow> windows[PopupSlots::RecallWindow + 1];

    Fixture() : session(dir.path(), prompter)
    {
        session.options.friendlyname = QStringLiteral("ANN");
        session.directory.refreshUser();
        session.directory.userlist = {kBob + QStringLiteral("=BOB")};
        session.directory.allusers = {QStringLiteral("Bob")};
        session.sendHook = [this](const QString &text, SocketError *) {
            sent << text;
            return true;
        };
        session.loadbuttons();
        for (int i = 0; i <= PopupSlots::RecallWindow; ++i)
            windows[i] = std::make_unique<MessageWindow>(session, i);
    }

    // A message from Bob arrives and is shown; returns the window it went into.
    MessageWindow *receive(const QString &body, const QString &recipient = kAnn)
    {
        session.transport.enqueue(kBob + recipient + body);
        session.dispatcher.tick();
        for (auto &window : windows)
            if (window->isVisible() && session.popupSlots.state(window->index()).message == body)
                return window.get();
        return nullptr;
    }

    template <class T> static T *child(QWidget *window, const char *name)
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
};

using TestSupport::colourAt;
} // namespace

class TestMessageWindow : public QObject
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

    // The response label and the Send button follow the typed length; a line break counts
    // two characters, as it does on the wire.
    void responseRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("sendEnabled");
        QTest::newRow("empty") << QString() << QStringLiteral("Response") << false;
        QTest::newRow("970 fits") << QString(970, u'r') << QStringLiteral("Response") << true;
        QTest::newRow("971 is too long")
            << QString(971, u'r') << QStringLiteral("Message length exceeded") << true;
        QTest::newRow("969 and a line break is 971")
            << QString(484, u'r') + QLatin1Char('\n') + QString(485, u'r')
            << QStringLiteral("Message length exceeded") << true;
    }
    void responseRules()
    {
        QFETCH(QString, typed);
        QFETCH(QString, label);
        QFETCH(bool, sendEnabled);
        MessageWindow *window = f->receive(QStringLiteral("BOB> lunch?"));
        QVERIFY(window);
        auto *temp = Fixture::child<QPlainTextEdit>(window, "temp");
        temp->setPlainText(QStringLiteral("x")); // a change back to empty must disable Send too
        temp->setPlainText(typed);
        QCOMPARE(Fixture::child<QLabel>(window, "Label1")->text(), label);
        QCOMPARE(Fixture::child<QPushButton>(window, "sendbtn")->isEnabled(), sendEnabled);
    }

    // A 971-character response leaves the window as 970 characters.
    void tooLongResponseIsCutOnSend()
    {
        MessageWindow *window = f->receive(QStringLiteral("BOB> hi"));
        Fixture::child<QPlainTextEdit>(window, "temp")
            ->setPlainText(QString(970, u'r') + QLatin1Char('X'));
        QTest::mouseClick(Fixture::child<QPushButton>(window, "sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent.size(), 1);
        QVERIFY(f->sent.first().endsWith(kCrLf + QStringLiteral("ANN> ") + QString(970, u'r')));
    }

    void enterKey_data()
    {
        QTest::addColumn<bool>("entersend");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("sends");
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        QTest::newRow("off: Enter breaks the line") << false << none << false;
        QTest::newRow("off: Ctrl+Enter sends") << false << ctrl << true;
        QTest::newRow("off: Ctrl+Shift+Enter breaks the line") << false << (ctrl | shift) << false;
        QTest::newRow("on: Enter sends") << true << none << true;
        QTest::newRow("on: Shift+Enter sends") << true << shift << true;
        QTest::newRow("on: Ctrl+Shift+Enter sends") << true << (ctrl | shift) << true;
        QTest::newRow("on: Ctrl+Enter breaks the line") << true << ctrl << false;
    }
    void enterKey()
    {
        QFETCH(bool, entersend);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, sends);
        f->session.options.entersend = entersend;
        MessageWindow *window = f->receive(QStringLiteral("BOB> lunch?"));
        auto *temp = Fixture::child<QPlainTextEdit>(window, "temp");
        QTest::keyClicks(temp, QStringLiteral("yes"));
        QTest::keyClick(temp, Qt::Key_Return, modifiers);
        if (sends) {
            // The line break is not part of what was sent.
            QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("BOB> lunch?") + kCrLf +
                                          QStringLiteral("ANN> yes")});
            QVERIFY(!window->isVisible());
        } else {
            QVERIFY(f->sent.isEmpty());
            QCOMPARE(temp->toPlainText(), QStringLiteral("yes\n"));
            QCOMPARE(f->session.popupSlots.state(window->index()).temp,
                     QStringLiteral("yes") + kCrLf);
            QVERIFY(window->isVisible());
        }
    }

    // Enter on an empty response sends nothing, even where Enter sends.
    void enterOnEmptyResponseSendsNothing()
    {
        f->session.options.entersend = true;
        MessageWindow *window = f->receive(QStringLiteral("BOB> lunch?"));
        QTest::keyClick(Fixture::child<QPlainTextEdit>(window, "temp"), Qt::Key_Return);
        QVERIFY(f->sent.isEmpty());
        QVERIFY(window->isVisible());
    }

    // 900 characters of conversation answered with 100: room = 970 - (3 + 3 + 100 + 9) = 855,
    // so the quote is cut to "ANN/Bob> ... " and the last 855 characters. The window then
    // frees its slot and hides.
    void roomCutThroughTheWindow()
    {
        QString conversation = QStringLiteral("BOB> ");
        for (int i = 0; conversation.size() < 900; ++i)
            conversation += QChar(u'a' + i % 26);
        MessageWindow *window = f->receive(conversation);
        QVERIFY(window);
        const int slot = window->index();
        Fixture::child<QPlainTextEdit>(window, "temp")->setPlainText(QString(100, u'r'));
        QTest::mouseClick(Fixture::child<QPushButton>(window, "sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent.size(), 1);
        QCOMPARE(f->sent.first(), kAnn + kBob + QStringLiteral("ANN/Bob> ... ") +
                                      conversation.right(855) + kCrLf + QStringLiteral("ANN> ") +
                                      QString(100, u'r'));
        QVERIFY(!window->isVisible());
        QVERIFY(!f->session.popupSlots.isBusy(slot));
        QVERIFY(Fixture::child<QTextEdit>(window, "message")->toPlainText().isEmpty());
    }

    // Received text is never read as markup.
    void markupShownAsText_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("bold") << QStringLiteral("BOB> <b>x</b>");
        QTest::newRow("entity and image") << QStringLiteral("BOB> &amp; <img src=\"x.png\"> &lt;");
        QTest::newRow("whole document")
            << QStringLiteral("<html><body><h1>BOB> hi</h1></body></html>");
    }
    void markupShownAsText()
    {
        QFETCH(QString, body);
        MessageWindow *window = f->receive(body);
        QVERIFY(window);
        auto *message = Fixture::child<QTextEdit>(window, "message");
        QCOMPARE(message->toPlainText(), body);
        QTextCursor cursor(message->document());
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        QVERIFY(!cursor.charFormat().font().bold());
        QVERIFY(!message->toHtml().contains(QStringLiteral("<b>x</b>")));
    }

    // Three lines: Bob's lines red, the own line black up to where Bob speaks again. The
    // CR LF line ends must not shift the colours.
    void threeLineConversationColours()
    {
        const QString body = QStringLiteral("BOB> lunch?") + kCrLf + QStringLiteral("ANN> where?") +
                             kCrLf + QStringLiteral("BOB> cafe");
        MessageWindow *window = f->receive(body);
        auto *message = Fixture::child<QTextEdit>(window, "message");
        const QString shown = message->toPlainText();
        QCOMPARE(shown, QStringLiteral("BOB> lunch?\nANN> where?\nBOB> cafe"));
        const int own = int(shown.indexOf(QStringLiteral("ANN>")));
        const int third = int(shown.lastIndexOf(QStringLiteral("BOB>")));
        QCOMPARE(colourAt(message, 0), kRed);
        QCOMPARE(colourAt(message, own - 2), kRed);     // "?" ending line 1
        QCOMPARE(colourAt(message, own), kBlack);       // "A" of ANN
        QCOMPARE(colourAt(message, third - 2), kBlack); // "?" ending line 2
        QCOMPARE(colourAt(message, third), kRed);       // "B" of the third line
        QCOMPARE(colourAt(message, int(shown.size()) - 1), kRed);
    }

    // An own name that Bob never answers stays red, as the colouring rule has it.
    void ownLineWithoutAnswerStaysRed()
    {
        MessageWindow *window =
            f->receive(QStringLiteral("BOB> hi") + kCrLf + QStringLiteral("ANN> bye"));
        auto *message = Fixture::child<QTextEdit>(window, "message");
        QCOMPARE(colourAt(message, int(message->toPlainText().indexOf(QStringLiteral("ANN")))),
                 kRed);
    }

    void quickResponses()
    {
        MessageWindow *window = f->receive(QStringLiteral("BOB> lunch?"));
        auto *qb13 = Fixture::child<QPushButton>(window, "qb13");
        auto *qb23 = Fixture::child<QPushButton>(window, "qb23");
        QCOMPARE(qb13->text(), QStringLiteral("Take Message"));
        QCOMPARE(qb13->toolTip(), QStringLiteral("Please take a message"));
        QVERIFY(!qb23->isEnabled()); // an empty slot

        // A fill-only response only fills the box.
        ButtonSet::Slot slot = f->session.buttons.slot(14);
        slot.sendImmediately = false;
        f->session.buttons.setSlot(14, slot);
        QTest::mouseClick(Fixture::child<QPushButton>(window, "qb14"), Qt::LeftButton);
        QCOMPARE(Fixture::child<QPlainTextEdit>(window, "temp")->toPlainText(), slot.message);
        QVERIFY(f->sent.isEmpty());
        QVERIFY(window->isVisible());

        // A send-immediately response replaces it and goes at once.
        QTest::mouseClick(qb13, Qt::LeftButton);
        QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("BOB> lunch?") + kCrLf +
                                      QStringLiteral("ANN> Please take a message")});
        QVERIFY(!window->isVisible());
    }

    void replyToAllOnlyForBroadcasts()
    {
        f->session.options.replytoall = true;
        MessageWindow *direct = f->receive(QStringLiteral("BOB> to you"));
        QVERIFY(!Fixture::child<QCheckBox>(direct, "replyall")->isVisible());
        MessageWindow *all = f->receive(QStringLiteral("BOB> to all"), QStringLiteral("[ALL]"));
        QVERIFY(all != direct);
        QVERIFY(Fixture::child<QCheckBox>(all, "replyall")->isVisible());
        QVERIFY(Fixture::child<QCheckBox>(all, "replyall")->isChecked());
        QCOMPARE(Fixture::child<QLabel>(all, "broadcast")->text(), QStringLiteral("(Sent to ALL)"));
        Fixture::child<QPlainTextEdit>(all, "temp")->setPlainText(QStringLiteral("ok"));
        QTest::mouseClick(Fixture::child<QPushButton>(all, "sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent.size(), 1);
        QVERIFY(f->sent.first().startsWith(kAnn + QStringLiteral("[ALL]")));
    }

    void closeFreesTheSlot()
    {
        MessageWindow *window = f->receive(QStringLiteral("BOB> hi"));
        const int slot = window->index();
        QTest::mouseClick(Fixture::child<QPushButton>(window, "closebtn"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QVERIFY(!f->session.popupSlots.isBusy(slot));
        QVERIFY(f->session.popupSlots.state(slot).message.isEmpty());
        QCOMPARE(f->session.popupSlots.pucount(), QStringLiteral("10"));
        QVERIFY(f->sent.isEmpty());
    }

    // The recall window is filled from a history row; Close only hides it, so it can be
    // shown again, and its Send keeps the conversation.
    void recallWindow()
    {
        MessageWindow *recall = f->windows[PopupSlots::RecallWindow].get();
        QCOMPARE(recall->objectName(), QStringLiteral("popuplast"));
        const HistoryRow row =
            History::repliedRow(QDateTime(QDate(2024, 3, 7), QTime(9, 15)), QStringLiteral("Bob"),
                                QStringLiteral("BOB> lunch?"), QStringLiteral("yes"));
        QVERIFY(!recall->showAgain()); // nothing recalled yet
        recall->recall(row, true);
        QVERIFY(recall->isVisible());
        QVERIFY(Fixture::child<QLabel>(recall, "beensent")->isVisible());
        QCOMPARE(Fixture::child<QTextEdit>(recall, "message")->toPlainText(),
                 QStringLiteral("BOB> lunch?"));
        QCOMPARE(Fixture::child<QPlainTextEdit>(recall, "temp")->toPlainText(),
                 QStringLiteral("yes"));

        QTest::mouseClick(Fixture::child<QPushButton>(recall, "closebtn"), Qt::LeftButton);
        QVERIFY(!recall->isVisible());
        QVERIFY(recall->showAgain());

        QTest::mouseClick(Fixture::child<QPushButton>(recall, "sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("BOB> lunch?") + kCrLf +
                                      QStringLiteral("ANN> yes")});
        QVERIFY(!recall->isVisible());
        QVERIFY(recall->showAgain());
        QCOMPARE(f->session.popupSlots.pucount(), QStringLiteral("10"));
    }

    // Dismiss all hides every window, the recall window too.
    void dismissAllHidesEveryWindow()
    {
        MessageWindow *one = f->receive(QStringLiteral("BOB> one"));
        MessageWindow *two = f->receive(QStringLiteral("BOB> two"));
        QVERIFY(one && two && one != two);
        f->session.popupSlots.dismissAll();
        for (auto &window : f->windows)
            QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestMessageWindow)
#include "test_messagewindow.moc"
