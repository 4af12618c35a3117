#include "directory.h"

#include "common/environment.h"
#include "common/text.h"
#include "messenger/app/options.h"
#include "messenger/net/datagram.h"

#include <algorithm>

namespace
{
const QLatin1Char kEquals('=');

// The text after an entry's first "="; an entry without one (a fragment of a hand-edited or
// comma-split line) has no name.
QString namePart(const QString &entry)
{
    const qsizetype p = entry.indexOf(kEquals);
    return p < 0 ? QString() : entry.mid(p + 1);
}

// The text before an entry's first "="; empty when there is none.
QString identityPart(const QString &entry)
{
    const qsizetype p = entry.indexOf(kEquals);
    return p < 0 ? QString() : entry.left(p);
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// Every real copy sends "[computer\user]". Anything else would, through the "contains the
// identity anywhere" match, hit and replace other users' entries (an empty identity is
// contained in every entry), and "[ALL]" would turn private messages into broadcasts.
bool isUsableIdentity(const QString &identity)
{
    return identity.size() >= 2 && identity.startsWith(QLatin1Char('[')) &&
           identity.endsWith(QLatin1Char(']')) && identity != Datagram::everybody &&
           identity != Datagram::nobody;
}
} // namespace

Directory::Directory(Options &options, QObject *parent) : QObject(parent), options_(options)
{
    refreshUser();
}

void Directory::refreshUser()
{
    user = Environment::identity();
}

QString Directory::ownName() const
{
    return Datagram::upper(options_.friendlyname);
}

void Directory::announce()
{
    refreshUser();
    Q_EMIT send(Datagram::announce(user, options_.friendlyname));
}

void Directory::signOff()
{
    refreshUser();
    Q_EMIT send(Datagram::signOff(user, options_.friendlyname));
}

bool Directory::handlePresence(const QString &datagram)
{
    const Datagram::Presence presence = Datagram::splitPresence(datagram);
    if (!presence.ok || !isUsableIdentity(presence.identity) || hasLineBreak(presence.identity) ||
        hasLineBreak(presence.name))
        return false;
    const QString &id = presence.identity;
    const QString &name = presence.name;

    if (presence.marker == Datagram::signOffMarker) {
        for (const QString &entry : std::as_const(userlist)) {
            if (!entry.contains(id) || Datagram::upper(namePart(entry)) != name)
                continue;
            const qsizetype before = allusers.size();
            allusers.removeIf([&name](const QString &shown) {
                return shown.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (allusers.size() != before)
                Q_EMIT allusersChanged();
            Q_EMIT statusText(name + QStringLiteral(" has signed off"));
            break;
        }
        return true;
    }

    const bool announcement = presence.marker == Datagram::announceMarker;
    if (announcement)
        Q_EMIT send(Datagram::reply(user, options_.friendlyname));

    const auto known = std::find_if(userlist.cbegin(), userlist.cend(),
                                    [&id](const QString &entry) { return entry.contains(id); });
    if (known != userlist.cend()) {
        if (Datagram::upper(namePart(*known)) == name) {
            if (allusers.contains(name, Qt::CaseInsensitive))
                return true;
            if (name != ownName() || options_.showme) {
                allusers.append(Text::properCase(name));
                Q_EMIT allusersChanged();
            }
            return true;
        }
        // A known identity under a new name: the old entry goes, the new one is added below.
        userlist.removeAt(known - userlist.cbegin());
    } else if (announcement) {
        // The older copies answer a newcomer twice; they rely on it, so keep it.
        Q_EMIT send(Datagram::reply(user, options_.friendlyname));
    }
    addUser(id, name);
    return true;
}

void Directory::addUser(const QString &identity, const QString &name)
{
    userlist.append(identity + kEquals + name);
    allusers.clear();
    // The selection lived in the list that was just emptied; a chosen group is not affected.
    if (!groupChosen_)
        multiusers.clear();
    Q_EMIT allusersChanged();
    Q_EMIT directoryGrew();
}

QString Directory::lookupName(const QString &name) const
{
    const QString wanted = Datagram::upper(name);
    for (const QString &entry : userlist) {
        const QString identity = identityPart(entry);
        if (!identity.isEmpty() && Datagram::upper(namePart(entry)) == wanted)
            return identity;
    }
    return wanted == QLatin1String("ALL") ? Datagram::everybody : Datagram::nobody;
}

QString Directory::lookupIdentity(const QString &memberLine) const
{
    const QString identity = Datagram::upper(memberLine.mid(16));
    if (!identity.isEmpty()) {
        for (const QString &entry : userlist) {
            if (identityPart(entry) == identity)
                return Datagram::upper(namePart(entry));
        }
    }
    return QStringLiteral("not found");
}

QString Directory::displayNameOf(const QString &senderIdentity) const
{
    if (senderIdentity.isEmpty())
        return senderIdentity;
    for (const QString &entry : userlist) {
        if (entry.contains(senderIdentity) && entry.contains(kEquals))
            return namePart(entry);
    }
    return senderIdentity;
}

void Directory::selectUsers(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    multiusers.clear();
    for (const int row : std::as_const(rows)) {
        if (row >= 0 && row < allusers.size())
            multiusers.append(allusers.at(row));
    }
    groupChosen_ = false;
}

void Directory::chooseGroup()
{
    multiusers = QStringList{QString()};
    groupChosen_ = true;
}
