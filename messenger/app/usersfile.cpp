#include "usersfile.h"

#include "common/fieldreader.h"
#include "common/textfile.h"
#include "messenger/app/options.h"
#include "messenger/net/datagram.h"
#include "messenger/net/directory.h"

#include <QDir>
#include <QFileInfo>

namespace
{
// The everybody entry is never kept in the file: "[ALL]" is a recipient, not a user.
bool isEverybody(const QString &upperEntry)
{
    return upperEntry.startsWith(Datagram::everybody);
}
} // namespace

UsersFile::UsersFile(const QString &folder)
    : path_(QDir(folder).filePath(QStringLiteral("users.txt")))
{
}

bool UsersFile::loadusers_Click(Directory &directory, bool &cachecleared) const
{
    directory.userlist.clear();
    directory.refreshUser();

    const Options &options = directory.options();
    if (options.startclearusers && !cachecleared) {
        const QString own =
            Datagram::upper(directory.user + QLatin1Char('=') + options.friendlyname);
        if (!TextFile::writeLines(path_, {own}))
            return false;
        cachecleared = true;
    }

    if (!QFileInfo::exists(path_))
        return true;
    QString text;
    if (!TextFile::read(path_, &text))
        return false;
    FieldReader reader(text);
    while (!reader.atEnd()) {
        const QString item = Datagram::upper(reader.next());
        // Blank lines of a hand-edited file are no entries. Every "[ALL]" item is skipped,
        // not only "[ALL]=ALL": an entry "[ALL]=BOB" would send Bob's private messages to
        // everybody.
        if (item.isEmpty() || isEverybody(item))
            continue;
        directory.userlist.append(item);
    }
    return true;
}

bool UsersFile::saveusers_Click(const Directory &directory) const
{
    QStringList lines;
    for (const QString &entry : directory.userlist) {
        const QString upper = Datagram::upper(entry);
        if (!isEverybody(upper))
            lines.append(upper);
    }
    return TextFile::writeLines(path_, lines);
}
