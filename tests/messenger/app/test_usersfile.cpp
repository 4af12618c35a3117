// The known-users file: what the loader makes of the file (hand edits included), the
// once-per-run cache reset, and exactly what the saver writes.
#include "messenger/app/options.h"
#include "messenger/app/usersfile.h"
#include "messenger/net/directory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{
QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}
} // namespace

class TestUsersFile : public QObject
{
    Q_OBJECT

private:
    Options options;
    QScopedPointer<QTemporaryDir> folder;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("COMPUTERNAME", "mypc");
        qputenv("USERNAME", "me");
    }

    void init()
    {
        options = Options();
        options.friendlyname = QStringLiteral("ME");
        folder.reset(new QTemporaryDir);
        QVERIFY(folder->isValid());
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("userlist");
        QTest::newRow("entries in file order") << QByteArray("[PC2\\ANN]=ANN\r\n[PC1\\BOB]=BOB\r\n")
                                               << QStringList({"[PC2\\ANN]=ANN", "[PC1\\BOB]=BOB"});
        QTest::newRow("hand-edited lower case, LF only")
            << QByteArray("[pc1\\bob]=bob smith\n") << QStringList({"[PC1\\BOB]=BOB SMITH"});
        QTest::newRow("comma splits a name into two entries")
            << QByteArray("[PC1\\BOB]=SMITH, JOHN\r\n")
            << QStringList({"[PC1\\BOB]=SMITH", "JOHN"});
        QTest::newRow("quoted entry keeps its comma")
            << QByteArray("\"[PC1\\BOB]=SMITH, JOHN\"\r\n")
            << QStringList({"[PC1\\BOB]=SMITH, JOHN"});
        QTest::newRow("everybody entries skipped")
            << QByteArray("[ALL]=ALL\r\n[all]=all\r\n[ALL]=BOB\r\n[PC1\\BOB]=BOB\r\n")
            << QStringList({"[PC1\\BOB]=BOB"});
        QTest::newRow("blank lines skipped")
            << QByteArray("\r\n[PC1\\BOB]=BOB\r\n   \r\n\r\n") << QStringList({"[PC1\\BOB]=BOB"});
        QTest::newRow("truncated last line") << QByteArray("[PC1\\BOB]=BOB\r\n[PC2\\AN")
                                             << QStringList({"[PC1\\BOB]=BOB", "[PC2\\AN"});
        QTest::newRow("8-bit name") << QByteArray("[PC3\\JOSE]=jos\xe9\r\n")
                                    << QStringList({QStringLiteral("[PC3\\JOSE]=JOS\u00c9")});
        QTest::newRow("empty file") << QByteArray() << QStringList();
    }

    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, userlist);
        UsersFile users(folder->path());
        putFile(users.path(), file);
        Directory directory(options);
        directory.userlist = {QStringLiteral("[OLD\\ONE]=GONE")};
        directory.user = QStringLiteral("stale");
        bool cachecleared = false;
        QVERIFY(users.loadusers_Click(directory, cachecleared));
        QCOMPARE(directory.userlist, userlist);
        QCOMPARE(directory.user, QStringLiteral("[MYPC\\ME]"));
        QCOMPARE(fileBytes(users.path()), file);
    }

    void missingFileLeavesDirectoryEmptyUntilTheNextWrite()
    {
        UsersFile users(folder->path());
        Directory directory(options);
        directory.userlist = {QStringLiteral("[OLD\\ONE]=GONE")};
        bool cachecleared = false;
        QVERIFY(users.loadusers_Click(directory, cachecleared));
        QVERIFY(directory.userlist.isEmpty());
        QVERIFY(!QFile::exists(users.path()));

        directory.userlist = {QStringLiteral("[PC1\\BOB]=BOB")};
        QVERIFY(users.saveusers_Click(directory));
        QCOMPARE(fileBytes(users.path()), QByteArray("[PC1\\BOB]=BOB\r\n"));
    }

    void cacheIsClearedOncePerRun()
    {
        options.startclearusers = true;
        UsersFile users(folder->path());
        putFile(users.path(), "[PC1\\BOB]=BOB\r\n[PC2\\ANN]=ANN\r\n");
        Directory directory(options);
        bool cachecleared = false;

        QVERIFY(users.loadusers_Click(directory, cachecleared));
        QVERIFY(cachecleared);
        QCOMPARE(directory.userlist, QStringList({"[MYPC\\ME]=ME"}));
        QCOMPARE(fileBytes(users.path()), QByteArray("[MYPC\\ME]=ME\r\n"));

        // Later loads of the same run read the file as it then is.
        putFile(users.path(), "[MYPC\\ME]=ME\r\n[PC1\\BOB]=BOB\r\n");
        QVERIFY(users.loadusers_Click(directory, cachecleared));
        QCOMPARE(directory.userlist, QStringList({"[MYPC\\ME]=ME", "[PC1\\BOB]=BOB"}));
    }

    void cacheKeptWithoutTheOption()
    {
        UsersFile users(folder->path());
        putFile(users.path(), "[PC1\\BOB]=BOB\r\n");
        Directory directory(options);
        bool cachecleared = false;
        QVERIFY(users.loadusers_Click(directory, cachecleared));
        QVERIFY(!cachecleared);
        QCOMPARE(directory.userlist, QStringList({"[PC1\\BOB]=BOB"}));
    }

    void saveWritesUpperCaseLinesWithoutEverybody()
    {
        UsersFile users(folder->path());
        Directory directory(options);
        directory.userlist = {QStringLiteral("[pc1\\bob]=bob"), QStringLiteral("[ALL]=ALL"),
                              QStringLiteral("[ALL]=EVERYBODY"),
                              QStringLiteral("[PC3\\JOSE]=JOS\u00c9"),
                              QStringLiteral("[PC4\\X]=SMITH, JOHN")};
        QVERIFY(users.saveusers_Click(directory));
        QCOMPARE(fileBytes(users.path()),
                 QByteArray("[PC1\\BOB]=BOB\r\n[PC3\\JOSE]=JOS\xc9\r\n[PC4\\X]=SMITH, JOHN\r\n"));

        // Read back, the comma splits the last entry, as the older copies do too.
        bool cachecleared = false;
        QVERIFY(users.loadusers_Click(directory, cachecleared));
        QCOMPARE(directory.userlist,
                 QStringList({"[PC1\\BOB]=BOB", QStringLiteral("[PC3\\JOSE]=JOS\u00c9"),
                              "[PC4\\X]=SMITH", "JOHN"}));
    }

    void failuresAreReportedAndKeepTheOldFile()
    {
        UsersFile users(folder->path());
        // A folder where the file should be: neither readable as a file nor replaceable.
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("users.txt")));
        Directory directory(options);
        directory.userlist = {QStringLiteral("[PC1\\BOB]=BOB")};
        QVERIFY(!users.saveusers_Click(directory));
        bool cachecleared = false;
        QVERIFY(!users.loadusers_Click(directory, cachecleared));
        QVERIFY(directory.userlist.isEmpty());

        options.startclearusers = true;
        QVERIFY(!users.loadusers_Click(directory, cachecleared));
        QVERIFY2(!cachecleared, "a reset that was not written is tried again on the next load");
    }
};

QTEST_APPLESS_MAIN(TestUsersFile)
#include "test_usersfile.moc"
