// The data files are shared with Windows copies (CR LF, Windows-1252) and may have been
// edited by hand on Linux (LF) or cut short; and a failed save must never cost the old file.
#include "common/textfile.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace
{
QByteArray rawContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool putRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The ways a save can fail; each leaves an old file behind except where there is none.
enum class Failure {
    ReadOnlyFile,
    ReadOnlyFolder,
    FileSizeLimit,
    MissingFolder,
    ParentIsAFile,
    TargetIsAFolder
};
} // namespace

Q_DECLARE_METATYPE(Failure)

class TestTextFile final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void writeLinesEndsEveryLineWithCrLf();
    void writeKeepsTheCallersLineEnds();
    void readsLineEndsOfEitherKind_data();
    void readsLineEndsOfEitherKind();
    void linesSurviveARoundTrip_data();
    void linesSurviveARoundTrip();
    void readReportsAMissingOrUnreadableFile();
    void writeReplacesTheWholeFile();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestTextFile::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestTextFile::writeLinesEndsEveryLineWithCrLf()
{
    const QString path = dir_->filePath(QStringLiteral("settings.txt"));
    QVERIFY(TextFile::writeLines(path, {QStringLiteral("Vantrell Messenger v1.5.1"),
                                        QStringLiteral("[MY NAME             ]=J\u00DCRGEN \u20AC"),
                                        QString(), QStringLiteral("End")}));
    QCOMPARE(rawContent(path), QByteArray("Vantrell Messenger v1.5.1\r\n"
                                          "[MY NAME             ]=J\xDCRGEN \x80\r\n"
                                          "\r\n"
                                          "End\r\n"));

    QVERIFY(TextFile::writeLines(path, {}));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(rawContent(path), QByteArray());
}

void TestTextFile::writeKeepsTheCallersLineEnds()
{
    const QString path = dir_->filePath(QStringLiteral("plain.txt"));
    QVERIFY(TextFile::write(path, QStringLiteral("a\r\nb\nc \u2026 \u0416")));
    QCOMPARE(rawContent(path), QByteArray("a\r\nb\nc \x85 ?"));
}

void TestTextFile::readsLineEndsOfEitherKind_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\nb\r\nc\n") << QStringList{"a", "b", "c"};
    QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("single line without end") << QByteArray("only") << QStringList{"only"};
    QTest::newRow("empty lines kept")
        << QByteArray("a\r\n\r\n\nb\r\n") << QStringList{"a", "", "", "b"};
    QTest::newRow("trailing empty line") << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("blanks kept") << QByteArray("  a  \r\n\t\r\n") << QStringList{"  a  ", "\t"};
    QTest::newRow("lone CR inside a line") << QByteArray("a\rb\r\n") << QStringList{"a\rb"};
    QTest::newRow("file cut inside CR LF") << QByteArray("a\r\nBOB\r") << QStringList{"a", "BOB"};
    QTest::newRow("code page") << QByteArray("\x93Hi\x94 caf\xE9\r\n")
                               << QStringList{QStringLiteral("\u201CHi\u201D caf\u00E9")};
}

void TestTextFile::readsLineEndsOfEitherKind()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    const QString path = dir_->filePath(QStringLiteral("in.txt"));
    QVERIFY(putRaw(path, bytes));

    QStringList read;
    QVERIFY(TextFile::readLines(path, &read));
    QCOMPARE(read, lines);
}

void TestTextFile::linesSurviveARoundTrip_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("several") << QStringList{"[Group01]=Front desk", "\"a, b\",\"c\"", "x"};
    QTest::newRow("empty lines at both ends") << QStringList{"", "middle", ""};
    QTest::newRow("one empty line") << QStringList{""};
    QTest::newRow("none") << QStringList{};
}

void TestTextFile::linesSurviveARoundTrip()
{
    QFETCH(QStringList, lines);
    const QString path = dir_->filePath(QStringLiteral("groups.txt"));
    QVERIFY(TextFile::writeLines(path, lines));
    QStringList read;
    QVERIFY(TextFile::readLines(path, &read));
    QCOMPARE(read, lines);
}

void TestTextFile::readReportsAMissingOrUnreadableFile()
{
    QString text = QStringLiteral("untouched");
    QVERIFY(!TextFile::read(dir_->filePath(QStringLiteral("missing.txt")), &text));
    QStringList lines{QStringLiteral("untouched")};
    QVERIFY(!TextFile::readLines(dir_->filePath(QStringLiteral("missing.txt")), &lines));
    QCOMPARE(lines, QStringList{QStringLiteral("untouched")});

    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("logs")));
    QVERIFY(!TextFile::read(dir_->filePath(QStringLiteral("logs")), &text));
}

void TestTextFile::writeReplacesTheWholeFile()
{
    const QString path = dir_->filePath(QStringLiteral("hist.dat"));
    QVERIFY(putRaw(path, QByteArray(4000, 'x')));
    QVERIFY(TextFile::writeLines(path, {QStringLiteral("short")}));
    QCOMPARE(rawContent(path), QByteArray("short\r\n"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"hist.dat"});
}

void TestTextFile::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::newRow("read-only file") << Failure::ReadOnlyFile;
    QTest::newRow("read-only folder") << Failure::ReadOnlyFolder;
    QTest::newRow("disk full (file size limit)") << Failure::FileSizeLimit;
    QTest::newRow("missing folder") << Failure::MissingFolder;
    QTest::newRow("parent is a file") << Failure::ParentIsAFile;
    QTest::newRow("target is a folder") << Failure::TargetIsAFolder;
}

void TestTextFile::failedWriteKeepsTheOldFile()
{
    QFETCH(Failure, failure);
    const QString folder = dir_->filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + QStringLiteral("/buttons.txt");
    const QByteArray old("\"Patient arrived?\",\"Patient arrived?\",\"1\"\r\n");
    QVERIFY(putRaw(path, old));
    // Long enough to cross a small file size limit.
    const QStringList lines(200, QStringLiteral("\"Room ready\",\"Room ready\",\"0\""));
    QStringList before =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    switch (failure) {
    case Failure::ReadOnlyFile: {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser));
        QFile probe(path);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            QSKIP("file permissions do not bind this user (root)");
        break;
    }
    case Failure::ReadOnlyFolder: {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser |
                                                  QFile::ExeUser));
        QFile probe(folder + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("folder permissions do not bind this user (root)");
        }
        break;
    }
    case Failure::FileSizeLimit:
#ifndef Q_OS_UNIX
        QSKIP("needs a Unix file size limit");
#endif
        break;
    case Failure::MissingFolder:
        path = folder + QStringLiteral("/nowhere/buttons.txt");
        break;
    case Failure::ParentIsAFile:
        path = folder + QStringLiteral("/buttons.txt/buttons.txt");
        break;
    case Failure::TargetIsAFolder:
        path = folder + QStringLiteral("/logs");
        QVERIFY(QDir(folder).mkdir(QStringLiteral("logs")));
        before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        break;
    }

    bool written = true;
#ifdef Q_OS_UNIX
    if (failure == Failure::FileSizeLimit) {
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto *const oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        written = TextFile::writeLines(path, lines);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    } else
#endif
    {
        written = TextFile::writeLines(path, lines);
    }

    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(!written, "a failed save must be reported");
    QCOMPARE(rawContent(folder + QStringLiteral("/buttons.txt")), old);
    // No half-written temporary file is left beside it.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             before);
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "test_textfile.moc"
