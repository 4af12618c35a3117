#pragma once
// The history window `historyfrm`: the last 100 message events in the list `ListView1`,
// the selected one's conversation coloured by speaker, and the window's options. A view
// over History; recalling a row is left to whoever owns the recall window and the compose
// box (the main window), through the signals.
#include <QWidget>

class Messenger;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

class HistoryWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit HistoryWindow(Messenger &session, QWidget *parent = nullptr);

    // The show/hide button's caption: "Show Main" or "Hide Main".
    void setShowMainCaption(bool mainShown);
    QString showMainCaption() const;
    // The away indicator `autores`, shown while automatic response is on.
    void setAwayIndicator(bool shown);
    // MESSAGEFONTSIZE for the conversation area; the row display is refreshed.
    void setMessageFontSize(int points);

    // Places the window against `mainFrame` (below it, right edges aligned, above it when
    // there is no room below) on a screen of `available`. Returns the main window's new
    // top-left when it had to move, else its old one.
    QPoint anchorTo(const QRect &mainFrame, const QRect &available);

    // The window's operations.
    void closebtn_Click();
    void Savebtn_Click();
    void clear_Click();
    void searchlogs_Click();
    // The rows' double click: recall, or back into the compose box.
    void recallRow(int row);

Q_SIGNALS:
    // Double click on a received message or a reply: the recall window shows it.
    void recallRequested(int row, bool beensent);
    // Double click on a sent message: the compose box gets it back.
    void composeRequested(int row);
    // The "Show Main" / "Hide Main" button.
    void showMainRequested();
    void hideMainRequested();
    // "Anchor to Main Window" was ticked: place the window against the main window.
    void anchorRequested();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void reloadRows();
    void showCurrent(int row);
    void applyOptions();
    void setStaysOnTop(bool on);

    Messenger &session_;
    QTreeWidget *list_;
    QTextEdit *message_;
    QLabel *autores_;
    QPushButton *options_;
    QPushButton *showMain_;
    QPushButton *close_;
    QPushButton *searchLogs_;
    QMenu *menu_;
    QAction *keepOnTop_;
    QAction *minimizeWithMain_;
    QAction *anchor_;
    bool clicking_ = false;
};
