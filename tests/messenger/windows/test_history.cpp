// The history: the rows its writers build, trimming to 100, hist.dat byte for byte, texts
// that the file's quoted fields cannot hold as they are, damaged files, and what the
// window shows for a row.
#include "messenger/windows/history.h"

#include "common/textfile.h"

#include <QtTest>

using Colour = ConversationColour::Colour;

Q_DECLARE_METATYPE(HistoryRow)

namespace
{
const QDateTime kNow(QDate(2025, 12, 8), QTime(15, 4, 5));

HistoryRow numbered(int i)
{
    return History::sentRow(kNow, QStringLiteral("Bob"), QStringLiteral("message %1").arg(i), 0, 2);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The text of the black runs, joined by '|'.
QString blackParts(const History::Display &display)
{
    QStringList parts;
    for (const auto &run : display.runs)
        if (run.colour == Colour::Black)
            parts.append(display.text.mid(run.start, run.length));
    return parts.join(QLatin1Char('|'));
}
} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void receivedRowSplitsAtFirstPrompt_data();
    void receivedRowSplitsAtFirstPrompt();
    void writersFillTheirColumns();
    void selectitTrimsTo100();
    void saveWritesTheFileByteForByte();
    void saveTrimsAndSkipsEmptyList();
    void anyTextRoundTrips_data();
    void anyTextRoundTrips();
    void damagedFileLoadsWhatItCan_data();
    void damagedFileLoadsWhatItCan();
    void missingFileKeepsRows();
    void display_data();
    void display();

private:
    QString file() const { return dir_->filePath(QStringLiteral("hist.dat")); }
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestHistory::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestHistory::cleanup()
{
    dir_.reset();
}

void TestHistory::receivedRowSplitsAtFirstPrompt_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("main");
    QTest::newRow("one line") << "BOB> hello"
                              << "BOB>"
                              << "hello";
    QTest::newRow("conversation: only the first prompt splits") << "BOB> hi\r\nME> yes\r\nBOB> ok"
                                                                << "BOB>"
                                                                << "hi\r\nME> yes\r\nBOB> ok";
    QTest::newRow("no prompt: empty head, whole body") << "hello there"
                                                       << ""
                                                       << "hello there";
    QTest::newRow("'>' without a blank is no prompt") << "a>b> c"
                                                      << "a>b>"
                                                      << "c";
}

void TestHistory::receivedRowSplitsAtFirstPrompt()
{
    QFETCH(QString, body);
    QFETCH(QString, head);
    QFETCH(QString, main);
    const HistoryRow row =
        History::receivedRow(kNow, QStringLiteral("Bob"), body, QStringLiteral("[ALL]"),
                             QStringLiteral("Bob Msg 03:04 pm"));
    QCOMPARE(row[HistoryRow::MessageHead], head);
    QCOMPARE(row[HistoryRow::MessageMain], main);
}

void TestHistory::writersFillTheirColumns()
{
    using R = HistoryRow;
    auto columns = [](const HistoryRow &row) {
        return QStringList(row.columns.begin(), row.columns.end());
    };

    QCOMPARE(
        columns(History::receivedRow(kNow, QStringLiteral("Bob"), QStringLiteral("BOB> hi"),
                                     QStringLiteral("[ALL]"), QStringLiteral("Bob Msg 03:04 pm"))),
        (QStringList{"20251208150405", "12/08/25 03:04 pm", "From", "Bob", "BOB>", "hi", "[ALL]",
                     "", "", "Bob Msg 03:04 pm"}));
    QCOMPARE(columns(History::sentRow(kNow, QStringLiteral("Front Desk"),
                                      QStringLiteral("Room ready"), 1, 3)),
             (QStringList{"20251208150405", "12/08/25 03:04 pm", "To", "Front Desk", "",
                          "Room ready", "", "1", "3", ""}));
    QCOMPARE(columns(History::repliedRow(kNow, QStringLiteral("Bob"), QStringLiteral("BOB> free?"),
                                         QStringLiteral("yes"))),
             (QStringList{"20251208150405", "12/08/25 03:04 pm", "Replied to", "Bob", "BOB>",
                          "free?", "Bob", "yes", "", "Bob Msg 03:04 pm"}));
    // While away the user column comes from the speaker in the body, the caption from the
    // sender's directory name.
    const HistoryRow away = History::autoResponseRow(
        kNow, R::AutoRepTo, QStringLiteral("Robert"), QStringLiteral("DR BOB> back?"),
        QStringLiteral("[PC1\\ME]"), QStringLiteral("I'm away from my desk"));
    QCOMPARE(columns(away), (QStringList{"20251208150405", "12/08/25 03:04 pm", "Auto Rep to",
                                         "Dr Bob", "DR BOB>", "back?", "[PC1\\ME]",
                                         "I'm away from my desk", "", "Robert Msg 03:04 pm"}));
    QCOMPARE(History::autoResponseRow(kNow, R::From, QStringLiteral("Bob"),
                                      QStringLiteral("no prompt"), QString(),
                                      QStringLiteral("Forward to: Ann"))[R::User],
             QString());
}

void TestHistory::selectitTrimsTo100()
{
    History history;
    QSignalSpy current(&history, &History::currentChanged);
    for (int i = 1; i <= 101; ++i)
        history.addRow(numbered(i));
    // Adding alone does not trim (a sent row is shown as after a click) ...
    QCOMPARE(history.rows().size(), 101);
    QCOMPARE(history.current(), 100);
    // ... showing the newest row does.
    history.selectit();
    QCOMPARE(history.rows().size(), 100);
    QCOMPARE(history.rows().first()[HistoryRow::MessageMain], QStringLiteral("message 2"));
    QCOMPARE(history.current(), 99);
    QCOMPARE(current.last().first().toInt(), 99);

    history.select(5);
    QCOMPARE(history.currentRow()[HistoryRow::MessageMain], QStringLiteral("message 7"));
    history.select(100); // out of range: ignored
    QCOMPARE(history.current(), 5);
    history.clear();
    QVERIFY(history.rows().isEmpty());
    QCOMPARE(history.current(), -1);
}

void TestHistory::saveWritesTheFileByteForByte()
{
    History history;
    history.addRow(
        History::receivedRow(kNow, QStringLiteral("Bob"), QStringLiteral("BOB> say \"hi\"  "),
                             QStringLiteral("[PC1\\ME]"), QStringLiteral("Bob Msg 03:04 pm")));
    history.addRow(
        History::sentRow(kNow, QStringLiteral("Bob"), QStringLiteral("  Room ready"), 0, 2));
    history.setOntop(true);
    history.setAnchor(true);
    QVERIFY(history.save(file()));

    const QByteArray expected =
        " 2 \r\n"
        "1,0,1\r\n"
        "\"20251208150405\",\"12/08/25 03:04 pm\",\"From\",\"Bob\",\"BOB>\",\"BOB> say "
        "\x04hi\x04\",\"[PC1\\ME]\",\"\",\"\","
        "\"Bob Msg 03:04 pm\"\r\n"
        "\"20251208150405\",\"12/08/25 03:04 pm\",\"To\",\"Bob\",\"\",\" Room "
        "ready\",\"\",\"0\",\"2\",\"\"\r\n"
        "--END--\r\n"
        "\r\n";
    QCOMPARE(bytesOf(file()), expected);

    History loaded;
    QVERIFY(loaded.load(file()));
    QCOMPARE(loaded.rows().size(), 2);
    QCOMPARE(loaded.rows().at(0)[HistoryRow::MessageMain], QStringLiteral("say \"hi\""));
    QCOMPARE(loaded.rows().at(1)[HistoryRow::MessageMain], QStringLiteral("Room ready"));
    QVERIFY(loaded.ontop());
    QVERIFY(!loaded.minmain());
    QVERIFY(loaded.anchor());
    QCOMPARE(loaded.current(), 1);
}

void TestHistory::saveTrimsAndSkipsEmptyList()
{
    History history;
    for (int i = 1; i <= 150; ++i)
        history.addRow(numbered(i));
    QVERIFY(history.save(file()));
    QCOMPARE(history.rows().size(), 100);
    QVERIFY(bytesOf(file()).startsWith(" 100 \r\n"));

    History loaded;
    QVERIFY(loaded.load(file()));
    QCOMPARE(loaded.rows(), history.rows());
    QCOMPARE(loaded.rows().first()[HistoryRow::MessageMain], QStringLiteral("message 51"));

    // After "Clear" a save leaves the last file alone, so its rows come back next time.
    const QByteArray before = bytesOf(file());
    loaded.clear();
    QVERIFY(loaded.save(file()));
    QCOMPARE(bytesOf(file()), before);
}

void TestHistory::anyTextRoundTrips_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");

    const QStringList texts{QStringLiteral("plain"),
                            QStringLiteral("say \"hi\", then \"bye\""),
                            QStringLiteral("\"a, b\""),
                            QStringLiteral("two\r\nlines, one comma"),
                            QStringLiteral("\"\r\n\",\""),
                            QStringLiteral("  leading blanks and a tab\t"),
                            QStringLiteral("--END--"),
                            QStringLiteral("caf\u00e9 \u20ac5"),
                            QString()};
    // Column 0 is left out: it always holds the program's time stamp, and the reader takes
    // an empty first field for a blank line and "--END--" there for the end of the rows.
    const QList<int> columns{HistoryRow::Date,  HistoryRow::User,        HistoryRow::Addressee,
                             HistoryRow::Reply, HistoryRow::RecallIndex, HistoryRow::Caption};
    for (int column : columns)
        for (int i = 0; i < texts.size(); ++i)
            QTest::addRow("column %d, text %d", column, i)
                << column << HistoryRow::RepliedTo << texts.at(i);
    // The message text keeps everything but blanks at its ends, which the file trims.
    const QStringList messages{QStringLiteral("say \"hi\", then \"bye\""),
                               QStringLiteral("two\r\nlines"), QStringLiteral("\"quoted\""),
                               QStringLiteral("--END--"), QStringLiteral("x")};
    for (const QString &kind : {HistoryRow::From, HistoryRow::To})
        for (int i = 0; i < messages.size(); ++i)
            QTest::addRow("message of %s, text %d", qPrintable(kind), i)
                << int(HistoryRow::MessageMain) << kind << messages.at(i);
}

void TestHistory::anyTextRoundTrips()
{
    QFETCH(int, column);
    QFETCH(QString, kind);
    QFETCH(QString, text);

    HistoryRow row = History::repliedRow(kNow, QStringLiteral("Bob"),
                                         QStringLiteral("BOB> a \"b\""), QStringLiteral("reply"));
    row[HistoryRow::Kind] = kind;
    if (kind == HistoryRow::To)
        row[HistoryRow::MessageHead].clear();
    row[column] = text;
    History history;
    history.addRow(History::receivedRow(kNow, QStringLiteral("Ann"), QStringLiteral("ANN> before"),
                                        QString(), QString()));
    history.addRow(row);
    history.addRow(History::receivedRow(kNow, QStringLiteral("Ann"), QStringLiteral("no prompt"),
                                        QString(), QString()));
    QVERIFY(history.save(file()));

    History loaded;
    QVERIFY(loaded.load(file()));
    QCOMPARE(loaded.rows(), history.rows());
}

void TestHistory::damagedFileLoadsWhatItCan_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("texts"); // column 5 of the rows loaded
    QTest::addColumn<bool>("ontop");

    const QByteArray row1 =
        "\"1\",\"d\",\"From\",\"Bob\",\"BOB>\",\"BOB> one\",\"\",\"\",\"\",\"c\"\r\n";
    const QByteArray row2 = "\"2\",\"d\",\"To\",\"Bob\",\"\",\" two\",\"\",\"0\",\"1\",\"\"\r\n";
    const QByteArray end = "--END--\r\n\r\n";

    QTest::newRow("intact") << " 2 \r\n1,0,0\r\n" + row1 + row2 + end << QStringList{"one", "two"}
                            << true;
    QTest::newRow("count too high")
        << " 9 \r\n1,0,0\r\n" + row1 + row2 + end << QStringList{"one", "two"} << true;
    QTest::newRow("count too low")
        << " 1 \r\n1,0,0\r\n" + row1 + row2 + end << QStringList{"one", "two"} << true;
    QTest::newRow("count not a number")
        << "abc\r\n1,0,0\r\n" + row1 + row2 + end << QStringList{"one", "two"} << true;
    QTest::newRow("no end mark") << " 2 \r\n1,0,0\r\n" + row1 + row2 << QStringList{"one", "two"}
                                 << true;
    QTest::newRow("truncated inside the second row's text")
        << " 2 \r\n1,0,0\r\n" + row1 + "\"2\",\"d\",\"To\",\"Bob\",\"\",\" tw"
        << QStringList{"one", "tw"} << true;
    QTest::newRow("truncated before the second row's kind")
        << " 2 \r\n1,0,0\r\n" + row1 + "\"2\",\"d" << QStringList{"one"} << true;
    QTest::newRow("short options line")
        << " 2 \r\n1\r\n" + row1 + row2 + end << QStringList{"one", "two"} << true;
    QTest::newRow("options missing") << QByteArray(" 2 \r\n") << QStringList{} << false;
    QTest::newRow("blank lines between rows")
        << " 2 \r\n1,0,0\r\n" + row1 + "\r\n\r\n" + row2 + end << QStringList{"one", "two"} << true;
    QTest::newRow("LF line ends") << QByteArray(" 2 \n1,0,0\n") +
                                         QByteArray(row1).replace('\r', "") + end
                                  << QStringList{"one"} << true;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << false;
    QTest::newRow("binary junk") << QByteArray("\x00\xff\"\x04,,\r\n\"", 9) << QStringList{}
                                 << false;
    QTest::newRow("text field without its head") << " 1 "
                                                    "\r\n0,0,0\r\n\"1\",\"d\",\"From\",\"Bob\","
                                                    "\"BOB>\",\"edited\",\"\",\"\",\"\",\"c\"\r\n" +
                                                        end
                                                 << QStringList{"edited"} << false;
}

void TestHistory::damagedFileLoadsWhatItCan()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, texts);
    QFETCH(bool, ontop);
    QVERIFY(writeBytes(file(), content));

    History history;
    history.addRow(numbered(1)); // replaced by whatever the file holds
    QVERIFY(history.load(file()));
    QStringList loaded;
    for (const HistoryRow &row : history.rows())
        loaded.append(row[HistoryRow::MessageMain]);
    QCOMPARE(loaded, texts);
    QCOMPARE(history.ontop(), ontop);
    QCOMPARE(history.current(), int(texts.size()) - 1);
}

void TestHistory::missingFileKeepsRows()
{
    History history;
    history.addRow(numbered(1));
    QVERIFY(history.load(file()));
    QCOMPARE(history.rows().size(), 1);
    // A file that exists but cannot be read is an error and changes nothing either.
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("hist.dat")));
    QVERIFY(!history.load(file()));
    QCOMPARE(history.rows().size(), 1);
}

void TestHistory::display_data()
{
    QTest::addColumn<HistoryRow>("row");
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("black");

    const QString conversation = QStringLiteral("BOB> free?\r\nME> yes\r\nBOB> ok");
    const HistoryRow received = History::receivedRow(kNow, QStringLiteral("Bob"), conversation,
                                                     QStringLiteral("[PC1\\ME]"), QString());
    QTest::newRow("received, newest")
        << received << int(History::View::Newest) << "BOB> free?\r\nME> yes\r\nBOB> ok"
        << "ME> yes\r\n";
    QTest::newRow("received, clicked: head and text joined")
        << received << int(History::View::Clicked) << "BOB>free?\r\nME> yes\r\nBOB> ok"
        << "ME> yes\r\n";

    const HistoryRow replied =
        History::repliedRow(kNow, QStringLiteral("Bob"), conversation, QStringLiteral("see you"));
    QTest::newRow("replied: own reply appended, black to the end")
        << replied << int(History::View::Newest)
        << "BOB> free?\r\nME> yes\r\nBOB> ok\r\nMe> see you"
        << "ME> yes\r\n|Me> see you";

    const HistoryRow sent =
        History::sentRow(kNow, QStringLiteral("Bob"), QStringLiteral("Room ready"), 0, 1);
    QTest::newRow("sent: own name upper case, all black")
        << sent << int(History::View::Clicked) << "ME> Room ready"
        << "ME> Room ready";
}

void TestHistory::display()
{
    QFETCH(HistoryRow, row);
    QFETCH(int, view);
    QFETCH(QString, text);
    QFETCH(QString, black);
    const History::Display shown = History::display(row, QStringLiteral("Me"), History::View(view));
    QCOMPARE(shown.text, text);
    QCOMPARE(blackParts(shown), black);
}

QTEST_APPLESS_MAIN(TestHistory)
#include "test_history.moc"
