#include "groups.h"

#include "common/codec.h"
#include "common/fieldreader.h"
#include "common/textfile.h"
#include "messenger/net/datagram.h"
#include "messenger/net/directory.h"

#include <QDir>
#include <QFileInfo>

const QString Groups::notFound = QStringLiteral("not found");

namespace
{
constexpr int kKeyLength = 16;

QString twoDigits(int slot)
{
    return QStringLiteral("%1").arg(slot + 1, 2, 10, QLatin1Char('0'));
}

QString defaultFileText()
{
    QStringList lines;
    for (int i = 0; i < Groups::SlotCount; ++i) {
        QString line = Groups::nameKey(i);
        if (i == 0)
            line += QStringLiteral("CLINICAL");
        else if (i == 1)
            line += QStringLiteral("BUSINESS");
        lines.append(line);
    }
    lines.append(QString());
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
} // namespace

Groups::Groups(const QString &folder, const Directory &directory, QObject *parent)
    : QObject(parent), path_(QDir(folder).filePath(QStringLiteral("groups.txt"))),
      directory_(directory)
{
}

QString Groups::nameKey(int slot)
{
    return QStringLiteral("[Group") + twoDigits(slot) + QStringLiteral("name  ]=");
}

QString Groups::memberKey(int slot)
{
    return QStringLiteral("[Group") + twoDigits(slot) + QStringLiteral("member]=");
}

QString Groups::entry(const QString &name, int slot)
{
    return name + QString(Padding, QLatin1Char(' ')) + QString::number(slot);
}

QString Groups::nameOf(const QString &entry)
{
    return entry.left(qMax<qsizetype>(0, entry.size() - (Padding + 1)));
}

int Groups::slotOf(const QString &entry)
{
    if (entry.isEmpty() || !entry.back().isDigit())
        return -1;
    return entry.back().digitValue();
}

QByteArray Groups::defaultFileBytes()
{
    return Codec::encode(defaultFileText());
}

bool Groups::loadgroups_Click()
{
    QString text;
    bool fileOk = true;
    if (!QFileInfo::exists(path_)) {
        // A folder that cannot be written still gets the default groups for this run.
        text = defaultFileText();
        fileOk = TextFile::write(path_, text);
    } else if (!TextFile::read(path_, &text)) {
        return false;
    }

    QStringList names;
    std::array<bool, SlotCount> used{};
    std::array<QStringList, SlotCount> members;
    // Line by line, and each line field by field: a double quote typed into a group name
    // cannot then swallow the lines after it.
    for (const QString &line : TextFile::splitLines(text)) {
        for (const QString &field : FieldReader::fields(line)) {
            const QString key = field.left(kKeyLength);
            const QString rest = field.mid(kKeyLength);
            for (int i = 0; i < SlotCount; ++i) {
                if (key == nameKey(i)) {
                    if (!rest.isEmpty() && !used[std::size_t(i)]) {
                        names.append(entry(rest, i));
                        used[std::size_t(i)] = true;
                    }
                    break;
                }
                if (key == memberKey(i)) {
                    members[std::size_t(i)].append(directory_.lookupIdentity(field));
                    break;
                }
            }
        }
    }

    List1 = names;
    usedgroups = used;
    group = members;
    mainList = List1;
    curgroup = 0;
    selectedGroup = -1;
    selectGroup(List1.isEmpty() ? -1 : 0);
    if (List1.isEmpty())
        rebuildUsers();
    Q_EMIT mainListChanged();
    Q_EMIT changed();
    return fileOk;
}

bool Groups::savegroups_Click() const
{
    QStringList lines;
    for (int i = 0; i < SlotCount; ++i) {
        QString line = nameKey(i);
        if (usedgroups[std::size_t(i)]) {
            for (const QString &e : List1) {
                if (slotOf(e) == i) {
                    line += Datagram::upper(nameOf(e));
                    break;
                }
            }
        }
        lines.append(line);
    }
    for (int i = 0; i < SlotCount; ++i) {
        if (!usedgroups[std::size_t(i)])
            continue;
        for (const QString &member : group[std::size_t(i)])
            lines.append(memberKey(i) + directory_.lookupName(Datagram::upper(member)));
    }
    return TextFile::writeLines(path_, lines);
}

QStringList Groups::memberIdentities(int slot) const
{
    QStringList identities;
    if (slot < 0 || slot >= SlotCount)
        return identities;
    for (const QString &member : group[std::size_t(slot)])
        identities.append(directory_.lookupName(member));
    return identities;
}

void Groups::rebuildUsers()
{
    users.clear();
    QStringList current;
    if (curgroup >= 0 && curgroup < SlotCount) {
        for (const QString &member : group[std::size_t(curgroup)])
            current.append(Datagram::upper(member));
    }
    for (const QString &item : directory_.userlist) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString name = Datagram::upper(item.mid(eq + 1));
        if (!current.contains(name))
            users.append(name);
    }
}

void Groups::selectGroup(int row)
{
    if (row < 0 || row >= List1.size()) {
        selectedGroup = -1;
        Q_EMIT changed();
        return;
    }
    const int slot = slotOf(List1.at(row));
    if (slot < 0)
        return;
    selectedGroup = row;
    curgroup = slot;
    rebuildUsers();
    Q_EMIT changed();
}

int Groups::freeSlot() const
{
    for (int i = 0; i < SlotCount; ++i) {
        if (!usedgroups[std::size_t(i)])
            return i;
    }
    return -1;
}

bool Groups::newGroup(const QString &name)
{
    const int slot = freeSlot();
    if (slot < 0 || name.isEmpty())
        return false;
    List1.append(entry(name, slot));
    usedgroups[std::size_t(slot)] = true;
    Q_EMIT changed();
    return true;
}

bool Groups::changeName(const QString &name)
{
    if (selectedGroup < 0 || name.isEmpty())
        return false;
    List1[selectedGroup] = entry(Datagram::upper(name), curgroup);
    Q_EMIT changed();
    return true;
}

bool Groups::deleteGroup(const QStringList &allusers)
{
    if (selectedGroup < 0)
        return false;
    const int row = selectedGroup;
    List1.removeAt(row);
    group[std::size_t(curgroup)].clear();
    usedgroups[std::size_t(curgroup)] = false;
    selectedGroup = -1;
    if (!List1.isEmpty()) {
        selectGroup(row - 1);
    } else {
        users = allusers;
        Q_EMIT changed();
    }
    return true;
}

bool Groups::addMember(int row)
{
    if (selectedGroup < 0 || row < 0 || row >= users.size())
        return false;
    group[std::size_t(curgroup)].append(users.takeAt(row));
    Q_EMIT changed();
    return true;
}

bool Groups::removeMember(int row)
{
    QStringList &members = group[std::size_t(curgroup)];
    if (selectedGroup < 0 || row < 0 || row >= members.size())
        return false;
    const QString member = members.takeAt(row);
    if (member != notFound)
        users.append(member);
    Q_EMIT changed();
    return true;
}
