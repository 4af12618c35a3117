// Ending programs by executable name: the name rule, and real child processes that are
// ended or left alone. Every child carries a name made unique for this run, so nothing
// outside the test can ever match.
#include "common/processes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace
{
// A unique prefix for this run: the same test may run in another build at the same time.
QString uniquePrefix()
{
    return QStringLiteral("vt%1x%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}
} // namespace

class TestProcesses : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void nameRule_data();
    void nameRule();
    void endsMatchingChildOnly();
    void emptyNamesEndNothing_data();
    void emptyNamesEndNothing();
    void neverEndsItself();

private:
    // Starts `sleep` under the name `name` (a link in the temporary folder).
    QProcess *startSleeper(const QString &name);

    QTemporaryDir dir_;
    QString sleep_;
    QString prefix_;
};

void TestProcesses::initTestCase()
{
#ifndef Q_OS_LINUX
    QSKIP("the child-process cases use /proc and a linked sleep");
#endif
    QVERIFY(dir_.isValid());
    sleep_ = QStandardPaths::findExecutable(QStringLiteral("sleep"));
    QVERIFY2(!sleep_.isEmpty(), "no sleep program");
    prefix_ = uniquePrefix();
}

void TestProcesses::nameRule_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    const QString w = QStringLiteral("tovikwatchdog.exe");
    QTest::newRow("same") << w << w << true;
    QTest::newRow("other case") << QStringLiteral("TovikWatchDog.EXE") << w << true;
    QTest::newRow("ends with") << QStringLiteral("oldtovikwatchdog.exe") << w << true;
    QTest::newRow("no .exe on the process") << QStringLiteral("tovikwatchdog") << w << true;
    QTest::newRow("no .exe in the name")
        << QStringLiteral("tovikwatchdog.exe") << QStringLiteral("tovikwatchdog") << true;
    QTest::newRow("neither has .exe")
        << QStringLiteral("my-tovikwatchdog") << QStringLiteral("tovikwatchdog") << true;
    QTest::newRow("only a beginning") << QStringLiteral("tovikwatchdog2.exe") << w << false;
    QTest::newRow("a longer extension") << QStringLiteral("tovikwatchdog.exe.bak") << w << false;
    QTest::newRow("another program") << QStringLiteral("vtmessenger") << w << false;
    QTest::newRow("name is the whole .exe")
        << QStringLiteral("tovikwatchdog.exe") << QStringLiteral(".exe") << false;
    QTest::newRow("empty name") << QStringLiteral("tovikwatchdog") << QString() << false;
    QTest::newRow("empty process name") << QString() << w << false;
}

void TestProcesses::nameRule()
{
    QFETCH(QString, executable);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(Processes::nameMatches(executable, name), matches);
}

QProcess *TestProcesses::startSleeper(const QString &name)
{
    const QString link = dir_.filePath(name);
    if (!QFile::exists(link) && !QFile::link(sleep_, link))
        return nullptr;
    auto *process = new QProcess(this);
    process->start(link, {QStringLiteral("60")});
    if (!process->waitForStarted(5000))
        return nullptr;
    return process;
}

void TestProcesses::endsMatchingChildOnly()
{
    QProcess *watchdog = startSleeper(prefix_ + QStringLiteral("tovikwatchdog"));
    QProcess *bystander = startSleeper(prefix_ + QStringLiteral("tovikwatchdog-helper"));
    QVERIFY(watchdog && bystander);

    const QString name = prefix_ + QStringLiteral("TOVIKWATCHDOG.exe");
    QCOMPARE(Processes::find(name), QList<qint64>{watchdog->processId()});
    QCOMPARE(Processes::KillProcess(name), 1);
    QVERIFY(watchdog->waitForFinished(5000));
    QCOMPARE(watchdog->exitStatus(), QProcess::CrashExit);

    // The process whose name only begins alike is still running.
    QVERIFY(!bystander->waitForFinished(200));
    QCOMPARE(bystander->state(), QProcess::Running);
    QVERIFY(Processes::find(name).isEmpty());
    QCOMPARE(Processes::KillProcess(name), 0);
    bystander->kill();
    bystander->waitForFinished(5000);
}

void TestProcesses::emptyNamesEndNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow(".exe") << QStringLiteral(".exe");
    QTest::newRow(".EXE") << QStringLiteral(".EXE");
}

void TestProcesses::emptyNamesEndNothing()
{
    QFETCH(QString, name);
    QProcess *child = startSleeper(prefix_ + QStringLiteral("plain.exe"));
    QVERIFY(child);
    QVERIFY(Processes::find(name).isEmpty());
    QCOMPARE(Processes::KillProcess(name), 0);
    QVERIFY(!child->waitForFinished(200));
    child->kill();
    child->waitForFinished(5000);
}

void TestProcesses::neverEndsItself()
{
    // A copy of this test under a unique name asks to end every process of that name; it
    // must survive and report that it ended nothing.
    const QString name = prefix_ + QStringLiteral("selfcheck");
    const QString link = dir_.filePath(name);
    QVERIFY(QFile::link(QCoreApplication::applicationFilePath(), link));
    QProcess self;
    self.start(link, {QStringLiteral("--kill-own-name"), name});
    QVERIFY(self.waitForFinished(10000));
    QCOMPARE(self.exitStatus(), QProcess::NormalExit);
    QCOMPARE(QString::fromLatin1(self.readAllStandardOutput().trimmed()), QStringLiteral("0"));
    QCOMPARE(self.exitCode(), 0);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--kill-own-name") == 0) {
        QCoreApplication app(argc, argv);
        const int ended = Processes::KillProcess(QString::fromLocal8Bit(argv[2]));
        printf("%d\n", ended);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestProcesses test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_processes.moc"
