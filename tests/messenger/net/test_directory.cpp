// The user directory and presence: reply counts, adding and renaming users, the visible list,
// sign-off, the two lookups and the recipient selection.
#include "messenger/app/options.h"
#include "messenger/net/directory.h"

#include <QSignalSpy>
#include <QTest>

namespace
{
const QString kBob = QStringLiteral("[PC1\\BOB]=BOB");
const QString kAnn = QStringLiteral("[PC2\\ANN]=ANN");
const QString kOwn = QStringLiteral("[MYPC\\ME]=ME");
} // namespace

class TestDirectory : public QObject
{
    Q_OBJECT

private:
    Options options;

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
    }

    void announceAndSignOffUseTheCurrentIdentity()
    {
        Directory directory(options);
        QSignalSpy sent(&directory, &Directory::send);
        directory.announce();
        qputenv("COMPUTERNAME", "laptop");
        directory.signOff();
        qputenv("COMPUTERNAME", "mypc");
        QCOMPARE(sent.count(), 2);
        QCOMPARE(sent.at(0).at(0).toString(), QStringLiteral("***[MYPC\\ME]=ME"));
        QCOMPARE(sent.at(1).at(0).toString(), QStringLiteral("-**[LAPTOP\\ME]=ME"));
        QCOMPARE(directory.user, QStringLiteral("[LAPTOP\\ME]"));
    }

    void replies_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::addColumn<int>("replies");
        QTest::newRow("announcement from a newcomer") << QStringLiteral("***[PC3\\JOE]=joe") << 2;
        QTest::newRow("announcement from a known user") << QStringLiteral("***[PC1\\BOB]=BOB") << 1;
        QTest::newRow("announcement under a new name")
            << QStringLiteral("***[PC1\\BOB]=ROBERT") << 1;
        QTest::newRow("own announcement received back") << QStringLiteral("***[MYPC\\ME]=ME") << 1;
        QTest::newRow("reply from a newcomer") << QStringLiteral("**-[PC3\\JOE]=JOE") << 0;
        QTest::newRow("reply from a known user") << QStringLiteral("**-[PC1\\BOB]=BOB") << 0;
        QTest::newRow("sign-off") << QStringLiteral("-**[PC1\\BOB]=BOB") << 0;
    }

    void replies()
    {
        QFETCH(QString, datagram);
        QFETCH(int, replies);
        Directory directory(options);
        directory.userlist = {kBob, kOwn};
        QSignalSpy sent(&directory, &Directory::send);
        QVERIFY(directory.handlePresence(datagram));
        QCOMPARE(sent.count(), replies);
        for (const QList<QVariant> &args : sent)
            QCOMPARE(args.at(0).toString(), QStringLiteral("**-[MYPC\\ME]=ME"));
    }

    void newcomerIsAddedAndShownAfterHisNextDatagram()
    {
        Directory directory(options);
        directory.userlist = {kBob};
        directory.allusers = {QStringLiteral("Bob")};
        directory.selectUsers({0});
        QSignalSpy grew(&directory, &Directory::directoryGrew);
        QSignalSpy changed(&directory, &Directory::allusersChanged);

        QVERIFY(directory.handlePresence(QStringLiteral("***[pc3\\joe]=joe smith")));
        QCOMPARE(directory.userlist, QStringList({kBob, QStringLiteral("[PC3\\JOE]=JOE SMITH")}));
        QVERIFY(directory.allusers.isEmpty());
        QVERIFY2(directory.multiusers.isEmpty(), "the selection went with the emptied list");
        QCOMPARE(grew.count(), 1);
        QCOMPARE(changed.count(), 1);

        // The replies that follow fill the list again, each name once, whatever its case.
        QVERIFY(directory.handlePresence(QStringLiteral("**-[PC3\\JOE]=JOE SMITH")));
        QVERIFY(directory.handlePresence(QStringLiteral("**-[PC1\\BOB]=BOB")));
        QVERIFY(directory.handlePresence(QStringLiteral("**-[PC1\\BOB]=bob")));
        QCOMPARE(directory.allusers,
                 QStringList({QStringLiteral("Joe Smith"), QStringLiteral("Bob")}));
        QCOMPARE(grew.count(), 1);
        QCOMPARE(directory.userlist.size(), 2);
    }

    void groupChoiceSurvivesANewcomer()
    {
        Directory directory(options);
        directory.chooseGroup();
        QVERIFY(directory.handlePresence(QStringLiteral("**-[PC3\\JOE]=JOE")));
        QCOMPARE(directory.multiusers, QStringList({QString()}));
    }

    void renameReplacesTheEntry()
    {
        Directory directory(options);
        directory.userlist = {kBob, kAnn};
        directory.allusers = {QStringLiteral("Bob"), QStringLiteral("Ann")};
        QSignalSpy grew(&directory, &Directory::directoryGrew);
        QVERIFY(directory.handlePresence(QStringLiteral("***[PC1\\BOB]=Robert")));
        QCOMPARE(directory.userlist, QStringList({kAnn, QStringLiteral("[PC1\\BOB]=ROBERT")}));
        QVERIFY(directory.allusers.isEmpty());
        QCOMPARE(grew.count(), 1);
        QCOMPARE(directory.lookupName(QStringLiteral("bob")), QStringLiteral("[---]"));
        QCOMPARE(directory.lookupName(QStringLiteral("robert")), QStringLiteral("[PC1\\BOB]"));
    }

    void ownNameListedOnlyWithShowMe_data()
    {
        QTest::addColumn<bool>("showme");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("SHOWMEINLIST on") << true << QStringList({QStringLiteral("Me")});
        QTest::newRow("SHOWMEINLIST off") << false << QStringList();
    }

    void ownNameListedOnlyWithShowMe()
    {
        QFETCH(bool, showme);
        QFETCH(QStringList, shown);
        options.showme = showme;
        Directory directory(options);
        directory.userlist = {kOwn};
        QVERIFY(directory.handlePresence(QStringLiteral("***[MYPC\\ME]=ME")));
        QCOMPARE(directory.allusers, shown);
    }

    void signOffTakesTheNameOffTheList()
    {
        Directory directory(options);
        directory.userlist = {kAnn, QStringLiteral("[PC1\\BOB]=BOB JONES")};
        directory.allusers = {QStringLiteral("Ann"), QStringLiteral("Bob Jones")};
        QSignalSpy status(&directory, &Directory::statusText);
        QVERIFY(directory.handlePresence(QStringLiteral("-**[PC1\\BOB]=bob jones")));
        QCOMPARE(directory.allusers, QStringList({QStringLiteral("Ann")}));
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("BOB JONES has signed off"));
        QVERIFY2(directory.userlist.contains(QStringLiteral("[PC1\\BOB]=BOB JONES")),
                 "the entry stays so his messages still show his name");
        QCOMPARE(directory.displayNameOf(QStringLiteral("[PC1\\BOB]")),
                 QStringLiteral("BOB JONES"));
    }

    void signOffThatMatchesNoEntryDoesNothing_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::newRow("unknown identity") << QStringLiteral("-**[PC9\\ANN]=ANN");
        QTest::newRow("known identity, other name") << QStringLiteral("-**[PC2\\ANN]=ANNIE");
    }

    void signOffThatMatchesNoEntryDoesNothing()
    {
        QFETCH(QString, datagram);
        Directory directory(options);
        directory.userlist = {kAnn};
        directory.allusers = {QStringLiteral("Ann")};
        QSignalSpy status(&directory, &Directory::statusText);
        QVERIFY(directory.handlePresence(datagram));
        QCOMPARE(directory.allusers, QStringList({QStringLiteral("Ann")}));
        QCOMPARE(status.count(), 0);
    }

    void malformedPresenceIsIgnored_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::newRow("no equals sign") << QStringLiteral("***[PC3\\JOE]JOE");
        QTest::newRow("marker only") << QStringLiteral("**-");
        QTest::newRow("empty identity") << QStringLiteral("***=BOB");
        QTest::newRow("identity without brackets") << QStringLiteral("***X=FOO");
        QTest::newRow("everybody as identity") << QStringLiteral("***[ALL]=BOB");
        QTest::newRow("nobody as identity") << QStringLiteral("**-[---]=BOB");
        QTest::newRow("line break in name")
            << QStringLiteral("**-[PC3\\JOE]=JOE\r\n[PC2\\ANN]=MALLORY");
        QTest::newRow("empty identity sign-off") << QStringLiteral("-**=ANN");
        QTest::newRow("not a presence datagram") << QStringLiteral("[PC1\\BOB][ALL]BOB> hi");
    }

    void malformedPresenceIsIgnored()
    {
        QFETCH(QString, datagram);
        Directory directory(options);
        directory.userlist = {kBob, kAnn};
        directory.allusers = {QStringLiteral("Ann")};
        QSignalSpy sent(&directory, &Directory::send);
        QSignalSpy status(&directory, &Directory::statusText);
        QSignalSpy changed(&directory, &Directory::allusersChanged);
        QVERIFY(!directory.handlePresence(datagram));
        QCOMPARE(directory.userlist, QStringList({kBob, kAnn}));
        QCOMPARE(directory.allusers, QStringList({QStringLiteral("Ann")}));
        QCOMPARE(sent.count() + status.count() + changed.count(), 0);
    }

    void lookupName_data()
    {
        QTest::addColumn<QStringList>("userlist");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("identity");
        const QString ann = QStringLiteral("[PC2\\ANN]");
        const QString joann = QStringLiteral("[PC4\\JO]=JOANN");
        QTest::newRow("ANN listed first") << QStringList({kAnn, joann}) << "Ann" << ann;
        QTest::newRow("JOANN listed first") << QStringList({joann, kAnn}) << "ann" << ann;
        QTest::newRow("JOANN itself") << QStringList({kAnn, joann}) << "JoAnn"
                                      << "[PC4\\JO]";
        QTest::newRow("part of a name") << QStringList({joann}) << "ann"
                                        << "[---]";
        QTest::newRow("first of two with one name") << QStringList({kBob, "[PC5\\B]=BOB"}) << "bob"
                                                    << "[PC1\\BOB]";
        QTest::newRow("everybody") << QStringList({kBob}) << "all"
                                   << "[ALL]";
        QTest::newRow("a user named ALL") << QStringList({kBob, "[PC6\\AL]=ALL"}) << "All"
                                          << "[PC6\\AL]";
        QTest::newRow("unknown") << QStringList({kBob}) << "Carol"
                                 << "[---]";
        QTest::newRow("empty directory") << QStringList() << "bob"
                                         << "[---]";
        QTest::newRow("fragment without identity")
            << QStringList({"[PC1\\BOB]=SMITH", "JOHN"}) << "john"
            << "[---]";
    }

    void lookupName()
    {
        QFETCH(QStringList, userlist);
        QFETCH(QString, name);
        QFETCH(QString, identity);
        Directory directory(options);
        directory.userlist = userlist;
        QCOMPARE(directory.lookupName(name), identity);
    }

    void lookupIdentity_data()
    {
        QTest::addColumn<QStringList>("userlist");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::newRow("member found") << QStringList({kAnn, kBob}) << "[Group01member]=[pc1\\bob]"
                                      << "BOB";
        QTest::newRow("identity must match whole")
            << QStringList({kBob}) << "[Group01member]=[PC1\\BO"
            << "not found";
        QTest::newRow("unknown member") << QStringList({kBob}) << "[Group01member]=[PC9\\X]"
                                        << "not found";
        QTest::newRow("empty directory") << QStringList() << "[Group01member]=[PC1\\BOB]"
                                         << "not found";
        QTest::newRow("line shorter than its tag") << QStringList({"=NONAME"}) << "[Group01]"
                                                   << "not found";
    }

    void lookupIdentity()
    {
        QFETCH(QStringList, userlist);
        QFETCH(QString, line);
        QFETCH(QString, name);
        Directory directory(options);
        directory.userlist = userlist;
        QCOMPARE(directory.lookupIdentity(line), name);
    }

    void displayNameOf_data()
    {
        QTest::addColumn<QStringList>("userlist");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("shown");
        QTest::newRow("known sender") << QStringList({kAnn, kBob}) << "[PC1\\BOB]"
                                      << "BOB";
        QTest::newRow("unknown sender") << QStringList({kAnn}) << "[PC1\\BOB]"
                                        << "[PC1\\BOB]";
        QTest::newRow("first entry containing it wins")
            << QStringList({"[PC7\\X]=ALIAS OF [PC1\\BOB]", kBob}) << "[PC1\\BOB]"
            << "ALIAS OF [PC1\\BOB]";
        QTest::newRow("entry without a name is passed over")
            << QStringList({"[PC1\\BOB]", kBob}) << "[PC1\\BOB]"
            << "BOB";
        QTest::newRow("empty sender") << QStringList({kBob}) << ""
                                      << "";
    }

    void displayNameOf()
    {
        QFETCH(QStringList, userlist);
        QFETCH(QString, sender);
        QFETCH(QString, shown);
        Directory directory(options);
        directory.userlist = userlist;
        QCOMPARE(directory.displayNameOf(sender), shown);
    }

    void selection()
    {
        Directory directory(options);
        directory.allusers = {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Joe")};
        directory.selectUsers({2, 0, 9, -1, 2});
        QCOMPARE(directory.multiusers, QStringList({QStringLiteral("Ann"), QStringLiteral("Joe")}));
        directory.chooseGroup();
        QCOMPARE(directory.multiusers, QStringList({QString()}));
        directory.selectUsers({});
        QVERIFY(directory.multiusers.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestDirectory)
#include "test_directory.moc"
