#pragma once
// The running programs of the current user, found by executable name: the settings saver
// ends a helper program by name, and the transfer utility looks for a running messenger.
// The calling process is never among the processes found or ended.
#include <QList>
#include <QString>

namespace Processes
{
// The name rule: `executableName` ends with `name`, without regard to case, where either
// may carry or lack a trailing ".exe" ("tovikwatchdog" matches "tovikwatchdog.exe" and
// "MyTovikWatchdog.EXE" does too). A name that is empty, or nothing but ".exe", matches
// nothing.
bool nameMatches(const QString &executableName, const QString &name);
// The ids of this user's processes, other than the calling one, whose executable name
// matches. On Linux a process answers to the file name of its executable and to the name
// it was started under (the last part of its first argument).
QList<qint64> find(const QString &name);
// Ends every process that `find` gives, at once and without letting it clean up, as
// ending a task does. Returns how many were ended. An empty name does nothing.
int KillProcess(const QString &name);
} // namespace Processes
