// The program folder decides which files all three programs share, and the identity is a
// user's address on the wire; both come from the environment.
#include "common/environment.h"

#include <QtTest>

namespace
{
const char *const kVariables[] = {"VTMESSENGER_HOME", "COMPUTERNAME", "USERNAME", "USER"};

void setOrUnset(const char *name, const QString &value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value.toUtf8());
}
} // namespace

class TestEnvironment final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void programFolderHonoursHomeAndCreatesIt_data();
    void programFolderHonoursHomeAndCreatesIt();
    void programFolderWithoutHomeIsTheExecutablesWhenWritable();
    void identityIsUpperCaseComputerAndUser_data();
    void identityIsUpperCaseComputerAndUser();
    void namesFallBackWhenTheVariablesAreMissing();

private:
    QHash<QByteArray, QByteArray> saved_;
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestEnvironment::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    for (const char *name : kVariables)
        if (qEnvironmentVariableIsSet(name))
            saved_.insert(name, qgetenv(name));
}

void TestEnvironment::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestEnvironment::cleanup()
{
    for (const char *name : kVariables) {
        if (saved_.contains(name))
            qputenv(name, saved_.value(name));
        else
            qunsetenv(name);
    }
}

void TestEnvironment::programFolderHonoursHomeAndCreatesIt_data()
{
    QTest::addColumn<QString>("home");     // relative to the temporary folder
    QTest::addColumn<QString>("expected"); // likewise
    QTest::newRow("existing") << "."
                              << ".";
    QTest::newRow("missing, several levels") << "a/b/vtm"
                                             << "a/b/vtm";
    QTest::newRow("trailing slash and dots") << "a/./b/../vtm/"
                                             << "a/vtm";
    QTest::newRow("blank in the name") << "Vantrell Messenger"
                                       << "Vantrell Messenger";
}

void TestEnvironment::programFolderHonoursHomeAndCreatesIt()
{
    QFETCH(QString, home);
    QFETCH(QString, expected);
    const QDir base(dir_->path());
    qputenv("VTMESSENGER_HOME", base.filePath(home).toUtf8());

    const QString folder = Environment::programFolder();
    QCOMPARE(folder, QDir::cleanPath(base.filePath(expected)));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(Environment::programFile(QStringLiteral("settings.txt")),
             folder + QStringLiteral("/settings.txt"));
}

// A portable install keeps its files beside the program, as the Windows copies do.
void TestEnvironment::programFolderWithoutHomeIsTheExecutablesWhenWritable()
{
    qunsetenv("VTMESSENGER_HOME");
    const QString exe = QCoreApplication::applicationDirPath();
    QCOMPARE(Environment::executableFolder(), exe);
    if (!QFileInfo(exe).isWritable())
        QSKIP("the test's own folder is not writable");
    QCOMPARE(Environment::programFolder(), QDir::cleanPath(exe));
}

void TestEnvironment::identityIsUpperCaseComputerAndUser_data()
{
    QTest::addColumn<QString>("computer"); // null: unset
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("expected");

    QTest::newRow("both set") << "pc7"
                              << "operator" << QString() << "[PC7\\OPERATOR]";
    QTest::newRow("USERNAME wins over USER") << "Pc7"
                                             << "Operator"
                                             << "root"
                                             << "[PC7\\OPERATOR]";
    QTest::newRow("USER when USERNAME is unset") << "front-desk" << QString() << "ann"
                                                 << "[FRONT-DESK\\ANN]";
    QTest::newRow("USER when USERNAME is empty") << "front-desk"
                                                 << ""
                                                 << "ann"
                                                 << "[FRONT-DESK\\ANN]";
    QTest::newRow("accented") << "rezeption"
                              << "j\u00FCrgen" << QString() << "[REZEPTION\\J\u00DCRGEN]";
}

void TestEnvironment::identityIsUpperCaseComputerAndUser()
{
    QFETCH(QString, computer);
    QFETCH(QString, userName);
    QFETCH(QString, user);
    QFETCH(QString, expected);
    setOrUnset("COMPUTERNAME", computer);
    setOrUnset("USERNAME", userName);
    setOrUnset("USER", user);
    QCOMPARE(Environment::identity(), expected);
}

// Without the Windows variables a Linux desktop still gets a usable identity.
void TestEnvironment::namesFallBackWhenTheVariablesAreMissing()
{
    qunsetenv("COMPUTERNAME");
    qunsetenv("USERNAME");
    qunsetenv("USER");
    QCOMPARE(Environment::computerName(), QSysInfo::machineHostName());
    QVERIFY(!Environment::userName().isEmpty());
}

QTEST_GUILESS_MAIN(TestEnvironment)
#include "test_environment.moc"
