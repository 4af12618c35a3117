#pragma once
// The known-users file "users.txt": the directory kept from one run to the next, one
// identity=NAME entry per line, upper case. Holds the users part of `loadusers_Click` and
// `saveusers_Click`; the settings part of both is the settings file's job.
#include <QString>

class Directory;

class UsersFile final
{
public:
    // The file lives in the program folder given.
    explicit UsersFile(const QString &folder);

    QString path() const { return path_; }

    // The users part of the loader: empties the directory, sets the own identity, resets the
    // file to the own entry when "Clear user cache at startup" is on and `cachecleared` (kept
    // by the caller for the whole run) is still false, then reads the file field by field.
    // A missing file leaves the directory empty and is no error. Returns false when the file
    // exists but cannot be read, or the reset could not be written.
    bool loadusers_Click(Directory &directory, bool &cachecleared) const;

    // Writes every entry not starting with "[ALL]", upper case, one per line. Returns false
    // when the file could not be written; the old file is then left as it was.
    bool saveusers_Click(const Directory &directory) const;

private:
    QString path_;
};
