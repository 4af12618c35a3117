// The quick-send button set: the default file exactly as the Windows copies write it, what
// the reader makes of files (fields, not lines; quoted and bare flags), what a save
// writes, and the looks of the buttons.
#include "messenger/settings/buttonset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using Slot = ButtonSet::Slot;
using Look = ButtonSet::Look;
using Status = ButtonSet::LoadResult::Status;

Q_DECLARE_METATYPE(ButtonSet::Look)
Q_DECLARE_METATYPE(ButtonSet::Slot)

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

// The file a Windows copy creates when it has none.
const QByteArray kDefaultFile =
    "\"Patient arrived?\",\"Has my next patient arrived?\",\"1\"\r\n"
    "\"Charting\",\"Need assistance for charting\",\"1\"\r\n"
    "\"Hygiene check\",\"Hygiene check required\",\"1\"\r\n"
    "\"Hygiene appt\",\"11113\",\"1\"\r\n"
    "\"Hygiene w/ recall\",\"01202, 11112, 11107, 12101\",\"1\"\r\n"
    "\"Running late\",\"Advise patient I am 10 mins late\",\"1\"\r\n"
    "\"Room ready\",\"Help required to get room ready\",\"1\"\r\n"
    "\"\",\"\",\"0\"\r\n"
    "\"\",\"\",\"0\"\r\n"
    "\"\",\"\",\"0\"\r\n"
    "\"\",\"\",\"0\"\r\n"
    "\"EMERGENCY\",\"CALL 9-1-1\",\"1\"\r\n"
    "\"Take Message\",\"Please take a message\",\"1\"\r\n"
    "\"Ask to hold\",\"Ask to hold line\",\"1\"\r\n"
    "\"On a call\",\"I'm on a call\",\"1\"\r\n"
    "\"See me\",\"Come see me\",\"1\"\r\n"
    "\"Lunch?\",\"Are you buying?\",\"1\"\r\n"
    "\"Yes\",\"Yes\",\"1\"\r\n"
    "\"Thanks\",\"Thank you\",\"1\"\r\n"
    "\"Patient late?\",\"Do you know how late patient will be?\",\"1\"\r\n"
    "\"Short list?\",\"Is there anyone on short notice list?\",\"1\"\r\n"
    "\"Out shortly\",\"Will be out shortly\",\"1\"\r\n"
    "\"\",\"\",\"0\"\r\n"
    "\"\",\"\",\"0\"\r\n"
    "\r\n";

// The same set as a save writes it: bare flags, no empty line at the end.
QByteArray savedForm(QByteArray file)
{
    file.replace("\"1\"\r\n", "1\r\n");
    file.replace("\"0\"\r\n", "0\r\n");
    file.chop(2);
    return file;
}

// 24 records of which the first few are given; the rest are empty bare-flag records.
QByteArray fileWith(const QByteArray &head, int recordsInHead)
{
    QByteArray file = head;
    for (int i = recordsInHead; i < ButtonSet::SlotCount; ++i)
        file += "\"\",\"\",0\r\n";
    return file;
}

QList<Slot> allSlots(const ButtonSet &set)
{
    QList<Slot> out;
    for (int i = 1; i <= ButtonSet::SlotCount; ++i)
        out.append(set.slot(i));
    return out;
}
} // namespace

class TestButtonSet : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> folder;

private Q_SLOTS:
    void init()
    {
        folder.reset(new QTemporaryDir);
        QVERIFY(folder->isValid());
    }

    void missingFileIsCreatedFromTheDefaultsByteForByte()
    {
        ButtonSet set(folder->path());
        QCOMPARE(set.loadbuttons().status, Status::CreatedDefaults);
        QCOMPARE(fileBytes(set.path()), kDefaultFile);
        QCOMPARE(ButtonSet::defaultFileBytes(), kDefaultFile);

        QCOMPARE(set.slot(1), (Slot{"Patient arrived?", "Has my next patient arrived?", true}));
        QCOMPARE(set.slot(5), (Slot{"Hygiene w/ recall", "01202, 11112, 11107, 12101", true}));
        QCOMPARE(set.slot(8), Slot());
        QCOMPARE(set.slot(12), (Slot{"EMERGENCY", "CALL 9-1-1", true}));
        QCOMPARE(set.slot(22), (Slot{"Out shortly", "Will be out shortly", true}));
        QCOMPARE(set.slot(24), Slot());
        QCOMPARE(set.tooltip(4), QStringLiteral("11113"));

        // A second load reads the file it made and creates nothing.
        QCOMPARE(set.loadbuttons().status, Status::Loaded);
        QCOMPARE(fileBytes(set.path()), kDefaultFile);
    }

    void defaultLooksOfTheMainWindowAndTheMessageWindows()
    {
        ButtonSet set(folder->path());
        set.loadbuttons();
        const ButtonSet::Style green{Look::SendNow, true};
        const ButtonSet::Style grey{Look::Empty, false};
        for (int i = 1; i <= 7; ++i)
            QCOMPARE(set.style(i), green);
        for (int i = 8; i <= 11; ++i)
            QCOMPARE(set.style(i), grey);
        QCOMPARE(set.style(12), (ButtonSet::Style{Look::Emergency, true}));
        QCOMPARE(ButtonSet::background(Look::Emergency), 0xFF0000u);
        QCOMPARE(ButtonSet::foreground(Look::Emergency), 0xFFFF00u);
        for (int i = 13; i <= 22; ++i)
            QCOMPARE(set.style(i), green);
        QCOMPARE(set.style(23), grey);
        QCOMPARE(set.style(24), grey);
    }

    void looks_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<Look>("button");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<Look>("dialogAfterLoad");
        QTest::addColumn<Look>("dialogWhileEditing");

        QTest::newRow("send at once")
            << 3 << "Room"
            << "x" << true << Look::SendNow << true << Look::SendNow << Look::SendNow;
        QTest::newRow("fill only")
            << 3 << "Room"
            << "x" << false << Look::FillOnly << true << Look::FillOnly << Look::FillOnly;
        QTest::newRow("emergency in any case inside a word")
            << 1 << "Non-Emergencys"
            << "x" << false << Look::Emergency << true << Look::Emergency << Look::Emergency;
        QTest::newRow("emergency on slot 12 stays red when the flag is clicked off")
            << 12 << "EMERGENCY"
            << "x" << false << Look::Emergency << true << Look::Emergency << Look::Emergency;
        QTest::newRow("emergency on a response slot is only red while edited")
            << 13 << "emergency"
            << "x" << true << Look::SendNow << true << Look::SendNow << Look::Emergency;
        QTest::newRow("empty caption with a text is grey and disabled")
            << 2 << ""
            << "a text" << true << Look::Empty << false << Look::SendNow << Look::SendNow;
        QTest::newRow("empty response slot")
            << 24 << ""
            << "" << false << Look::Empty << false << Look::FillOnly << Look::FillOnly;
    }

    void looks()
    {
        QFETCH(int, slot);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        QFETCH(bool, flag);
        QFETCH(Look, button);
        QFETCH(bool, enabled);
        QFETCH(Look, dialogAfterLoad);
        QFETCH(Look, dialogWhileEditing);

        ButtonSet set(folder->path());
        set.setSlot(slot, Slot{caption, message, flag});
        QCOMPARE(set.style(slot), (ButtonSet::Style{button, enabled}));
        QCOMPARE(set.dialogLook(slot), dialogAfterLoad);
        QCOMPARE(ButtonSet::editingLook(caption, flag), dialogWhileEditing);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Slot>("slot1");
        QTest::addColumn<Slot>("slot2");

        const Slot ab{"A", "B", true};
        const Slot cd{"C", "D", false};
        QTest::newRow("bare flags")
            << fileWith("\"A\",\"B\",1\r\n\"C\",\"D\",0\r\n", 2) << ab << cd;
        QTest::newRow("quoted flags")
            << fileWith("\"A\",\"B\",\"1\"\r\n\"C\",\"D\",\"0\"\r\n", 2) << ab << cd;
        QTest::newRow("LF line ends") << fileWith("\"A\",\"B\",1\n\"C\",\"D\",0\n", 2) << ab << cd;
        QTest::newRow("a record running over a line end")
            << fileWith("\"A\",\"B\"\r\n1,\"C\"\r\n\"D\",0\r\n", 2) << ab << cd;
        QTest::newRow("blanks before fields")
            << fileWith("  \"A\",   \"B\", 1\r\n\"C\",\"D\",  0\r\n", 2) << ab << cd;
        QTest::newRow("unquoted fields") << fileWith("A,B,1\r\nC,D,0\r\n", 2) << ab << cd;
        QTest::newRow("commas and a line break inside quotes")
            << fileWith("\"Codes, all\",\"01202, 11112\r\nnext\",1\r\n\"C\",\"D\",0\r\n", 2)
            << Slot{"Codes, all", "01202, 11112\r\nnext", true} << cd;
        QTest::newRow("flag by its leading number")
            << fileWith("\"A\",\"B\",\"2 yes\"\r\n\"C\",\"D\",\"yes\"\r\n", 2) << ab << cd;
        QTest::newRow("8-bit text")
            << fileWith("\"Caf\xe9\",\"Cr\xe8me\",1\r\n\"C\",\"D\",0\r\n", 2)
            << Slot{QStringLiteral("Caf\u00e9"), QStringLiteral("Cr\u00e8me"), true} << cd;
        QTest::newRow("records past the 24th are ignored")
            << fileWith("\"A\",\"B\",1\r\n\"C\",\"D\",0\r\n", 2) + "\"X\",\"Y\",1\r\n"
            << ab << cd;
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(Slot, slot1);
        QFETCH(Slot, slot2);
        ButtonSet set(folder->path());
        putFile(set.path(), file);
        QCOMPARE(set.loadbuttons().status, Status::Loaded);
        QCOMPARE(set.slot(1), slot1);
        QCOMPARE(set.slot(2), slot2);
        QCOMPARE(set.slot(3), Slot());
        QCOMPARE(set.slot(24), Slot());
        QCOMPARE(fileBytes(set.path()), file);
    }

    void savedAndDefaultFilesLoadToTheSameSet()
    {
        ButtonSet created(folder->path());
        created.loadbuttons();
        QVERIFY(created.SAVEBUTTONS());
        QCOMPARE(fileBytes(created.path()), savedForm(kDefaultFile));

        ButtonSet reread(folder->path());
        QCOMPARE(reread.loadbuttons().status, Status::Loaded);
        QCOMPARE(allSlots(reread), allSlots(created));
        QCOMPARE(reread.slot(5).message, QStringLiteral("01202, 11112, 11107, 12101"));
    }

    void saveTurnsDoubleQuotesIntoApostrophes()
    {
        ButtonSet set(folder->path());
        set.loadbuttons();
        set.setSlot(1, Slot{"Say \"hi\"", "He said \"now\", ok", false});
        set.setSlot(2, Slot{"\"", "\"\"", true});
        QVERIFY(set.SAVEBUTTONS());

        const QByteArray bytes = fileBytes(set.path());
        QVERIFY(bytes.startsWith("\"Say 'hi'\",\"He said 'now', ok\",0\r\n\"'\",\"''\",1\r\n"));
        // The set shows the cleaned texts, as the dialog does after a save.
        QCOMPARE(set.slot(1), (Slot{"Say 'hi'", "He said 'now', ok", false}));

        // Every other record keeps its place.
        ButtonSet reread(folder->path());
        QCOMPARE(reread.loadbuttons().status, Status::Loaded);
        QCOMPARE(allSlots(reread), allSlots(set));
        QCOMPARE(reread.slot(12).caption, QStringLiteral("EMERGENCY"));
    }

    void incompleteFileLoadsWhatItHasAndIsKept()
    {
        const QByteArray file = "\"A\",\"B\",1\r\n\"C\",\"D\",0\r\n\"E\",\"F";
        ButtonSet set(folder->path());
        putFile(set.path(), file);
        const ButtonSet::LoadResult result = set.loadbuttons();
        QCOMPARE(result.status, Status::Incomplete);
        QCOMPARE(result.recordsRead, 2);
        QVERIFY(!result.ok());
        QCOMPARE(set.slot(1), (Slot{"A", "B", true}));
        QCOMPARE(set.slot(3), (Slot{"E", "F", false}));
        QCOMPARE(set.slot(4), Slot());
        QCOMPARE(fileBytes(set.path()), file);

        putFile(set.path(), QByteArray());
        QCOMPARE(set.loadbuttons().recordsRead, 0);
        QCOMPARE(set.slot(1), Slot());
        QCOMPARE(fileBytes(set.path()), QByteArray());
    }

    void unreadableFileKeepsTheSetAndIsNotReplaced()
    {
        ButtonSet set(folder->path());
        set.loadbuttons();
        const QList<Slot> before = allSlots(set);
        QVERIFY(QFile::remove(set.path()));
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("buttons.txt")));

        QCOMPARE(set.loadbuttons().status, Status::ReadFailed);
        QCOMPARE(allSlots(set), before);
        QVERIFY(!set.SAVEBUTTONS());
        QVERIFY(QFileInfo(set.path()).isDir());
    }

    void defaultsAreUsedWhenTheFolderCannotBeWritten()
    {
        ButtonSet set(folder->filePath(QStringLiteral("no such folder")));
        const ButtonSet::LoadResult result = set.loadbuttons();
        QCOMPARE(result.status, Status::CreatedDefaults);
        QVERIFY(result.defaultsNotWritten);
        QCOMPARE(set.slot(12).caption, QStringLiteral("EMERGENCY"));
    }

    void slotNumbersOutsideTheSetAreIgnored()
    {
        ButtonSet set(folder->path());
        set.setSlot(0, Slot{"X", "Y", true});
        set.setSlot(25, Slot{"X", "Y", true});
        QCOMPARE(set.slot(0), Slot());
        QCOMPARE(set.slot(25), Slot());
        QCOMPARE(set.style(25), (ButtonSet::Style{Look::Empty, false}));
    }
};

QTEST_APPLESS_MAIN(TestButtonSet)
#include "test_buttonset.moc"
