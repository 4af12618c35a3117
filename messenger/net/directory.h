#pragma once
// The user directory and presence: who this copy has heard of (`userlist`), who is shown on
// the "Users" tab (`allusers`), who the next message goes to (`multiusers`), and the handling
// of the announce / reply / sign-off datagrams that keep them current.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

struct Options;

class Directory final : public QObject
{
    Q_OBJECT

public:
    // The options are the live ones of the run (friendlyname, showme); they must outlive this.
    explicit Directory(Options &options, QObject *parent = nullptr);

    // The directory: identity + "=" + display name, both upper case, in order of first contact
    // or file order.
    QStringList userlist;
    // The visible user list: display names in proper case, each at most once.
    QStringList allusers;
    // The current recipients: selected `allusers` entries, or one empty entry for a group.
    QStringList multiusers;
    // The own identity, "[" + computer + "\" + user + "]" in upper case.
    QString user;

    Options &options() const { return options_; }

    // Takes `user` from the environment again.
    void refreshUser();
    // Broadcasts "***" + user + "=" + friendlyname (the hidden `getusers` button).
    void announce();
    // Broadcasts "-**" + user + "=" + friendlyname, once at exit.
    void signOff();

    // Handles one datagram starting with "***", "**-" or "-**". Returns false when it was
    // ignored as malformed: no "=", an identity that is not "[...]" (empty, unbracketed or a
    // reserved recipient), or a line break in the identity or name.
    bool handlePresence(const QString &datagram);

    // Display name (any case) to identity: the first entry whose name matches whole, without
    // regard to case; else "[ALL]" for "ALL", else "[---]".
    QString lookupName(const QString &name) const;
    // A group member line (16-character tag + identity) to the member's display name in upper
    // case, or "not found".
    QString lookupIdentity(const QString &memberLine) const;
    // The name shown for a received message: the name part of the first entry that contains
    // the sender identity anywhere, else the identity itself.
    QString displayNameOf(const QString &senderIdentity) const;

    // A click on the user list: `multiusers` = the selected rows' entries in list order.
    // Rows outside the list are ignored.
    void selectUsers(QList<int> rows);
    // A click on the group list: `multiusers` = one empty entry.
    void chooseGroup();

Q_SIGNALS:
    void allusersChanged();
    // A datagram to broadcast.
    void send(const QString &datagram);
    void statusText(const QString &text);
    // An entry was added or renamed; the session writes the known-users file.
    void directoryGrew();

private:
    QString ownName() const;
    void addUser(const QString &identity, const QString &name);

    Options &options_;
    // True while `multiusers` marks a chosen group rather than a selection in `allusers`.
    bool groupChosen_ = false;
};
