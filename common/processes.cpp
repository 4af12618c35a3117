#include "processes.h"

#include <QCoreApplication>
#include <QStringList>

#include <functional>

#if defined(Q_OS_LINUX)
#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <qt_windows.h>
#include <tlhelp32.h>

#include <memory>
#endif

namespace
{
const QString kExe = QStringLiteral(".exe");

QString withoutExe(const QString &name)
{
    return name.endsWith(kExe, Qt::CaseInsensitive) ? name.chopped(kExe.size()) : name;
}

// The last part of a path written with either kind of separator (a program run under a
// Windows layer names itself with backslashes).
QString lastPart(const QString &path)
{
    const qsizetype cut =
        qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

// Calls `visit` for every process of this user but the calling one, with its names; when
// `visit` says so, the process is ended. Returns how many were ended.
using Visitor = std::function<bool(const QStringList &names)>;

#if defined(Q_OS_LINUX)
QByteArray readProc(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool ownedByMe(const QString &dir)
{
    // "Uid:" real effective saved filesystem; the real one names the user who started it.
    const QList<QByteArray> lines = readProc(dir + QStringLiteral("/status")).split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith("Uid:"))
            continue;
        const QList<QByteArray> fields = line.mid(4).simplified().split(' ');
        bool ok = false;
        const uint uid = fields.value(0).toUInt(&ok);
        return ok && uid == static_cast<uint>(getuid());
    }
    return false;
}

QStringList namesOf(const QString &dir)
{
    QStringList names;
    // A program whose file was replaced while it runs (an update) still answers to its name.
    QString exe = QFile::symLinkTarget(dir + QStringLiteral("/exe"));
    if (exe.endsWith(QLatin1String(" (deleted)")))
        exe.chop(10);
    if (!exe.isEmpty())
        names << lastPart(exe);
    const QByteArray cmdline = readProc(dir + QStringLiteral("/cmdline"));
    const QString argv0 = QString::fromLocal8Bit(cmdline.left(cmdline.indexOf('\0')));
    if (!argv0.isEmpty() && !names.contains(lastPart(argv0)))
        names << lastPart(argv0);
    return names;
}

// A handle on the process itself rather than on its number, so that a number that is
// reused between the look and the kill cannot hit another program. -1 where the system
// has no such handles; the number is then used.
int openProcess(qint64 pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

bool endProcess(qint64 pid, int handle)
{
#ifdef SYS_pidfd_send_signal
    if (handle >= 0)
        return syscall(SYS_pidfd_send_signal, handle, SIGKILL, nullptr, 0) == 0;
#else
    Q_UNUSED(handle);
#endif
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

int visitProcesses(const Visitor &visit, QList<qint64> *matched)
{
    const qint64 self = QCoreApplication::applicationPid();
    int ended = 0;
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid <= 0 || pid == self)
            continue;
        const int handle = openProcess(pid);
        const QString dir = QStringLiteral("/proc/") + entry;
        if (ownedByMe(dir)) {
            const QStringList names = namesOf(dir);
            if (!names.isEmpty() && visit(names)) {
                if (matched)
                    matched->append(pid);
                else if (endProcess(pid, handle))
                    ++ended;
            }
        }
        if (handle >= 0)
            ::close(handle);
    }
    return ended;
}

#elif defined(Q_OS_WIN)
struct HandleCloser {
    void operator()(HANDLE h) const
    {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The user a process runs as, as a copy of its security identifier.
QByteArray userOf(HANDLE process)
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken))
        return QByteArray();
    const Handle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(rawToken, TokenUser, nullptr, 0, &size);
    QByteArray buffer(static_cast<int>(size), '\0');
    if (size == 0 || !GetTokenInformation(rawToken, TokenUser, buffer.data(), size, &size))
        return QByteArray();
    const PSID sid = reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid;
    return QByteArray(reinterpret_cast<const char *>(sid), static_cast<int>(GetLengthSid(sid)));
}

int visitProcesses(const Visitor &visit, QList<qint64> *matched)
{
    const DWORD self = GetCurrentProcessId();
    const QByteArray me = userOf(GetCurrentProcess());
    int ended = 0;
    const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self || entry.th32ProcessID == 0)
            continue;
        const QStringList names{QString::fromWCharArray(entry.szExeFile)};
        if (!visit(names))
            continue;
        const Handle process(OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                         FALSE, entry.th32ProcessID));
        if (!process || me.isEmpty() || userOf(process.get()) != me)
            continue;
        if (matched)
            matched->append(entry.th32ProcessID);
        else if (TerminateProcess(process.get(), 0))
            ++ended;
    }
    return ended;
}

#else
// No process list on this platform: nothing is found and nothing is ended.
int visitProcesses(const Visitor &, QList<qint64> *)
{
    return 0;
}
#endif

Visitor matcher(const QString &name)
{
    return [name](const QStringList &names) {
        for (const QString &n : names)
            if (Processes::nameMatches(n, name))
                return true;
        return false;
    };
}
} // namespace

bool Processes::nameMatches(const QString &executableName, const QString &name)
{
    const QString wanted = withoutExe(name);
    if (wanted.isEmpty() || executableName.isEmpty())
        return false;
    return executableName.endsWith(name, Qt::CaseInsensitive) ||
           withoutExe(executableName).endsWith(wanted, Qt::CaseInsensitive);
}

QList<qint64> Processes::find(const QString &name)
{
    QList<qint64> pids;
    if (!withoutExe(name).isEmpty())
        visitProcesses(matcher(name), &pids);
    return pids;
}

int Processes::KillProcess(const QString &name)
{
    if (withoutExe(name).isEmpty())
        return 0;
    return visitProcesses(matcher(name), nullptr);
}
