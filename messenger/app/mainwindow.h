#pragma once
// The messenger's main window: the visible user list, the status line and the traffic
// display, as a view over the session.
#include <QWidget>

class Messenger;
class QLabel;
class QListWidget;
class QProgressBar;

class MainWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(Messenger &session, QWidget *parent = nullptr);

    // Pixels for twips on this screen.
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void refreshUsers();

    Messenger &session_;
    QListWidget *allusers_;
    QLabel *statustext_;
    QProgressBar *traffic_;
};
