// Saved message files: the folder rule, the file names, both file forms byte for byte,
// hostile sender names, and "Cannot create file" for every failure.
#include "messenger/app/messenger.h"
#include "messenger/windows/savedmessage.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using TestSupport::RecordingPrompter;

namespace
{
// A session whose own name is ANN, saving on Thursday 7 March 2024 at 14:05:09 a message
// received at 09:15 am from Bob Smith; the editor start is recorded, not run.
struct Fixture {
    QTemporaryDir dir;
    RecordingPrompter prompter;
    QDateTime now{QDate(2024, 3, 7), QTime(14, 5, 9)};
    Messenger session;
    QStringList opened;
    bool openerWorks = true;

    Fixture() : session(dir.path(), prompter, [this] { return now; })
    {
        prompter.transport = &session.transport;
        session.options.friendlyname = QStringLiteral("ANN");
        PopupState &window = session.popupSlots.state(4);
        window.messagefrom = QStringLiteral("Bob Smith");
        window.caption = QStringLiteral("Bob Smith Msg 09:15 am");
        window.message = QStringLiteral("BOB SMITH> Patient arrived?\r\nANN> Yes");
    }

    QString folder() const { return dir.filePath(QStringLiteral("QMmessages")); }
    SavedMessage saver(const QString &where = QString())
    {
        return SavedMessage(session, where.isEmpty() ? folder() : where,
                            [this](const QString &path) {
                                opened << path;
                                return openerWorks;
                            });
    }
    static QByteArray bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

const QByteArray kSeparator = QByteArray(60, '-') + "\r\n";
} // namespace

class TestSavedMessage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Fixture> f;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("COMPUTERNAME", "pc1");
        qputenv("USERNAME", "ann");
    }
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    void folderForProfile_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("folder");
        QTest::newRow("Users folder") << QStringLiteral("C:\\Users\\ann")
                                      << QStringLiteral("C:\\Users\\ann\\Documents\\QMmessages");
        QTest::newRow("upper case USERS")
            << QStringLiteral("C:\\USERS\\ann")
            << QStringLiteral("C:\\USERS\\ann\\Documents\\QMmessages");
        QTest::newRow("no users in the path")
            << QStringLiteral("C:\\Documents and Settings\\ann")
            << QStringLiteral("C:\\Documents and Settings\\ann\\My Documents\\QMmessages");
        QTest::newRow("users at the very start does not count")
            << QStringLiteral("users\\ann")
            << QStringLiteral("users\\ann\\My Documents\\QMmessages");
    }

    void folderForProfile()
    {
        QFETCH(QString, profile);
        QFETCH(QString, folder);
        QCOMPARE(SavedMessage::folderForProfile(profile), folder);
    }

    // Both forms, with and without a response, byte for byte in the 8-bit code page.
    void savedMessageBytes_data()
    {
        QTest::addColumn<QString>("response");
        QTest::addColumn<QByteArray>("responsePart");
        QTest::newRow("with a response")
            << QStringLiteral("Room 2, caf\u00e9 later")
            << QByteArray("Response (not sent):\r\nRoom 2, caf\xe9 later\r\n");
        QTest::newRow("empty response box") << QString() << QByteArray();
    }

    void savedMessageBytes()
    {
        QFETCH(QString, response);
        QFETCH(QByteArray, responsePart);
        f->session.popupSlots.state(4).temp = response;
        const QString path = f->saver().printbtn_Click(4);

        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("QM-240307140509-bob smith.txt"));
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(f->folder()).absoluteFilePath());
        const QByteArray expected =
            "\r\nVantrell Messenger\r\n\r\n" + kSeparator +
            "To       : Ann\r\n"
            "From     : Bob Smith\r\n"
            "Date     : Thu Mar 7, 2024\r\n"
            "Time     : 09:15 am\r\n" + // the time of receipt, not of saving
            kSeparator +
            "\r\nMessage:\r\nBOB SMITH> Patient arrived?\r\nANN> Yes\r\n\r\n" + responsePart +
            "\r\n" + kSeparator + "\r\n\r\nSaved to:\r\n" +
            QDir::toNativeSeparators(path).toUtf8() + "\r\n\r\n";
        QCOMPARE(Fixture::bytes(path), expected);
        QCOMPARE(f->opened, QStringList{path});
        QVERIFY(f->prompter.messages.isEmpty());
    }

    void savedLogBytes()
    {
        const QString viewer = QStringLiteral("03-07-24:02:01p\r\nMsg to   BOB\r\n\tRoom ready");
        const QString path = f->saver().saveLog(viewer);
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("QMlog-240307140509.txt"));
        const QByteArray expected =
            "\r\nVantrell Messenger\r\n\r\n" + kSeparator +
            "Vantrell Messenger Log for ANN [PC1\\ANN]\r\n"
            "Saved : Thu Mar 7, 2024 2:05 pm\r\n" +
            kSeparator + "03-07-24:02:01p\r\nMsg to   BOB\r\n\tRoom ready\r\n" + kSeparator +
            "\r\n\r\nSaved to:\r\n" + QDir::toNativeSeparators(path).toUtf8() + "\r\n\r\n";
        QCOMPARE(Fixture::bytes(path), expected);
    }

    void safeName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << QStringLiteral("bob smith") << QStringLiteral("bob smith");
        QTest::newRow("parent folder")
            << QStringLiteral("../../etc/x") << QStringLiteral(".__.__etc_x");
        QTest::newRow("windows separators")
            << QStringLiteral("..\\..\\x") << QStringLiteral(".__.__x");
        QTest::newRow("reserved characters")
            << QStringLiteral("a:b*c?d\"e<f>g|h") << QStringLiteral("a_b_c_d_e_f_g_h");
        QTest::newRow("control characters")
            << QStringLiteral("a\r\nb\tc\x7f") << QStringLiteral("a__b_c_");
        QTest::newRow("single dots stay")
            << QStringLiteral("dr. who.") << QStringLiteral("dr. who.");
    }

    void safeName()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(SavedMessage::safeName(name), safe);
    }

    // A hostile sender name never writes outside the folder.
    void hostileSenderStaysInTheFolder()
    {
        f->session.popupSlots.state(4).messagefrom = QStringLiteral("../../Evil/..\\x");
        const QString path = f->saver().printbtn_Click(4);
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(f->folder()).absoluteFilePath());
        QCOMPARE(QDir(f->folder()).entryList(QDir::Files).size(), 1);
        QCOMPARE(QDir(f->dir.path()).entryList({QStringLiteral("*.txt")}, QDir::Files),
                 QStringList());
    }

    // Two saves of one sender in the same second give one file: the second replaces the first.
    void sameSecondReplaces()
    {
        SavedMessage saver = f->saver();
        const QString first = saver.printbtn_Click(4);
        f->session.popupSlots.state(4).message = QStringLiteral("BOB SMITH> second");
        const QString second = saver.printbtn_Click(4);
        QCOMPARE(second, first);
        QCOMPARE(QDir(f->folder()).entryList(QDir::Files).size(), 1);
        QVERIFY(Fixture::bytes(second).contains("BOB SMITH> second\r\n"));
        QVERIFY(!Fixture::bytes(second).contains("Patient arrived?"));
    }

    // A missing Documents folder is made along with the messages folder.
    void missingDocumentsFolderIsMade()
    {
        const QString where = f->dir.filePath(QStringLiteral("Documents/QMmessages"));
        const QString path = f->saver(where).printbtn_Click(4);
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(where).absoluteFilePath());
        QVERIFY(f->prompter.messages.isEmpty());
    }

    void cannotCreateFile_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("openerWorks");
        QTest::newRow("parent is a file") << QStringLiteral("blocker/QMmessages") << true;
        QTest::newRow("a file has the folder's name") << QStringLiteral("blocker") << true;
        QTest::newRow("editor cannot be started") << QStringLiteral("QMmessages") << false;
    }

    void cannotCreateFile()
    {
        QFETCH(QString, where);
        QFETCH(bool, openerWorks);
        QFile blocker(f->dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f->openerWorks = openerWorks;

        const QString path = f->saver(f->dir.filePath(where)).printbtn_Click(4);
        QCOMPARE(path, QString());
        QCOMPARE(f->prompter.messages, QStringList{QStringLiteral("Cannot create file")});
        QCOMPARE(f->prompter.heldDuring, QList<bool>{true});
        QVERIFY(!f->session.transport.boxopen());
        QVERIFY(!QFileInfo::exists(f->dir.filePath(QStringLiteral("Documents"))));
        // The window stays as it was.
        QCOMPARE(f->session.popupSlots.state(4).message,
                 QStringLiteral("BOB SMITH> Patient arrived?\r\nANN> Yes"));
    }
};

QTEST_GUILESS_MAIN(TestSavedMessage)
#include "test_savedmessage.moc"
