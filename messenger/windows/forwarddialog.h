#pragma once
// The forward-target dialog `fwdtofrm` ("Forward to"): picks, from the visible user list,
// the user that messages are forwarded to while away, or "None". The settings dialog opens
// it from its "Select ..." button and keeps the choice in its own fields.
//
// Save is only possible with an entry selected (the current target, else "None", is
// selected when the dialog opens): an empty choice would make the forward instruction
// "Forward to: " with no name, which sends every message to nobody.
#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QPushButton;

class ForwardDialog final : public QDialog
{
    Q_OBJECT
public:
    static const QString none; // "None"

    // `allusers` is the main window's user list, `friendlyname` the own display name and
    // `currentTarget` the target in force (`ar3temp`, may be empty).
    ForwardDialog(const QStringList &allusers, const QString &friendlyname,
                  const QString &currentTarget, QWidget *parent = nullptr);

    // The entries of `fwdto`: "None", then every user but the own name (any case).
    static QStringList choices(const QStringList &allusers, const QString &friendlyname);
    // What Save writes for entry `choice`: the fourth automatic response ("Forward to: " +
    // the name, or empty for "None") and the bare target name (`ar3temp`).
    static void applyChoice(const QString &choice, QString *ar3, QString *ar3temp);

    // Runs the dialog over `parent`. Save writes `ar3` and `ar3temp` and returns true (the
    // caller sets `fwdchange`); Cancel leaves both as they are and returns false (the caller
    // clears `fwdchange`).
    static bool selectTarget(QWidget *parent, const QStringList &allusers,
                             const QString &friendlyname, QString *ar3, QString *ar3temp);

    // The selected entry; empty when none is.
    QString selected() const;

private:
    QListWidget *fwdto_;
    QPushButton *save_;
};
