// The single-instance lock: a running copy blocks a second one of the same program, other
// programs are not blocked, and neither an orderly exit nor a crash leaves a lock that
// stops the next start. The "first copy" is a child process, as in real use.
#include "common/singleinstance.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace
{
const QString kProgram = QStringLiteral("vtmessenger");
}

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void runningCopyBlocksSecond();
    void otherProgramNotBlocked();
    void orderlyExitFreesLock();
    void crashedCopyDoesNotBlock();
    void oldLockOfLiveCopyStillBlocks();
    void sameProcessSecondObjectBlocked();
    void unusableFolderLetsStartGoOn();

private:
    // Starts a child that takes the lock for `name` and holds it until its input closes.
    bool startHolder(const QString &name = kProgram);

    QTemporaryDir *dir_ = nullptr;
    QProcess *holder_ = nullptr;
};

void TestSingleInstance::init()
{
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    holder_ = new QProcess;
}

void TestSingleInstance::cleanup()
{
    if (holder_->state() != QProcess::NotRunning) {
        holder_->kill();
        holder_->waitForFinished(5000);
    }
    delete holder_;
    delete dir_;
}

bool TestSingleInstance::startHolder(const QString &name)
{
    holder_->start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--hold"), name, dir_->path()});
    if (!holder_->waitForStarted(5000) || !holder_->waitForReadyRead(5000))
        return false;
    return holder_->readLine().trimmed() == "Acquired";
}

void TestSingleInstance::runningCopyBlocksSecond()
{
    QVERIFY(startHolder());
    SingleInstance second(kProgram, dir_->path());
    QCOMPARE(second.acquire(), SingleInstance::Status::AlreadyRunning);
    // Asking again does not change the answer while the first copy runs.
    QCOMPARE(second.acquire(), SingleInstance::Status::AlreadyRunning);
}

void TestSingleInstance::otherProgramNotBlocked()
{
    QVERIFY(startHolder());
    SingleInstance viewer(QStringLiteral("vtlogviewer"), dir_->path());
    QCOMPARE(viewer.acquire(), SingleInstance::Status::Acquired);
}

void TestSingleInstance::orderlyExitFreesLock()
{
    QVERIFY(startHolder());
    holder_->closeWriteChannel();
    QVERIFY(holder_->waitForFinished(5000));
    QCOMPARE(holder_->exitCode(), 0);
    QVERIFY(!QFile::exists(dir_->filePath(kProgram + QStringLiteral(".lock"))));
    SingleInstance next(kProgram, dir_->path());
    QCOMPARE(next.acquire(), SingleInstance::Status::Acquired);
}

void TestSingleInstance::crashedCopyDoesNotBlock()
{
    QVERIFY(startHolder());
    holder_->kill(); // no chance to remove its lock
    QVERIFY(holder_->waitForFinished(5000));
    QVERIFY(QFile::exists(dir_->filePath(kProgram + QStringLiteral(".lock"))));

    SingleInstance next(kProgram, dir_->path());
    QCOMPARE(next.acquire(), SingleInstance::Status::Acquired);
    // And the new copy now blocks the one after it.
    SingleInstance third(kProgram, dir_->path());
    QCOMPARE(third.acquire(), SingleInstance::Status::AlreadyRunning);
}

void TestSingleInstance::oldLockOfLiveCopyStillBlocks()
{
    // A copy that has run for days holds a lock file that was written long ago.
    QVERIFY(startHolder());
    QFile lock(dir_->filePath(kProgram + QStringLiteral(".lock")));
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-3),
                             QFileDevice::FileModificationTime));
    lock.close();
    SingleInstance second(kProgram, dir_->path());
    QCOMPARE(second.acquire(), SingleInstance::Status::AlreadyRunning);
}

void TestSingleInstance::sameProcessSecondObjectBlocked()
{
    SingleInstance first(kProgram, dir_->path());
    QCOMPARE(first.acquire(), SingleInstance::Status::Acquired);
    QCOMPARE(first.acquire(), SingleInstance::Status::Acquired);
    SingleInstance second(kProgram, dir_->path());
    QCOMPARE(second.acquire(), SingleInstance::Status::AlreadyRunning);
}

void TestSingleInstance::unusableFolderLetsStartGoOn()
{
    // The "folder" is a file, so no lock can be made in it.
    const QString file = dir_->filePath(QStringLiteral("not-a-folder"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    SingleInstance instance(kProgram, file);
    QCOMPARE(instance.acquire(), SingleInstance::Status::Unavailable);
    QVERIFY(!instance.errorString().isEmpty());
}

int main(int argc, char *argv[])
{
    // Child mode: take the lock, say so, and hold it until the standard input closes.
    if (argc == 4 && qstrcmp(argv[1], "--hold") == 0) {
        SingleInstance instance(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        const SingleInstance::Status status = instance.acquire();
        std::printf("%s\n", status == SingleInstance::Status::Acquired ? "Acquired" : "Refused");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_singleinstance.moc"
