#pragma once
// Where the program's files live and who is using it.
#include <QString>

namespace Environment
{
// $VTMESSENGER_HOME; else the executable's folder when writable; else the per-user data
// folder. Created when missing.
QString programFolder();
// A file in the program folder.
QString programFile(const QString &name);
// COMPUTERNAME, else the host name.
QString computerName();
// USERNAME, else USER, else the login name.
QString userName();
// "[" + computer name + "\" + user name + "]" in upper case.
QString identity();
// The folder of the running executable (where the sibling programs are found).
QString executableFolder();
} // namespace Environment
