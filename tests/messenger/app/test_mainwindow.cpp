// The main window and the windows it owns, driven as a person would: the compose box's
// length notice, Enter and Ctrl+Enter under both settings, "Send to All Users", the
// quick-send buttons and their function keys, the exit dialog, a forward from a message
// window, the history window's recall, Clear and colours, and the log window's viewer.
// Datagrams are captured by the session's send hook, so no socket is opened.
#include "messenger/app/mainwindow.h"
#include "messenger/app/messenger.h"
#include "messenger/windows/historywindow.h"
#include "messenger/windows/logwindow.h"
#include "messenger/windows/messagewindow.h"
#include "tests/support/textcolour.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace
{
const QString kAnn = QStringLiteral("[PC1\\ANN]");
const QString kBob = QStringLiteral("[PC2\\BOB]");
const QString kCarl = QStringLiteral("[PC3\\CARL]");
const QString kCrLf = QStringLiteral("\r\n");

// Answers questions from a script and records every box with the hold state while open.
class ScriptedPrompter final : public Prompter
{
public:
    Transport *transport = nullptr;
    QList<Answer> answers;
    QStringList texts;
    QStringList titles;
    QList<bool> held;

    void message(const QString &text, const QString &title) override { record(text, title); }
    Answer question(const QString &text, const QString &title, bool) override
    {
        record(text, title);
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }
    bool input(const QString &prompt, const QString &title, const QString &, QString *) override
    {
        record(prompt, title);
        return false;
    }

private:
    void record(const QString &text, const QString &title)
    {
        texts << text;
        titles << title;
        held << (transport && transport->boxopen());
    }
};

struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    QDateTime now{QDate(2024, 3, 7), QTime(14, 5, 9)};
    Messenger session;
    QStringList sent;
    std::unique_ptr<MainWindow> window;

    Fixture() : session(dir.path(), prompter, [this] { return now; })
    {
        prompter.transport = &session.transport;
        session.options.friendlyname = QStringLiteral("ANN");
        session.directory.refreshUser();
        session.directory.userlist = {kBob + QStringLiteral("=BOB"),
                                      kCarl + QStringLiteral("=CARL")};
        session.sendHook = [this](const QString &text, SocketError *) {
            sent << text;
            return true;
        };
        window = std::make_unique<MainWindow>(session);
        session.loadbuttons();
        session.directory.allusers = {QStringLiteral("Bob"), QStringLiteral("Carl")};
        Q_EMIT session.directory.allusersChanged();
        window->show();
    }

    template <class T> T *child(const char *name, QWidget *in = nullptr)
    {
        return (in ? in : window.get())->findChild<T *>(QString::fromLatin1(name));
    }
    QPlainTextEdit *compose() { return child<QPlainTextEdit>("messagetext"); }

    // Clicks a name on the "Users" tab, as a person picks a recipient.
    void clickUser(const QString &name)
    {
        auto *list = child<QListWidget>("allusers");
        const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.first()).center());
    }

    // A message from Bob arrives and is shown.
    MessageWindow *receive(const QString &body, const QString &recipient = kAnn)
    {
        session.transport.enqueue(kBob + recipient + body);
        session.dispatcher.tick();
        for (int i = 0; i < PopupSlots::RecallWindow; ++i)
            if (window->popup(i)->isVisible() && session.popupSlots.state(i).message == body)
                return window->popup(i);
        return nullptr;
    }
};

using TestSupport::colourAt;
} // namespace

class TestMainWindow : public QObject
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

    void controls()
    {
        QVERIFY(f->window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(f->child<QLabel>("title")->text(), QStringLiteral("Vantrell Messenger "));
        auto *tabs = f->child<QTabWidget>("SSTab1");
        QCOMPARE(tabs->tabText(0), QStringLiteral(" Users   "));
        QCOMPARE(tabs->tabText(1), QStringLiteral(" Groups  "));
        QCOMPARE(f->child<QListWidget>("allusers")->toolTip(), QStringLiteral("Select Recipient"));
        for (int i = 1; i <= 12; ++i)
            QVERIFY(f->child<QPushButton>(qPrintable(QStringLiteral("qb%1").arg(i))));
        QCOMPARE(f->child<QPushButton>("qb12")->text(), QStringLiteral("EMERGENCY"));
        QVERIFY(!f->child<QPushButton>("qb8")->isEnabled()); // no caption
        for (int i = 0; i <= PopupSlots::RecallWindow; ++i)
            QCOMPARE(f->window->popup(i)->objectName(), i == PopupSlots::RecallWindow
                                                            ? QStringLiteral("popuplast")
                                                            : QStringLiteral("popup%1").arg(i));
    }

    void composeNotice_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("shown");
        QTest::newRow("970 fits") << QString(970, u'x') << false;
        QTest::newRow("971 is too long") << QString(971, u'x') << true;
        QTest::newRow("969 and a line break is 971")
            << QString(500, u'x') + QLatin1Char('\n') + QString(469, u'x') << true;
        QTest::newRow("empty") << QString() << false;
    }
    void composeNotice()
    {
        QFETCH(QString, typed);
        QFETCH(bool, shown);
        f->compose()->setPlainText(QString(980, u'y')); // shown before, so hiding is checked too
        f->compose()->setPlainText(typed);
        auto *notice = f->child<QLabel>("notice");
        QCOMPARE(notice->isVisible(), shown);
        QCOMPARE(notice->text(), shown ? QStringLiteral("Message length exceeded") : QString());
    }

    // The compose text past 970 characters goes out cut to 970.
    void longMessageIsCutOnSend()
    {
        f->clickUser(QStringLiteral("Bob"));
        f->compose()->setPlainText(QString(970, u'x') + QLatin1Char('Y'));
        QTest::mouseClick(f->child<QPushButton>("sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("ANN> ") + QString(970, u'x')});
        QVERIFY(f->compose()->toPlainText().isEmpty());
        QVERIFY(!f->child<QLabel>("notice")->isVisible());
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
        QTest::newRow("off: Shift+Enter breaks the line") << false << shift << false;
        QTest::newRow("on: Enter sends") << true << none << true;
        QTest::newRow("on: Shift+Enter sends") << true << shift << true;
        QTest::newRow("on: Ctrl+Enter breaks the line") << true << ctrl << false;
    }
    void enterKey()
    {
        QFETCH(bool, entersend);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, sends);
        f->session.options.entersend = entersend;
        f->clickUser(QStringLiteral("Bob"));
        QTest::keyClicks(f->compose(), QStringLiteral("lunch?"));
        QTest::keyClick(f->compose(), Qt::Key_Return, modifiers);
        if (sends) {
            QCOMPARE(f->sent, QStringList{kAnn + kBob + QStringLiteral("ANN> lunch?")});
            QVERIFY(f->compose()->toPlainText().isEmpty());
            QCOMPARE(f->session.statustext, QStringLiteral("Message sent to Bob"));
        } else {
            QVERIFY(f->sent.isEmpty());
            QCOMPARE(f->compose()->toPlainText(), QStringLiteral("lunch?\n"));
            QCOMPARE(f->session.sender.messagetext, QStringLiteral("lunch?") + kCrLf);
        }
    }

    // With no recipient chosen, neither Enter nor a function key sends anything.
    void nothingSendsWithoutRecipient()
    {
        f->session.options.entersend = true;
        QTest::keyClicks(f->compose(), QStringLiteral("hello"));
        QTest::keyClick(f->compose(), Qt::Key_Return);
        QTest::keyClick(f->compose(), Qt::Key_F1);
        QVERIFY(f->sent.isEmpty());
        QCOMPARE(f->compose()->toPlainText(), QStringLiteral("hello\n"));
    }

    // A line break typed in the compose box goes out as CR LF, as the older copies send it.
    void lineBreaksGoOutAsCrLf()
    {
        f->clickUser(QStringLiteral("Carl"));
        QTest::keyClicks(f->compose(), QStringLiteral("one"));
        QTest::keyClick(f->compose(), Qt::Key_Return);
        QTest::keyClicks(f->compose(), QStringLiteral("two"));
        QTest::keyClick(f->compose(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(f->sent, QStringList{kAnn + kCarl + QStringLiteral("ANN> one") + kCrLf +
                                      QStringLiteral("two")});
    }

    void sendToSeveralUsers()
    {
        f->clickUser(QStringLiteral("Bob"));
        f->clickUser(QStringLiteral("Carl"));
        f->compose()->setPlainText(QStringLiteral("meeting"));
        QTest::mouseClick(f->child<QPushButton>("sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent, (QStringList{kAnn + kBob + QStringLiteral("ANN> meeting"),
                                       kAnn + kCarl + QStringLiteral("ANN> meeting")}));
        QCOMPARE(f->child<QLabel>("statustext")->text(),
                 QStringLiteral("Message sent to Bob, Carl"));
    }

    void sendToAllDisablesTheList()
    {
        auto *all = f->child<QCheckBox>("Checkallusers");
        auto *users = f->child<QListWidget>("allusers");
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(6, all->height() / 2));
        QVERIFY(all->isChecked());
        QVERIFY(!users->isEnabled());
        f->compose()->setPlainText(QStringLiteral("hi all"));
        QTest::mouseClick(f->child<QPushButton>("sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent, QStringList{kAnn + QStringLiteral("[ALL]ANN> (To All) hi all")});
        QVERIFY(!all->isChecked());
        QVERIFY(users->isEnabled());
    }

    // The red EMERGENCY button goes to everybody in one press; a green one sends to the
    // chosen user, through its function key as well.
    void quickSend_data()
    {
        QTest::addColumn<bool>("functionKey");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("datagram");
        QTest::newRow("EMERGENCY clicked")
            << false << 12 << kAnn + QStringLiteral("[ALL]ANN> (To All) CALL 9-1-1");
        QTest::newRow("F12 is EMERGENCY")
            << true << 12 << kAnn + QStringLiteral("[ALL]ANN> (To All) CALL 9-1-1");
        QTest::newRow("Patient arrived? clicked")
            << false << 1 << kAnn + kBob + QStringLiteral("ANN> Has my next patient arrived?");
        QTest::newRow("F1 is Patient arrived?")
            << true << 1 << kAnn + kBob + QStringLiteral("ANN> Has my next patient arrived?");
    }
    void quickSend()
    {
        QFETCH(bool, functionKey);
        QFETCH(int, button);
        QFETCH(QString, datagram);
        f->clickUser(QStringLiteral("Bob"));
        f->compose()->setPlainText(QStringLiteral("draft"));
        if (functionKey)
            QTest::keyClick(f->compose(), Qt::Key(Qt::Key_F1 + button - 1));
        else
            QTest::mouseClick(f->child<QPushButton>(qPrintable(QStringLiteral("qb%1").arg(button))),
                              Qt::LeftButton);
        QCOMPARE(f->sent, QStringList{datagram});
        QVERIFY(f->compose()->toPlainText().isEmpty());
        QVERIFY(!f->child<QCheckBox>("Checkallusers")->isChecked());
    }

    void exitDialog_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("quits");
        QTest::newRow("Yes minimises to the tray") << int(Prompter::Answer::Yes) << false << false;
        QTest::newRow("No ends the program") << int(Prompter::Answer::No) << true << true;
        QTest::newRow("Cancel does nothing") << int(Prompter::Answer::Cancel) << true << false;
    }
    void exitDialog()
    {
        QFETCH(int, answer);
        QFETCH(bool, visible);
        QFETCH(bool, quits);
        QSignalSpy quit(&f->session, &Messenger::quitRequested);
        f->prompter.answers = {Prompter::Answer(answer)};
        QTest::mouseClick(f->child<QPushButton>("LumoButton3"), Qt::LeftButton);
        QCOMPARE(f->prompter.texts,
                 QStringList{QStringLiteral(
                     "Do you want Vantrell Messenger to continue running in the background?\r\n"
                     "\r\n  Yes - Minimize to Tray (run in background)\r\n   No - Terminate")});
        QCOMPARE(f->prompter.titles, QStringList{QStringLiteral("Exit Vantrell Messenger")});
        QCOMPARE(f->prompter.held, QList<bool>{true});
        QCOMPARE(f->window->isVisible(), visible);
        QCOMPARE(quit.size(), quits ? 1 : 0);
        QCOMPARE(f->session.minimized, answer == int(Prompter::Answer::Yes) ? QStringLiteral("yes")
                                                                            : QStringLiteral("no"));
        // Only "No" signs off.
        QCOMPARE(f->sent.size(), quits ? 1 : 0);
        if (quits)
            QCOMPARE(f->sent.first(), QStringLiteral("-**") + kAnn + QStringLiteral("=ANN"));
    }

    // Forward puts the conversation into the compose box and locks the quick-send buttons
    // until the forward is sent or cleared.
    void forwardFromMessageWindow()
    {
        MessageWindow *popup = f->receive(QStringLiteral("BOB> the lab called"));
        QVERIFY(popup);
        f->window->hide();
        QTest::mouseClick(f->child<QPushButton>("fwd", popup), Qt::LeftButton);
        QVERIFY(!popup->isVisible());
        QVERIFY(f->window->isVisible());
        QCOMPARE(
            f->compose()->toPlainText(),
            QStringLiteral(
                "Begin forwarded message:\nBOB> the lab called\nANN> I'm forwarding this to you."));
        QVERIFY(!f->child<QPushButton>("qb1")->isEnabled());
        QTest::mouseClick(f->child<QPushButton>("clearbtn"), Qt::LeftButton);
        QVERIFY(f->compose()->toPlainText().isEmpty());
        QVERIFY(f->child<QPushButton>("qb1")->isEnabled());
        QVERIFY(!f->child<QPushButton>("qb8")->isEnabled()); // still no caption
    }

    // "Close P.ups" is enabled once a window is open and closes them all.
    void dismissAll()
    {
        auto *button = f->child<QPushButton>("dissmissall");
        QVERIFY(!button->isEnabled());
        MessageWindow *popup = f->receive(QStringLiteral("BOB> hi"));
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!popup->isVisible());
        QCOMPARE(f->session.popupSlots.pucount(), QStringLiteral("10"));
    }

    // A sent message double-clicked in the history comes back into the compose box with
    // the same recipient selected; a received one comes back in the recall window.
    void historyDoubleClick()
    {
        f->clickUser(QStringLiteral("Carl"));
        f->compose()->setPlainText(QStringLiteral("call me"));
        QTest::mouseClick(f->child<QPushButton>("sendbtn"), Qt::LeftButton);
        f->clickUser(QStringLiteral("Carl")); // deselect
        f->receive(QStringLiteral("BOB> lunch?"));

        HistoryWindow *history = f->window->historyWindow();
        history->show();
        auto *list = f->child<QTreeWidget>("ListView1", history);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("To"));

        // A person's double click: a click, then the double-click event.
        auto doubleClick = [list](int row) {
            const QRect rect = list->visualItemRect(list->topLevelItem(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        };
        doubleClick(0);
        QCOMPARE(f->compose()->toPlainText(), QStringLiteral("call me"));
        const QList<QListWidgetItem *> selected =
            f->child<QListWidget>("allusers")->selectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first()->text(), QStringLiteral("Carl"));

        doubleClick(1);
        MessageWindow *recall = f->window->popup(PopupSlots::RecallWindow);
        QVERIFY(recall->isVisible());
        QCOMPARE(f->child<QTextEdit>("message", recall)->toPlainText(),
                 QStringLiteral("BOB> lunch?"));
        QVERIFY(!f->child<QLabel>("beensent", recall)->isVisible());
        recall->hide();
        QTest::mouseClick(f->child<QPushButton>("LumoButton5"), Qt::LeftButton); // "Last Rec"
        QVERIFY(recall->isVisible());
    }

    // A message sent to a group comes back from the history with that group chosen again.
    void historyRecallsTheGroup()
    {
        f->session.groups.group[1] = {QStringLiteral("Bob")};
        f->session.groups.group[2] = {QStringLiteral("Carl")};
        f->session.groups.mainList = {
            QStringLiteral("Front desk") + QString(30, u' ') + QStringLiteral("1"),
            QStringLiteral("Lab") + QString(30, u' ') + QStringLiteral("2")};
        Q_EMIT f->session.groups.mainListChanged();
        auto *tabs = f->child<QTabWidget>("SSTab1");
        auto *groups = f->child<QListWidget>("List1");
        tabs->setCurrentIndex(1);
        QCOMPARE(groups->item(1)->text(), QStringLiteral("Lab"));
        QTest::mouseClick(groups->viewport(), Qt::LeftButton, {},
                          groups->visualItemRect(groups->item(1)).center());
        f->compose()->setPlainText(QStringLiteral("samples ready"));
        QTest::mouseClick(f->child<QPushButton>("sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent, QStringList{kAnn + kCarl + QStringLiteral("ANN> samples ready")});

        // Another group and the other tab are chosen before the recall.
        QTest::mouseClick(groups->viewport(), Qt::LeftButton, {},
                          groups->visualItemRect(groups->item(0)).center());
        QCOMPARE(f->session.sender.currentGroup(), 0);
        tabs->setCurrentIndex(0);
        HistoryWindow *history = f->window->historyWindow();
        history->show();
        auto *list = f->child<QTreeWidget>("ListView1", history);
        const QRect rect = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(groups->currentRow(), 1);
        QCOMPARE(f->compose()->toPlainText(), QStringLiteral("samples ready"));
        QTest::mouseClick(f->child<QPushButton>("sendbtn"), Qt::LeftButton);
        QCOMPARE(f->sent.size(), 2);
        QCOMPARE(f->sent.last(), kAnn + kCarl + QStringLiteral("ANN> samples ready"));
    }

    // The history's conversation area colours a reply over several lines without the
    // CR LF line ends shifting the colours.
    void historyColours()
    {
        f->session.history.addRow(History::repliedRow(f->now, QStringLiteral("Bob"),
                                                      QStringLiteral("BOB> lunch?") + kCrLf +
                                                          QStringLiteral("ANN> where?") + kCrLf +
                                                          QStringLiteral("BOB> cafe"),
                                                      QStringLiteral("ok")));
        f->session.history.selectit();
        auto *message = f->child<QTextEdit>("message", f->window->historyWindow());
        const QString shown = message->toPlainText();
        QCOMPARE(shown, QStringLiteral("BOB> lunch?\nANN> where?\nBOB> cafe\nANN> ok"));
        const int own = int(shown.indexOf(QStringLiteral("ANN> where")));
        const int third = int(shown.indexOf(QStringLiteral("BOB> cafe")));
        const int reply = int(shown.indexOf(QStringLiteral("ANN> ok")));
        QCOMPARE(colourAt(message, own - 2), QColor(255, 0, 0));
        QCOMPARE(colourAt(message, own), QColor(0, 0, 0));
        QCOMPARE(colourAt(message, third - 2), QColor(0, 0, 0));
        QCOMPARE(colourAt(message, third), QColor(255, 0, 0));
        // The own reply has no later mention of Bob: black to the end.
        QCOMPARE(colourAt(message, reply), QColor(0, 0, 0));
        QCOMPARE(colourAt(message, int(shown.size()) - 1), QColor(0, 0, 0));
    }

    void historyClearAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("No keeps the rows") << int(Prompter::Answer::No) << 1;
        QTest::newRow("Yes clears them") << int(Prompter::Answer::Yes) << 0;
    }
    void historyClearAsks()
    {
        QFETCH(int, answer);
        QFETCH(int, rowsLeft);
        f->receive(QStringLiteral("BOB> hi"));
        f->prompter.answers = {Prompter::Answer(answer)};
        HistoryWindow *history = f->window->historyWindow();
        history->clear_Click();
        QCOMPARE(f->prompter.texts, QStringList{QStringLiteral("Are you sure?")});
        QCOMPARE(f->prompter.titles, QStringList{QStringLiteral("Clear History")});
        QCOMPARE(f->prompter.held, QList<bool>{true});
        QCOMPARE(f->session.history.rows().size(), rowsLeft);
        QCOMPARE(f->child<QTreeWidget>("ListView1", history)->topLevelItemCount(), rowsLeft);
        QCOMPARE(f->child<QTextEdit>("message", history)->toPlainText().isEmpty(), rowsLeft == 0);
    }

    void historyListColumns()
    {
        auto *list = f->child<QTreeWidget>("ListView1", f->window->historyWindow());
        QCOMPARE(f->window->historyWindow()->windowTitle(),
                 QStringLiteral("Vantrell Messenger History"));
        QCOMPARE(list->toolTip(), QStringLiteral("Dbl click to Recall"));
        QList<int> visible;
        for (int c = 0; c < list->columnCount(); ++c)
            if (!list->isColumnHidden(c))
                visible << c;
        QCOMPARE(visible, (QList<int>{1, 2, 3, 5}));
    }

    // The viewer takes an entry apart; the list shows each entry on one line.
    void logWindow()
    {
        f->session.log.addNetworkRestored();
        f->session.log.addMessage(ActivityLog::MessageKind::To, QStringLiteral("BOB"),
                                  QStringLiteral("hi"));
        LogWindow *log = f->window->logWindow();
        QCOMPARE(log->windowTitle(), QStringLiteral("Vantrell Messenger Log"));
        auto *list = f->child<QListWidget>("lstMessages", log);
        QCOMPARE(list->count(), 2);
        QVERIFY(list->font().fixedPitch() || QFontInfo(list->font()).fixedPitch());
        QVERIFY(!list->item(1)->text().contains(QLatin1Char('\n')));
        list->setCurrentRow(0);
        const QString entry = f->session.log.lstMessages().at(0);
        QCOMPARE(f->child<QTextEdit>("Text1", log)->toPlainText(),
                 QString(entry.left(15) + QStringLiteral("\nNetwork Connection Restored\n")));
    }

    void logListTabStops_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tab to the next stop")
            << QStringLiteral("ab\tc")
            << QStringLiteral("ab") + QString(17, u' ') + QStringLiteral("c");
        QTest::newRow("tab right at a stop")
            << QString(19, u'x') + QStringLiteral("\tc")
            << QString(19, u'x') + QString(19, u' ') + QStringLiteral("c");
        QTest::newRow("CR LF is one gap")
            << QStringLiteral("a\r\nb\nc") << QStringLiteral("a  b  c");
    }
    void logListTabStops()
    {
        QFETCH(QString, entry);
        QFETCH(QString, shown);
        QCOMPARE(LogWindow::listText(entry), shown);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
