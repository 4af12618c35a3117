// The activity log: entry texts, persisting and archiving, start-up recovery, the viewer
// text of an entry, and that a failing archive loses nothing.
#include "messenger/windows/activitylog.h"

#include "common/textfile.h"

#include <QtTest>

namespace
{
const QString kStamp = QStringLiteral("12-08-25:03:04p:");
const QString kArchive = QStringLiteral("log251208150405.txt");

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestActivityLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void entries_data();
    void entries();
    void logsFolderCreated();
    void persistArchivesPast301_data();
    void persistArchivesPast301();
    void messageEntryComesBackAsLines();
    void exitArchivesAndRemovesCurrent();
    void saveNowLeavesOneEntry();
    void sameSecondArchiveKeepsEarlierOne();
    void failingArchiveLosesNothing();
    void entryView_data();
    void entryView();

private:
    QString logs() const { return dir_->path() + QStringLiteral("/logs"); }
    std::unique_ptr<ActivityLog> makeLog();

    std::unique_ptr<QTemporaryDir> dir_;
    QDateTime now_;
};

void TestActivityLog::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    now_ = QDateTime(QDate(2025, 12, 8), QTime(15, 4, 5));
}

void TestActivityLog::cleanup()
{
    dir_.reset();
}

std::unique_ptr<ActivityLog> TestActivityLog::makeLog()
{
    return std::make_unique<ActivityLog>(dir_->path(), [this] { return now_; });
}

void TestActivityLog::entries_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Msg from") << 0 << "Msg from BOB\t\r\nBOB> hello\r\n---";
    QTest::newRow("Msg to") << 1 << "Msg to   BOB\t\r\nME> hi\r\nthere\r\n---";
    QTest::newRow("Fwd to") << 2 << "Fwd to   ANN\t\r\nfwd\r\n---";
    QTest::newRow("QM.") << 3 << "QM.\t\r\n---";
    QTest::newRow("shutdown correctly") << 4 << "Vantrell Messenger shutdown correctly.\t\r\n---";
    QTest::newRow("settings saved") << 5 << " Settings changed and saved.";
    QTest::newRow("network restored") << 6 << "Network Connection Restored";
    QTest::newRow("network error") << 7 << "Network Error No route to host.";
}

void TestActivityLog::entries()
{
    QFETCH(int, which);
    QFETCH(QString, expected);
    auto log = makeLog();
    QSignalSpy changed(log.get(), &ActivityLog::changed);
    switch (which) {
    case 0:
        log->addMessage(ActivityLog::MessageKind::From, QStringLiteral("BOB"),
                        QStringLiteral("BOB> hello"));
        break;
    case 1:
        log->addMessage(ActivityLog::MessageKind::To, QStringLiteral("BOB"),
                        QStringLiteral("ME> hi\r\nthere"));
        break;
    case 2:
        log->addMessage(ActivityLog::MessageKind::Forward, QStringLiteral("ANN"),
                        QStringLiteral("fwd"));
        break;
    case 3:
        log->addStartMark();
        break;
    case 4:
        log->addShutdownCorrectly();
        break;
    case 5:
        log->addSettingsSaved();
        break;
    case 6:
        log->addNetworkRestored();
        break;
    case 7:
        log->addNetworkError(QStringLiteral("No route to host."));
        break;
    }
    QCOMPARE(log->lstMessages(), QStringList{kStamp + expected});
    QCOMPARE(changed.count(), 1);
}

void TestActivityLog::logsFolderCreated()
{
    auto log = makeLog();
    QVERIFY(QFileInfo(logs()).isDir());
    // Removed behind its back, it is made again on the next write.
    QVERIFY(QDir(logs()).removeRecursively());
    log->addNetworkRestored();
    QVERIFY(log->cleanlog_Click());
    QVERIFY(QFileInfo::exists(log->currentFile()));
}

void TestActivityLog::persistArchivesPast301_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("archived");
    QTest::newRow("301 entries rewrite logtemp.txt") << 301 << false;
    QTest::newRow("302 entries go to an archive") << 302 << true;
}

void TestActivityLog::persistArchivesPast301()
{
    QFETCH(int, count);
    QFETCH(bool, archived);
    auto log = makeLog();
    // An old logtemp.txt that the persist must replace or remove.
    QVERIFY(TextFile::writeLines(log->currentFile(), {QStringLiteral("old")}));
    for (int i = 0; i < count; ++i)
        log->add(QString::number(i));
    QVERIFY(log->cleanlog_Click());

    QStringList expected;
    for (int i = 0; i < count; ++i)
        expected.append(kStamp + QString::number(i));
    QStringList archive;
    if (archived) {
        QVERIFY(log->lstMessages().isEmpty());
        QVERIFY(!QFileInfo::exists(log->currentFile()));
        QVERIFY(TextFile::readLines(logs() + QLatin1Char('/') + kArchive, &archive));
        QCOMPARE(archive, expected);
    } else {
        QCOMPARE(log->lstMessages().size(), count);
        QVERIFY(!QFileInfo::exists(logs() + QLatin1Char('/') + kArchive));
        QVERIFY(TextFile::readLines(log->currentFile(), &archive));
        QCOMPARE(archive, expected);
    }
}

void TestActivityLog::messageEntryComesBackAsLines()
{
    // A crashed run leaves logtemp.txt; the message entry occupies three lines there.
    {
        auto log = makeLog();
        log->addMessage(ActivityLog::MessageKind::From, QStringLiteral("BOB"),
                        QStringLiteral("BOB> hello"));
        log->addNetworkRestored();
        QVERIFY(log->cleanlog_Click());
        QCOMPARE(bytesOf(log->currentFile()),
                 QByteArray("12-08-25:03:04p:Msg from BOB\t\r\nBOB> hello\r\n---\r\n"
                            "12-08-25:03:04p:Network Connection Restored\r\n"));
    }
    now_ = now_.addDays(1);
    auto log = makeLog();
    QVERIFY(log->recoverUnfinished());
    const QStringList expected{
        QStringLiteral("12-09-25:03:04p:Vantrell Messenger shutdown correctly.\t\r\n---"),
        kStamp + QStringLiteral("Msg from BOB\t"), QStringLiteral("BOB> hello"),
        QStringLiteral("---"), kStamp + QStringLiteral("Network Connection Restored")};
    QCOMPARE(log->lstMessages(), expected);
    QVERIFY(!QFileInfo::exists(log->currentFile()));

    // Without logtemp.txt (a clean exit) there is nothing to bring back.
    auto clean = makeLog();
    QVERIFY(clean->recoverUnfinished());
    QVERIFY(clean->lstMessages().isEmpty());
}

void TestActivityLog::exitArchivesAndRemovesCurrent()
{
    auto log = makeLog();
    log->addSettingsSaved();
    QVERIFY(log->cleanlog_Click());
    QVERIFY(log->archiveAtExit());
    QVERIFY(log->lstMessages().isEmpty());
    QVERIFY(!QFileInfo::exists(log->currentFile()));
    QCOMPARE(
        bytesOf(logs() + QLatin1Char('/') + kArchive),
        QByteArray(
            "12-08-25:03:04p: Settings changed and saved.\r\n12-08-25:03:04p:QM.\t\r\n---\r\n"));
}

void TestActivityLog::saveNowLeavesOneEntry()
{
    auto log = makeLog();
    log->addNetworkRestored();
    QVERIFY(log->cleanlog_Click());
    const QByteArray current = bytesOf(log->currentFile());
    QVERIFY(log->logsave_Click());
    QCOMPARE(log->lstMessages(), QStringList{kStamp + QStringLiteral(" Log Saved and cleared.")});
    QCOMPARE(bytesOf(logs() + QLatin1Char('/') + kArchive),
             QByteArray(
                 "12-08-25:03:04p:Network Connection Restored\r\n12-08-25:03:04p: Log Saved.\r\n"));
    // logtemp.txt waits for the next persist.
    QCOMPARE(bytesOf(log->currentFile()), current);
}

void TestActivityLog::sameSecondArchiveKeepsEarlierOne()
{
    // "Save Log Now" and the exit within one second share the archive name; the first
    // archive's entries must still be there afterwards.
    auto log = makeLog();
    log->addNetworkError(QStringLiteral("Address in use"));
    QVERIFY(log->logsave_Click());
    QVERIFY(log->archiveAtExit());
    QStringList lines;
    QVERIFY(TextFile::readLines(logs() + QLatin1Char('/') + kArchive, &lines));
    const QStringList expected{kStamp + QStringLiteral("Network Error Address in use"),
                               kStamp + QStringLiteral(" Log Saved."),
                               kStamp + QStringLiteral(" Log Saved and cleared."),
                               kStamp + QStringLiteral("QM.\t"), QStringLiteral("---")};
    QCOMPARE(lines, expected);
}

void TestActivityLog::failingArchiveLosesNothing()
{
    auto log = makeLog();
    // A folder where the archive should go makes every archive write fail.
    QVERIFY(QDir(logs()).mkdir(kArchive));
    for (int i = 0; i < 302; ++i)
        log->add(QString::number(i));
    const QStringList entries = log->lstMessages();

    QVERIFY(!log->cleanlog_Click());
    QCOMPARE(log->lstMessages(), entries);
    QStringList current;
    QVERIFY(TextFile::readLines(log->currentFile(), &current));
    QCOMPARE(current, entries);

    QVERIFY(!log->logsave_Click());
    QCOMPARE(log->lstMessages(), entries); // and no " Log Saved." that is not true

    QVERIFY(!log->archiveAtExit());
    QCOMPARE(log->lstMessages().size(), entries.size() + 1);
    QVERIFY(TextFile::readLines(log->currentFile(), &current));
    QCOMPARE(current.size(), entries.size() + 2); // the "QM." entry takes two lines

    // The next start brings every entry back.
    auto next = makeLog();
    QVERIFY(next->recoverUnfinished());
    QCOMPARE(next->lstMessages().mid(1, entries.size()), entries);
}

void TestActivityLog::entryView_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    QTest::newRow("status entry: text, then an empty line")
        << kStamp + QStringLiteral("Network Connection Restored")
        << "12-08-25:03:04p\r\nNetwork Connection Restored\r\n";
    QTest::newRow("message entry without a colon")
        << kStamp + QStringLiteral("Msg from BOB\t\r\nBOB> hello\r\n---")
        << "12-08-25:03:04p\r\nMsg from BOB\t\r\nBOB> hello\r\n---\r\n";
    QTest::newRow("colon after the stamp splits the text")
        << kStamp + QStringLiteral("Msg to   BOB\t\r\nME> time: 3pm\r\n---")
        << "12-08-25:03:04p\r\nMsg to   BOB\t\r\nME> time\r\n3pm\r\n---";
    QTest::newRow("a colon inside a time keeps the text whole")
        << kStamp + QStringLiteral("Msg from BOB\t\r\nBOB> lunch at 12:30\r\n---")
        << "12-08-25:03:04p\r\nMsg from BOB\t\r\nBOB> lunch at 12:30\r\n---\r\n";
    QTest::newRow("split at the first colon that ends a word")
        << kStamp + QStringLiteral("Msg to   BOB\t\r\nME> at 12:30, note: bring it\r\n---")
        << "12-08-25:03:04p\r\nMsg to   BOB\t\r\nME> at 12:30, note\r\nbring it\r\n---";
    QTest::newRow("recovered line without a stamp") << "---"
                                                    << "---\r\n\r\n";
    QTest::newRow("stamp only, cut short") << "12-08-25:03"
                                           << "12-08-25:03\r\n\r\n";
    QTest::newRow("colon as the last character")
        << kStamp + QStringLiteral("abc:") << "12-08-25:03:04p\r\nabc\r\n";
    QTest::newRow("empty") << ""
                           << "\r\n\r\n";
}

void TestActivityLog::entryView()
{
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QCOMPARE(ActivityLog::entryView(entry), expected);
}

QTEST_APPLESS_MAIN(TestActivityLog)
#include "test_activitylog.moc"
