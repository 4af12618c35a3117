#pragma once
// The group editor `groups` ("Vantrell Messenger - Configure Groups"): a view over the
// session's Groups. New, rename and delete groups, move users between "Available Users"
// and the selected group, then Save (write, load again) or Cancel (load again).
#include <QDialog>

class Messenger;
class QListWidget;
class QPushButton;

class GroupEditor final : public QDialog
{
    Q_OBJECT
public:
    explicit GroupEditor(Messenger &session, QWidget *parent = nullptr);

    // Shows the editor modally with the receive queue held, as every modal box.
    int exec() override;

    // The buttons' operations, also for the tests.
    void newGroup_Click();
    void changeName_Click();
    void deleteGroup_Click();
    void addMember_Click();
    void removeMember_Click();
    void save_Click();
    // Cancel and the window's close box: the edits are dropped.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void message(const QString &text);

    Messenger &session_;
    QListWidget *List1_;
    QListWidget *group_;
    QListWidget *users_;
    QPushButton *changeName_;
    QPushButton *deleteGroup_;
    QPushButton *add_;
    QPushButton *remove_;
    bool refreshing_ = false;
};
