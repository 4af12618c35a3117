#pragma once
// The groups: up to ten named groups of users kept in "groups.txt", the lists the group
// editor shows and edits, and the main window's copy of the group list. The send routine
// reads the members from here; the group editor is a view over it.
//
// Decisions where the file alone does not say what to do:
// - A file that cannot be read leaves the groups as they were and reports false; it is
//   never replaced. A default file that cannot be written is reported too, but its two
//   groups are in use for the run.
// - A second name line for a slot that already has a name (a hand edit) is skipped, so a
//   slot never shows twice in the list.
// - Members can only be moved while a group is selected: after the last group is deleted
//   there is no group to add them to.
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class Directory;

class Groups final : public QObject
{
    Q_OBJECT
public:
    static constexpr int SlotCount = 10;
    // A list entry is the name + this many blanks + the slot digit.
    static constexpr int Padding = 30;
    static const QString notFound; // "not found"

    // The file lives in the program folder given; `directory` resolves members.
    Groups(const QString &folder, const Directory &directory, QObject *parent = nullptr);

    QString path() const { return path_; }

    // --- The editor's lists (also the groups in force while the editor is hidden) ---
    // One entry per used slot: name + 30 blanks + slot digit.
    QStringList List1;
    // Slot i holds a group.
    std::array<bool, SlotCount> usedgroups{};
    // The members' display names of each slot.
    std::array<QStringList, SlotCount> group;
    // The current slot (the one whose members the editor shows).
    int curgroup = 0;
    // The selected row of `List1`; -1 when none.
    int selectedGroup = -1;
    // "Available Users": known users not in the current group, upper case.
    QStringList users;
    // The main window's group list: a copy of `List1` as of the last load.
    QStringList mainList;

    // The 16-character keys of slot i (0..9): "[GroupNNname  ]=" and "[GroupNNmember]=".
    static QString nameKey(int slot);
    static QString memberKey(int slot);
    // A list entry for a name in slot i, and the parts of an entry.
    static QString entry(const QString &name, int slot);
    static QString nameOf(const QString &entry);
    static int slotOf(const QString &entry); // -1 when the entry ends in no digit
    // The bytes of the default file.
    static QByteArray defaultFileBytes();

    // `loadgroups_Click`: writes the default file when missing, reads the file into the
    // lists, copies the name list to `mainList` and selects the first group.
    bool loadgroups_Click();
    // `savegroups_Click`: rewrites the file from the lists. False on a write error.
    bool savegroups_Click() const;

    // For sending: the members of the group of a main-list entry, as identities.
    QStringList memberIdentities(int slot) const;

    // --- Editor operations ---
    // Selecting row `row` of `List1` (-1 selects nothing): the current slot and the
    // available users follow it.
    void selectGroup(int row);
    // The first unused slot, -1 when all ten are used ("10 groups max!").
    int freeSlot() const;
    // "New Group" with the answer typed; false (nothing changed) when the answer is empty
    // or no slot is free.
    bool newGroup(const QString &name);
    // "Change Name" for the selected group; false when the answer is empty or nothing is
    // selected. The name is put in upper case.
    bool changeName(const QString &name);
    // "Delete Group" for the selected group; afterwards the row before it is selected.
    // `allusers` fills "Available Users" when no group is left.
    bool deleteGroup(const QStringList &allusers);
    // "<": available user `row` joins the current group.
    bool addMember(int row);
    // ">": member `row` leaves the current group ("not found" is not offered again).
    bool removeMember(int row);

Q_SIGNALS:
    // The lists changed (load, an edit); the views refresh.
    void changed();
    // `mainList` was replaced by a load.
    void mainListChanged();

private:
    void rebuildUsers();

    QString path_;
    const Directory &directory_;
};
