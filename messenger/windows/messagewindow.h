#pragma once
// One incoming message window: `popup0` .. `popup9` for the ten slots and `popuplast`, the
// recall window the history fills. A view over the window's PopupState; Send, Forward and
// the quick responses are the Sender's, Save / Print is SavedMessage's.
#include <QWidget>

class Messenger;
struct HistoryRow;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

class MessageWindow final : public QWidget
{
    Q_OBJECT
public:
    // `index` 0..9 is a slot window, PopupSlots::RecallWindow the recall window.
    MessageWindow(Messenger &session, int index, QWidget *parent = nullptr);

    int index() const { return index_; }
    bool isRecall() const;

    // Shows what the dispatcher put into the window's state, coloured, and shows the window.
    void showMessage();
    // The recall window only: fills it from a history row (`beensent` for the user's own
    // replies) and shows it when the conversation is not empty.
    void recall(const HistoryRow &row, bool beensent);
    // Shows the recall window again when it holds a conversation ("Last Rec").
    bool showAgain();

    // The colouring of the conversation: the own lines black, everything else red.
    void Label1_Click();
    // Stacking: kept above other windows, or placed at the bottom and no longer on top.
    void ontop_Click();
    void ontopoff_Click();

    // The window's actions.
    void sendbtn_Click();
    void fwd_Click();
    void closebtn_Click();
    void printbtn_Click();

    // The quick responses 13..24 take captions, colours and tooltips from the button set.
    void applyButtons();
    // MESSAGEFONTSIZE for the conversation and the response box.
    void setMessageFontSize(int points);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Copies the state into the controls.
    void refresh();
    void responseEdited();
    void updateResponseRules();
    void quickResponse(int button);
    void setStaysOnTop(bool on);

    Messenger &session_;
    int index_;
    QLabel *messagefrom_;
    QTextEdit *message_;
    QLabel *label1_;
    QCheckBox *replyAll_;
    QPlainTextEdit *temp_;
    QPushButton *send_;
    QPushButton *forward_;
    QPushButton *print_;
    QPushButton *close_;
    QLabel *broadcast_;
    QLabel *beensent_;
    QPushButton *qb_[12];
    bool settingTemp_ = false;
};
