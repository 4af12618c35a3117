#pragma once
// The messenger's main window: a borderless window with a painted background that holds
// the recipient tabs, the compose box, the twelve quick-send buttons and the status line.
// It owns the eleven message windows, the history window and the log window, and wires
// them to the session; all of them are views, the logic is the session's.
#include "messenger/app/settingsfile.h"

#include <QPixmap>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class HistoryWindow;
class LogWindow;
class MessageWindow;
class Messenger;
class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

class MainWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(Messenger &session, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Twips per pixel on this window's screen.
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    // The style sheet of the whole program (buttons, lists, panels).
    static QString applicationStyle();

    // The message windows: 0..9 the slots, 10 the recall window `popuplast`.
    MessageWindow *popup(int index) const;
    HistoryWindow *historyWindow() const { return history_.get(); }
    LogWindow *logWindow() const { return log_.get(); }

    // The group list `List1`: entries "name" + 30 blanks + the group's digit.
    void setGroupList(const QStringList &entries);
    // The notice label with its frame: the length notice or the automatic-response notice.
    void setNotice(const QString &text, bool visible);

    // --- Operations with the program's names ---
    // Exit dialog: Yes minimises to the tray, No ends the program, Cancel does nothing.
    void spotx_Click();
    // Minimise to the tray (the "-" button); a history window that goes with it comes back
    // when the main window is restored.
    void spotmin_Click();
    // Shows the main window in its normal state (tray click, forward, "Show Main").
    void showNormalMain();
    // "Last Rec": the recall window again, when it holds a message.
    void LumoButton5_Click();
    // "History": the history window, below the main window when it was open before.
    void LumoButton6_Click();
    // Quick-send button i (1..12), clicked or pressed through its function key.
    void qb_Click(int i);
    // A sent message from the history back into the compose box with its recipients.
    void recallSent(int row);
    // Places the history window against this one (the history's "Anchor" option).
    void anchorHistory();

    // True while the program's icon is in a tray to restore this window from; when it is
    // not (or nobody set this), minimising to the tray minimises to the task bar instead.
    // Unset means there is a tray.
    std::function<bool()> hasTray;

Q_SIGNALS:
    // The "Settings" button: the Tools menu pops up at this point.
    void toolsMenuRequested(const QPoint &globalPos);
    // The "Auto" button: the automatic-response menu pops up at this point.
    void autoMenuRequested(const QPoint &globalPos);
    // "Config Grps": the group editor.
    void configureGroupsRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildTitleBar();
    void wireSession();
    void applyOptions(const SettingsFile::LoadResult &result);
    void applyButtons();
    void applyAwayDisplay();
    void refreshUsers();
    void userSelectionChanged();
    void composeEdited();
    void setComposeText(const QString &text);
    void focusCompose();
    void updateUserListEnabled();
    void hideMainToTray();
    // Minimised and hidden while a tray holds the icon, else minimised to the task bar.
    void leaveScreen();
    bool trayShown() const { return !hasTray || hasTray(); }

    Messenger &session_;
    QPixmap background_;
    QLabel *title_;
    QPushButton *settings_;
    QPushButton *auto_;
    QPushButton *minimize_;
    QPushButton *exit_;
    QTabWidget *tabs_;
    QListWidget *allusers_;
    QListWidget *list1_;
    QCheckBox *checkallusers_;
    QPlainTextEdit *messagetext_;
    QLabel *notice_;
    QLabel *entlabel1_;
    QLabel *entlabel2_;
    QPushButton *send_;
    QPushButton *clear_;
    std::array<QPushButton *, 12> qb_{};
    QPushButton *history_button_;
    QPushButton *lastRec_;
    QPushButton *dissmissall_;
    QCheckBox *soundon_;
    QLabel *statustext_;
    QProgressBar *traffic_;

    std::array<std::unique_ptr<MessageWindow>, 11> popups_;
    std::unique_ptr<HistoryWindow> history_;
    std::unique_ptr<LogWindow> log_;

    bool settingCompose_ = false;
    bool listsEnabled_ = true;
    bool historyPlaced_ = false;
    QTimer anchorTimer_;
    // The manual move where the platform cannot move the window itself.
    bool dragging_ = false;
    QPoint dragOffset_;
};
