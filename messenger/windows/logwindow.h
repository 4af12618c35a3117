#pragma once
// The activity-log window `log`: the entries of the log in the list `lstMessages`, the
// selected one taken apart in the viewer `Text1`, and the log's buttons. A view over
// ActivityLog; "Copy / Print" writes through SavedMessage.
#include <QWidget>

class Messenger;
class QListWidget;
class QPushButton;
class QTextEdit;

class LogWindow final : public QWidget
{
    Q_OBJECT
public:
    // Tab stops of the list, in characters of its fixed-pitch font.
    static constexpr int TabColumns = 19;

    explicit LogWindow(Messenger &session, QWidget *parent = nullptr);

    // How an entry reads in the list: on one line, its tabs expanded to the next stop.
    static QString listText(const QString &entry);
    // Starts the log viewer next to this program, for the program folder `folder`; a
    // failure to start it is ignored, as the log viewer is an optional companion.
    static bool startLogViewer(const QString &folder);

    // The window's operations.
    void showEntry(int row);
    void copyprint_Click();
    void logsave_Click();
    void openlogdir_Click();
    void searchlogs_Click();

protected:
    void changeEvent(QEvent *event) override;

private:
    void reload();

    Messenger &session_;
    QListWidget *list_;
    QTextEdit *viewer_;
};
