#pragma once
// Composing, sending and replying: the main window's compose box and recipient choice, the
// main send routine (`sendbtn_Click`), the reply routine (`cmdSend_Click`) and the message
// windows' Send, Forward and quick responses that feed them. The views observe the signals.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class Messenger;
struct SocketError;

class Sender final : public QObject
{
    Q_OBJECT
public:
    // The recipient tabs (`SSTab1`).
    enum Tab { UsersTab = 0, GroupsTab = 1 };

    explicit Sender(Messenger &session, QObject *parent = nullptr);

    // --- Compose state (texts use CR LF line breaks, as on the wire) ---
    QString messagetext;          // the compose box
    int messlen = 970;            // its length limit
    QString notice;               // the notice label; empty while hidden
    bool fwd = false;             // a forward prepared by a message window is being composed
    QString fwdCaption;           // the forwarded message's first sender, upper case
    QString recalltext;           // the last composed text
    int recalltab = 0;            // the recipient tab at the last Send
    int recallindex = -1;         // the chosen user's or group's position at the last Send
    QString txtSendMessage;       // the reply text prepared by a message window
    QString temprec;              // the conversation that reply answers (for the history)
    QString tempreply;            // the typed response of that reply (for the history)
    bool quickSendEnabled = true; // false while a forward is composed

    // --- Recipient choice ---
    int tab() const { return tab_; }
    void setTab(int tab) { tab_ = tab; }
    bool Checkallusers() const { return checkallusers_; }
    // "Send to All Users": while ticked the user list is disabled.
    void setCheckallusers(bool ticked);
    // A click on the user list: the selected rows and the current row of `allusers`.
    void setUserSelection(const QList<int> &rows, int currentRow);
    // The user list's current row, or -1 (also after the list was emptied).
    int currentUserRow() const;
    QString currentUser() const { return currentUser_; }

    // The group list (`List1`): entries "name" + 30 blanks + the group's digit, set by
    // whoever owns the groups, with the member names of a group number.
    QStringList groupList;
    std::function<QStringList(int groupNumber)> groupMembers;
    // A click on the group list; -1 for none.
    void chooseGroup(int row);
    int currentGroup() const { return currentGroup_; }

    // --- Compose box ---
    // The person changed the compose box: switches automatic response off when on, shows
    // or hides the length notice. Lone LF line breaks are stored as CR LF.
    void composeChanged(const QString &text);
    // The program puts a text into the compose box (quick-send, forward, emptying); the same
    // rules as a change, and the view is told.
    void setMessagetext(const QString &text);
    // Enter was pressed in the compose box. True when it sent: the view then must not insert
    // the line break. Never sends while no recipient is chosen.
    bool enterPressed(Qt::KeyboardModifiers modifiers);
    // The Enter rule of both text boxes: with "Press ENTER to Send" on, everything but
    // exactly Ctrl sends; with it off, exactly Ctrl sends. Keypad and Meta do not count.
    static bool enterSends(bool entersend, Qt::KeyboardModifiers modifiers);

    // --- Routines ---
    // "Send": the compose text to the chosen users, everybody or a group.
    void sendbtn_Click();
    // The reply routine: `txtSendMessage` to the first pending window reply target, or to the
    // main window's choice when no window has one.
    void cmdSend_Click();
    // "Clear": ends a forward and empties the compose box.
    void clear();

    // --- Message windows (index 0..9, or the recall window 10) ---
    // Send: builds the reply from the window's conversation and response, sends it, then frees
    // the slot (a numbered window) and asks the view to hide the window.
    void replyFromWindow(int index);
    // Forward: the conversation goes into the compose box as a forward of its first sender.
    void forwardFromWindow(int index);
    // A quick response: fills the response box; sends at once when `sendImmediately`.
    // True when it sent (the window is then hidden).
    bool quickResponse(int index, const QString &text, bool sendImmediately);

Q_SIGNALS:
    void composeTextChanged(const QString &text);
    // The notice label's text; hidden when empty.
    void noticeChanged(const QString &text);
    void focusCompose();
    // Quick-send buttons 1..12 with a caption are enabled when true, all disabled when false.
    void quickSendEnabledChanged(bool enabled);
    // "Send to All Users" ticked or not (the user list is enabled when it is not).
    void checkallusersChanged(bool ticked);
    // The main window's "History" button is made visible and enabled.
    void showHistoryButton();
    // The main window is shown in its normal state (a send error, a forward).
    void showMainWindow();
    // A message window hides (after Send or Forward).
    void hideWindow(int index);
    // The program changed a window's response box (a cut or a quick response).
    void responseChanged(int index);

private:
    enum class Routine { Send, Reply };

    // The compose-change rules: automatic response off, the length notice.
    void applyComposeRules();
    // Runs the datagram through the session; on failure handles the error and returns false.
    bool transmit(const QString &datagram, Routine routine);
    void handleSendError(const SocketError &error, Routine routine);
    void resetPortsIfOn();
    void endForward();
    void sendToGroup();
    void sendToEverybody();
    void sendToUsers();
    bool replyToGroup();
    void addSentRow(const QString &user, const QString &text);
    void addRepliedRow(const QString &target);
    QString groupName(int row) const;
    int groupNumber(int row) const;
    void pruneSelection();

    Messenger &session_;
    int tab_ = UsersTab;
    bool checkallusers_ = false;
    QStringList selectedUsers_; // the selected `allusers` entries
    QString currentUser_;       // the user list's current entry
    int currentGroup_ = -1;
};
