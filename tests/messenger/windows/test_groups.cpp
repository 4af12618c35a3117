// The groups: the default file and the 16-character keys exactly as the Windows copies
// write them, what the loader makes of files (members resolved through the directory),
// what a save writes, and the editor's operations.
#include "messenger/app/options.h"
#include "messenger/net/directory.h"
#include "messenger/windows/groups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
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

QString pad(const QString &name, int slot)
{
    return name + QString(30, QLatin1Char(' ')) + QString::number(slot);
}

const QByteArray kDefaultFile = "[Group01name  ]=CLINICAL\r\n"
                                "[Group02name  ]=BUSINESS\r\n"
                                "[Group03name  ]=\r\n"
                                "[Group04name  ]=\r\n"
                                "[Group05name  ]=\r\n"
                                "[Group06name  ]=\r\n"
                                "[Group07name  ]=\r\n"
                                "[Group08name  ]=\r\n"
                                "[Group09name  ]=\r\n"
                                "[Group10name  ]=\r\n"
                                "\r\n";

// Ten name lines (slot i named names[i] or empty), then the member lines given.
QByteArray groupFile(const QStringList &names, const QByteArray &members = {})
{
    QByteArray out;
    for (int i = 0; i < 10; ++i) {
        out += QStringLiteral("[Group%1name  ]=").arg(i + 1, 2, 10, QLatin1Char('0')).toLatin1();
        out += names.value(i).toLatin1() + "\r\n";
    }
    return out + members;
}
} // namespace

class TestGroups : public QObject
{
    Q_OBJECT

private:
    Options options;
    QScopedPointer<Directory> directory;
    QScopedPointer<QTemporaryDir> folder;

    QString path() const { return folder->filePath(QStringLiteral("groups.txt")); }

private Q_SLOTS:
    void init()
    {
        folder.reset(new QTemporaryDir);
        QVERIFY(folder->isValid());
        directory.reset(new Directory(options));
        directory->userlist = {QStringLiteral("[PC1\\BOB]=BOB"), QStringLiteral("[PC2\\ANN]=ANN"),
                               QStringLiteral("[PC3\\JOANN]=JOANN")};
    }

    void keysAreSixteenCharacters_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("member");
        QTest::newRow("first") << 0 << "[Group01name  ]="
                               << "[Group01member]=";
        QTest::newRow("ninth") << 8 << "[Group09name  ]="
                               << "[Group09member]=";
        QTest::newRow("tenth") << 9 << "[Group10name  ]="
                               << "[Group10member]=";
    }

    void keysAreSixteenCharacters()
    {
        QFETCH(int, slot);
        QFETCH(QString, name);
        QFETCH(QString, member);
        QCOMPARE(Groups::nameKey(slot), name);
        QCOMPARE(Groups::memberKey(slot), member);
        QCOMPARE(name.size(), 16);
        QCOMPARE(member.size(), 16);
    }

    void missingFileGivesTheDefaultFileAndTwoEmptyGroups()
    {
        Groups groups(folder->path(), *directory);
        QSignalSpy mainList(&groups, &Groups::mainListChanged);
        QVERIFY(groups.loadgroups_Click());
        QCOMPARE(fileBytes(path()), kDefaultFile);
        QCOMPARE(Groups::defaultFileBytes(), kDefaultFile);

        const QStringList expected{pad("CLINICAL", 0), pad("BUSINESS", 1)};
        QCOMPARE(groups.List1, expected);
        QCOMPARE(groups.mainList, expected);
        QCOMPARE(mainList.count(), 1);
        QCOMPARE(Groups::nameOf(groups.List1.at(1)), QStringLiteral("BUSINESS"));
        QCOMPARE(Groups::slotOf(groups.List1.at(1)), 1);
        for (int i = 0; i < Groups::SlotCount; ++i) {
            QCOMPARE(groups.usedgroups[i], i < 2);
            QVERIFY(groups.group[i].isEmpty());
        }
        // The first group is selected; every known user is available.
        QCOMPARE(groups.selectedGroup, 0);
        QCOMPARE(groups.curgroup, 0);
        QCOMPARE(groups.users, QStringList({"BOB", "ANN", "JOANN"}));
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QStringList>("members");

        QTest::newRow("members resolved through the directory, any case")
            << groupFile({"CLINICAL"},
                         "[Group01member]=[PC2\\ANN]\r\n[Group01member]=[pc1\\bob]\r\n")
            << QStringList{pad("CLINICAL", 0)} << 0 << QStringList{"ANN", "BOB"};
        QTest::newRow("unknown member and an empty key are not found")
            << groupFile(
                   {"A"},
                   "[Group01member]=[PC9\\GONE]\r\n[Group01member]=[---]\r\n[Group01member]=\r\n")
            << QStringList{pad("A", 0)} << 0 << QStringList{"not found", "not found", "not found"};
        QTest::newRow("slot 10 is digit 9, names keep their case")
            << groupFile({"", "", "", "", "", "", "", "", "", "Front desk"},
                         "[Group10member]=[PC3\\JOANN]\r\n")
            << QStringList{pad("Front desk", 9)} << 9 << QStringList{"JOANN"};
        QTest::newRow("a comma cuts a name")
            << groupFile({"SMITH, JONES"}) << QStringList{pad("SMITH", 0)} << 0 << QStringList();
        QTest::newRow("a quote typed into a name swallows no later line")
            << groupFile({"A,\"B", "C"}, "[Group02member]=[PC1\\BOB]\r\n")
            << QStringList{pad("A", 0), pad("C", 1)} << 1 << QStringList{"BOB"};
        QTest::newRow("file order, LF ends, junk skipped")
            << QByteArray(
                   "junk\n[Group03name  ]=THIRD\n[group01name  ]=LOWER KEY\n[Group01name ]=SHORT\n"
                   "[Group03member]=[PC1\\BOB]\n[Group01name  ]=FIRST\n[Group1")
            << QStringList{pad("THIRD", 2), pad("FIRST", 0)} << 2 << QStringList{"BOB"};
        QTest::newRow("a second name line for a slot is skipped")
            << QByteArray("[Group01name  ]=ONE\r\n[Group01name  ]=AGAIN\r\n")
            << QStringList{pad("ONE", 0)} << 0 << QStringList();
        QTest::newRow("empty file") << QByteArray() << QStringList() << 0 << QStringList();
    }

    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, list);
        QFETCH(int, slot);
        QFETCH(QStringList, members);
        putFile(path(), file);
        Groups groups(folder->path(), *directory);
        groups.group[5] = QStringList{"STALE"};
        QVERIFY(groups.loadgroups_Click());
        QCOMPARE(groups.List1, list);
        QCOMPARE(groups.mainList, list);
        QCOMPARE(groups.group[slot], members);
        QVERIFY(groups.group[5].isEmpty());
        for (const QString &entry : list)
            QVERIFY(groups.usedgroups[Groups::slotOf(entry)]);
        QCOMPARE(fileBytes(path()), file);
    }

    void saveWritesUpperCaseNamesAndIdentities()
    {
        putFile(path(), groupFile({"CLINICAL", "BUSINESS"},
                                  "[Group01member]=[PC1\\BOB]\r\n[Group01member]=[PC9\\GONE]\r\n"));
        Groups groups(folder->path(), *directory);
        QVERIFY(groups.loadgroups_Click());
        QVERIFY(groups.newGroup(QStringLiteral("Front Desk")));
        groups.group[2] = QStringList{"Ann", "all"};
        QVERIFY(groups.savegroups_Click());
        QCOMPARE(fileBytes(path()),
                 groupFile({"CLINICAL", "BUSINESS", "FRONT DESK"}, "[Group01member]=[PC1\\BOB]\r\n"
                                                                   "[Group01member]=[---]\r\n"
                                                                   "[Group03member]=[PC2\\ANN]\r\n"
                                                                   "[Group03member]=[ALL]\r\n"));

        // Read back: the lost member stays "not found", the rest are directory names.
        QVERIFY(groups.loadgroups_Click());
        QCOMPARE(groups.List1.at(2), pad("FRONT DESK", 2));
        QCOMPARE(groups.group[0], QStringList({"BOB", "not found"}));
        QCOMPARE(groups.group[2], QStringList({"ANN", "not found"}));
    }

    void membersOfAnUnusedSlotAreNotSaved()
    {
        putFile(path(), groupFile({"A"}, "[Group02member]=[PC1\\BOB]\r\n"));
        Groups groups(folder->path(), *directory);
        QVERIFY(groups.loadgroups_Click());
        QCOMPARE(groups.group[1], QStringList({"BOB"}));
        QVERIFY(groups.savegroups_Click());
        QCOMPARE(fileBytes(path()), groupFile({"A"}));
    }

    void memberIdentitiesForSending()
    {
        Groups groups(folder->path(), *directory);
        groups.group[4] = QStringList{"Joann", "not found", "ALL"};
        QCOMPARE(groups.memberIdentities(4), QStringList({"[PC3\\JOANN]", "[---]", "[ALL]"}));
        QVERIFY(groups.memberIdentities(10).isEmpty());
    }

    void newGroupUpToTen()
    {
        Groups groups(folder->path(), *directory);
        QVERIFY(groups.loadgroups_Click());
        QVERIFY(!groups.newGroup(QString()));
        QCOMPARE(groups.List1.size(), 2);
        for (int i = 2; i < 10; ++i) {
            QCOMPARE(groups.freeSlot(), i);
            QVERIFY(groups.newGroup(QStringLiteral("g%1").arg(i)));
        }
        QCOMPARE(groups.List1.last(), pad("g9", 9));
        QCOMPARE(groups.freeSlot(), -1);
        const QStringList before = groups.List1;
        QVERIFY(!groups.newGroup(QStringLiteral("eleventh")));
        QCOMPARE(groups.List1, before);

        // A deleted group's slot is the next one taken.
        groups.selectGroup(3);
        QVERIFY(groups.deleteGroup({}));
        QCOMPARE(groups.freeSlot(), 3);
        QVERIFY(groups.newGroup(QStringLiteral("again")));
        QCOMPARE(groups.List1.last(), pad("again", 3));
    }

    void changeNameKeepsThePositionAndSlot()
    {
        putFile(path(), groupFile({"A", "B", "C"}));
        Groups groups(folder->path(), *directory);
        QVERIFY(groups.loadgroups_Click());
        groups.selectGroup(1);
        QVERIFY(!groups.changeName(QString()));
        QVERIFY(groups.changeName(QStringLiteral("Billing")));
        QCOMPARE(groups.List1, QStringList({pad("A", 0), pad("BILLING", 1), pad("C", 2)}));
        // The main window's list changes only through a load.
        QCOMPARE(groups.mainList.at(1), pad("B", 1));
        groups.selectGroup(-1);
        QVERIFY(!groups.changeName(QStringLiteral("X")));
    }

    void deleteSelectsTheRowBefore()
    {
        putFile(path(), groupFile({"A", "B", "C"}, "[Group02member]=[PC1\\BOB]\r\n"));
        Groups groups(folder->path(), *directory);
        QVERIFY(groups.loadgroups_Click());

        groups.selectGroup(1);
        QVERIFY(groups.deleteGroup({}));
        QCOMPARE(groups.List1, QStringList({pad("A", 0), pad("C", 2)}));
        QVERIFY(!groups.usedgroups[1]);
        QVERIFY(groups.group[1].isEmpty());
        QCOMPARE(groups.selectedGroup, 0);
        QCOMPARE(groups.curgroup, 0);

        // Deleting the first group leaves none selected, and nothing more to delete.
        QVERIFY(groups.deleteGroup({}));
        QCOMPARE(groups.selectedGroup, -1);
        QVERIFY(!groups.deleteGroup({}));

        // The last group gone: the main window's user list is offered.
        groups.selectGroup(0);
        QVERIFY(groups.deleteGroup({"Bob", "Ann"}));
        QVERIFY(groups.List1.isEmpty());
        QCOMPARE(groups.users, QStringList({"Bob", "Ann"}));
        QVERIFY(!groups.addMember(0));
    }

    void movingMembers()
    {
        putFile(path(), groupFile({"A", "B"},
                                  "[Group01member]=[pc2\\ann]\r\n[Group01member]=[PC9\\GONE]\r\n"));
        directory->userlist.append(QStringLiteral("[PC4\\LOW]=low case"));
        Groups groups(folder->path(), *directory);
        QVERIFY(groups.loadgroups_Click());
        // Members are left out of the available users, whatever their case.
        QCOMPARE(groups.users, QStringList({"BOB", "JOANN", "LOW CASE"}));

        QVERIFY(groups.addMember(1));
        QCOMPARE(groups.group[0], QStringList({"ANN", "not found", "JOANN"}));
        QCOMPARE(groups.users, QStringList({"BOB", "LOW CASE"}));
        QVERIFY(!groups.addMember(5));

        QVERIFY(groups.removeMember(1)); // "not found" is not offered again
        QCOMPARE(groups.users, QStringList({"BOB", "LOW CASE"}));
        QVERIFY(groups.removeMember(0));
        QCOMPARE(groups.group[0], QStringList({"JOANN"}));
        QCOMPARE(groups.users, QStringList({"BOB", "LOW CASE", "ANN"}));
        QVERIFY(!groups.removeMember(3));

        // Another group shows its own members and available users.
        groups.selectGroup(1);
        QCOMPARE(groups.curgroup, 1);
        QCOMPARE(groups.users, QStringList({"BOB", "ANN", "JOANN", "LOW CASE"}));
    }

    void unreadableFileKeepsTheGroups()
    {
        Groups groups(folder->path(), *directory);
        QVERIFY(groups.loadgroups_Click());
        QVERIFY(QFile::remove(path()));
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("groups.txt")));
        QVERIFY(!groups.loadgroups_Click());
        QCOMPARE(groups.List1.size(), 2);
        QVERIFY(!groups.savegroups_Click());
        QVERIFY(QFileInfo(path()).isDir());
    }
};

QTEST_APPLESS_MAIN(TestGroups)
#include "test_groups.moc"
