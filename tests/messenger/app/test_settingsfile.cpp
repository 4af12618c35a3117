// The settings file: the first-run file byte for byte, save and load agreeing, and the
// loader's reaction to hand-edited, odd and broken files.
#include "messenger/app/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// A complete file as the saver writes it; `extra` lines are appended before "End".
QByteArray settingsText(const QStringList &extra = {})
{
    QStringList lines = {
        QStringLiteral("Vantrell Messenger v1.5.1"),
        QStringLiteral("Settings file"),
        QStringLiteral("[MY NAME             ]=ANNA SMITH"),
        QStringLiteral("[LISTENINGPORT       ]=5111"),
        QStringLiteral("[SENDINGPORT         ]=5112"),
        QStringLiteral("[PLAYSOUND           ]=0"),
        QStringLiteral("[AUTORESPONSEMSG     ]=Gone fishing"),
        QStringLiteral("[AUTORESPONSEMSG3    ]=Forward to: BOB"),
    };
    lines += extra;
    lines.append(QStringLiteral("End"));
    return lines.join(QLatin1String("\r\n")).toLatin1() + "\r\n";
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path() const { return SettingsFile::path(dir_.path()); }
    void writeFile(const QByteArray &bytes)
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray fileBytes() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() { QFile::remove(path()); }

    void firstRunFileIsExact()
    {
        const QString folder = QStringLiteral("/opt/vtm");
        QVERIFY(SettingsFile::writeDefaults(path(), QStringLiteral("Anna"), folder, 5497.5, 3015));
        const QByteArray expected = "Vantrell Messenger v1.5.1\r\n"
                                    "[MY NAME             ]=ANNA\r\n"
                                    "[LISTENINGPORT       ]=4111\r\n"
                                    "[SENDINGPORT         ]=4112\r\n"
                                    "[PLAYSOUND           ]=1\r\n"
                                    "[REPLYTOALL          ]=0\r\n"
                                    "[SHOWOWN             ]=0\r\n"
                                    "[AUTORESPONSEALLOW   ]=0\r\n"
                                    "[SHOWMEINLIST        ]=1\r\n"
                                    "[STARTWITHWINDOWS    ]=1\r\n"
                                    "[MINIMIZEONSTART     ]=0\r\n"
                                    "[KEEPINFRONT         ]=0\r\n"
                                    "[AUTORESPONSEMSG     ]=I'm away from my desk\r\n"
                                    "[AUTORESPONSEMSG1    ]=I'm out of the office\r\n"
                                    "[AUTORESPONSEMSG2    ]=I'm in a meeting\r\n"
                                    "[AUTORESPONSEMSG3    ]=\r\n"
                                    "[AUTORESPONSEFORWARD ]=1\r\n"
                                    "[MESSAGEFONTSIZE     ]=10\r\n"
                                    "[USERLISTFONT        ]=0\r\n"
                                    "[USEWATCHDOG         ]=1\r\n"
                                    "[STARTCLEARUSERCACHE ]=0\r\n"
                                    "[RESETPORTS          ]=0\r\n"
                                    "[ENTERSEND           ]=0\r\n"
                                    "[HIDEENTERSENDTIP    ]=0\r\n"
                                    "[WAVEFILE            ]=/opt/vtm/tovik.wav\r\n"
                                    "[WINPOSX             ]=5497.5\r\n"
                                    "[WINPOSY             ]=3015\r\n"
                                    "\r\n";
        QCOMPARE(fileBytes(), expected);
    }

    void firstRunFileLoadsAsDefaults()
    {
        QVERIFY(SettingsFile::writeDefaults(path(), QStringLiteral("anna"), dir_.path(), 100, 200));
        Options options;
        options.usewatchdog = true;
        const auto result = SettingsFile::load(path(), options, true);
        QCOMPARE(result.status, SettingsFile::LoadResult::Status::Loaded);
        QVERIFY(result.problems.isEmpty());
        QCOMPARE(options.friendlyname, QStringLiteral("ANNA"));
        QCOMPARE(options.listenPort, 4111);
        QCOMPARE(options.sendPort, 4112);
        QVERIFY(!options.usewatchdog); // the file says 1, but no key switches it on
        QCOMPARE(options.ar[2], QStringLiteral("I'm in a meeting"));
        QCOMPARE(options.wavefile, QDir(dir_.path()).filePath(QStringLiteral("tovik.wav")));
        QCOMPARE(*result.windowLeft, 100.0);
        QCOMPARE(*result.windowTop, 200.0);
        QVERIFY(!result.portsReset);
    }

    void saveThenLoadRoundTrips()
    {
        QFile sound(QDir(dir_.path()).filePath(QStringLiteral("ping.wav")));
        QVERIFY(sound.open(QIODevice::WriteOnly));
        sound.close();

        Options saved;
        saved.friendlyname = QStringLiteral("ANNA \u00c9LISE"); // a Windows-1252 letter
        saved.listenPort = 6000;
        saved.sendPort = 6001;
        saved.soundon = false;
        saved.replytoall = true;
        saved.myown = true;
        saved.autoresmaster = true;
        saved.showme = false;
        saved.autostartup = false;
        saved.startminimized = true;
        saved.ontop = true;
        saved.autoreply = false;
        saved.userlistfont = true;
        saved.startclearusers = true;
        saved.resetports = true;
        saved.entersend = true;
        saved.hidetip = true;
        saved.ar[0] = QStringLiteral("Back soon");
        saved.ar[1] = QStringLiteral("Out");
        saved.ar[2] = QString();
        saved.ar[3] = QStringLiteral("Forward to: BOB");
        saved.msgfontsize = QStringLiteral("14");
        saved.wavefile = sound.fileName();
        QVERIFY(SettingsFile::save(path(), saved, 1234.5, 99));

        const QByteArray bytes = fileBytes();
        QVERIFY(bytes.startsWith("Vantrell Messenger v1.5.1\r\nSettings file\r\n[MY NAME           "
                                 "  ]=ANNA \xc9LISE\r\n"));
        QVERIFY(bytes.contains("\r\n[PLAYSOUND           ]=0\r\n[REPLYTOALL          ]=1\r\n"));
        QVERIFY(bytes.endsWith(
            "[WINPOSX             ]=1234.5\r\n[WINPOSY             ]=99\r\nEnd\r\n"));
        QVERIFY(!bytes.contains("USEWATCHDOG"));

        Options loaded;
        const auto result = SettingsFile::load(path(), loaded, true);
        QCOMPARE(result.status, SettingsFile::LoadResult::Status::Loaded);
        QCOMPARE(loaded.friendlyname, saved.friendlyname);
        QCOMPARE(loaded.listenPort, 6000);
        QCOMPARE(loaded.sendPort, 6001);
        QCOMPARE(loaded.soundon, false);
        QCOMPARE(loaded.replytoall, true);
        QCOMPARE(loaded.myown, true);
        QCOMPARE(loaded.autoresmaster, true);
        QCOMPARE(loaded.showme, false);
        QCOMPARE(loaded.autostartup, false);
        QCOMPARE(loaded.startminimized, true);
        QCOMPARE(loaded.ontop, true);
        QCOMPARE(loaded.autoreply, false);
        QCOMPARE(loaded.userlistfont, true);
        QCOMPARE(loaded.startclearusers, true);
        QCOMPARE(loaded.resetports, true);
        QCOMPARE(loaded.entersend, true);
        QCOMPARE(loaded.hidetip, true);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(loaded.ar[i], saved.ar[i]);
        QCOMPARE(loaded.autorespond, QStringLiteral("Back soon"));
        QCOMPARE(loaded.ar3temp, QStringLiteral("BOB"));
        QCOMPARE(loaded.msgfontsize, QStringLiteral("14"));
        QCOMPARE(loaded.wavefile, saved.wavefile);
        QCOMPARE(*result.windowLeft, 1234.5);
        QCOMPARE(*result.windowTop, 99.0);

        // What the windows are told to show.
        QVERIFY(result.autoResponseAllowApplied);
        QCOMPARE(result.responseMenu[0].caption, QStringLiteral("Back soon"));
        QVERIFY(result.responseMenu[1].visible);
        QVERIFY(!result.responseMenu[2].visible);
        QCOMPARE(result.responseMenu[3].caption, QStringLiteral("Forward to: BOB"));
        QCOMPARE(result.fontSize, 14);
        QCOMPARE(result.list1HeightTwips, 3405);
        QCOMPARE(result.userListFontSize, 7);
        QCOMPARE(result.userListHeightTwips, 3390);
        QVERIFY(!result.hintsVisible);
        QCOMPARE(result.hint1, QStringLiteral("Press Enter to Send"));
        QCOMPARE(result.hint2, QStringLiteral("Ctrl+Enter for new line"));
        QVERIFY(!result.wavefileReplaced);

        // A second save of what was loaded writes the same bytes.
        QVERIFY(SettingsFile::save(path(), loaded, 1234.5, 99));
        QCOMPARE(fileBytes(), bytes);
    }

    void hintsFollowEnterSend()
    {
        writeFile(settingsText({QStringLiteral("[ENTERSEND           ]=0"),
                                QStringLiteral("[HIDEENTERSENDTIP    ]=0")}));
        Options options;
        options.entersend = true;
        const auto result = SettingsFile::load(path(), options, false);
        QVERIFY(result.hintsVisible);
        QCOMPARE(result.hint1, QStringLiteral("Press Ctrl+Enter to Send"));
        QVERIFY(result.hint2.isEmpty());
    }

    // One hand-edited file per row; the row names the option to look at and its value.
    void loaderEdgeCases_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("reportsProblem");

        QTest::newRow("comma cuts a value")
            << settingsText({QStringLiteral("[AUTORESPONSEMSG1    ]=Out, back at 3")}) << "ar1"
            << "Out" << false;
        QTest::newRow("text after a comma matches no key")
            << settingsText(
                   {QStringLiteral("[AUTORESPONSEMSG1    ]=Out,[LISTENINGPORT       ]=7000")})
            << "listen"
            << "7000" << false;
        QTest::newRow("quote after a comma does not swallow later lines")
            << settingsText({QStringLiteral("[AUTORESPONSEMSG1    ]=Out, \"back"),
                             QStringLiteral("[SENDINGPORT         ]=7001")})
            << "send"
            << "7001" << false;
        QTest::newRow("quoted item loses its quotes")
            << settingsText({QStringLiteral("\"[AUTORESPONSEMSG1    ]=Out, back at 3\"")}) << "ar1"
            << "Out, back at 3" << false;
        QTest::newRow("blanks before an item are dropped")
            << settingsText({QStringLiteral("   [AUTORESPONSEMSG2    ]=Lunch")}) << "ar2"
            << "Lunch" << false;
        QTest::newRow("last duplicate wins")
            << settingsText({QStringLiteral("[MY NAME             ]=carl")}) << "name"
            << "CARL" << false;
        QTest::newRow("lower-case key ignored")
            << settingsText({QStringLiteral("[my name             ]=carl")}) << "name"
            << "ANNA SMITH" << false;
        QTest::newRow("unpadded key ignored")
            << settingsText({QStringLiteral("[MY NAME]=carl")}) << "name"
            << "ANNA SMITH" << false;
        QTest::newRow("header, End and empty lines change nothing")
            << QByteArray("Vantrell Messenger v1.5.1\r\n\r\nSettings file\r\nEnd\r\n\r\n") << "name"
            << "KEPT" << false;
        QTest::newRow("LF line ends read too")
            << QByteArray("[MY NAME             ]=lf\n[SENDINGPORT         ]=4200\n") << "name"
            << "LF" << false;

        QTest::newRow("Forw rule keeps a forward entry") << settingsText() << "ar3temp"
                                                         << "BOB" << false;
        QTest::newRow("Forw rule drops anything else")
            << settingsText({QStringLiteral("[AUTORESPONSEMSG3    ]=Call me")}) << "ar3"
            << "" << false;
        QTest::newRow("dropped fourth entry has no target")
            << settingsText({QStringLiteral("[AUTORESPONSEMSG3    ]=Call me")}) << "ar3temp"
            << "" << false;
        QTest::newRow("dropped fourth entry is hidden")
            << settingsText({QStringLiteral("[AUTORESPONSEMSG3    ]=Call me")}) << "menu3"
            << "hidden" << false;

        QTest::newRow("equal ports become the defaults")
            << settingsText({QStringLiteral("[SENDINGPORT         ]=5111")}) << "ports"
            << "4111/4112" << false;
        QTest::newRow("no port keys at all")
            << QByteArray("[MY NAME             ]=X\r\n") << "ports"
            << "4111/4112" << false;
        QTest::newRow("missing listening port takes its default")
            << QByteArray("[SENDINGPORT         ]=5112\r\n") << "ports"
            << "4111/5112" << false;
        QTest::newRow("missing sending port takes its default")
            << QByteArray("[LISTENINGPORT       ]=5111\r\n") << "ports"
            << "5111/4112" << false;
        QTest::newRow("missing port whose default is taken: both defaults")
            << QByteArray("[SENDINGPORT         ]=4111\r\n") << "ports"
            << "4111/4112" << false;
        QTest::newRow("non-numeric port reads as 0, then its default")
            << settingsText({QStringLiteral("[LISTENINGPORT       ]=abc")}) << "ports"
            << "4111/5112" << true;
        QTest::newRow("both ports non-numeric")
            << settingsText({QStringLiteral("[LISTENINGPORT       ]=x"),
                             QStringLiteral("[SENDINGPORT         ]=y")})
            << "ports"
            << "4111/4112" << true;
        QTest::newRow("port above 65535 is not truncated")
            << settingsText({QStringLiteral("[SENDINGPORT         ]=70000")}) << "ports"
            << "5111/4112" << false;
        QTest::newRow("negative port")
            << settingsText({QStringLiteral("[LISTENINGPORT       ]=-5")}) << "ports"
            << "4111/5112" << false;
        QTest::newRow("port with trailing text keeps its number")
            << settingsText({QStringLiteral("[LISTENINGPORT       ]=6111 (office)")}) << "ports"
            << "6111/5112" << false;

        QTest::newRow("non-numeric flag reads as 0")
            << settingsText({QStringLiteral("[PLAYSOUND           ]=yes")}) << "soundon"
            << "0" << true;
        QTest::newRow("font size out of range becomes 10")
            << settingsText({QStringLiteral("[MESSAGEFONTSIZE     ]=5000")}) << "fontsize"
            << "10" << true;

        QTest::newRow("negative position clamped to 0")
            << settingsText({QStringLiteral("[WINPOSX             ]=-300"),
                             QStringLiteral("[WINPOSY             ]=-0.5")})
            << "position"
            << "0,0" << false;
        QTest::newRow("fractional position")
            << settingsText({QStringLiteral("[WINPOSX             ]=4102.5"),
                             QStringLiteral("[WINPOSY             ]=17")})
            << "position"
            << "4102.5,17" << false;

        QTest::newRow("empty wavefile falls back")
            << settingsText({QStringLiteral("[WAVEFILE            ]=")}) << "wavefile"
            << "default" << false;
        QTest::newRow("missing wavefile falls back")
            << settingsText({QStringLiteral("[WAVEFILE            ]=/nonexistent/ring.wav")})
            << "wavefile"
            << "default" << false;
    }

    void loaderEdgeCases()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QFETCH(bool, reportsProblem);

        writeFile(file);
        Options options;
        options.friendlyname = QStringLiteral("KEPT");
        options.wavefile = QStringLiteral("/nonexistent/before.wav");
        const auto result = SettingsFile::load(path(), options, true);
        QCOMPARE(result.status, SettingsFile::LoadResult::Status::Loaded);
        QCOMPARE(!result.problems.isEmpty(), reportsProblem);

        QString actual;
        if (field == QLatin1String("name"))
            actual = options.friendlyname;
        else if (field == QLatin1String("ar1"))
            actual = options.ar[1];
        else if (field == QLatin1String("ar2"))
            actual = options.ar[2];
        else if (field == QLatin1String("ar3"))
            actual = options.ar[3];
        else if (field == QLatin1String("ar3temp"))
            actual = options.ar3temp;
        else if (field == QLatin1String("menu3"))
            actual =
                result.responseMenu[3].visible ? QStringLiteral("shown") : QStringLiteral("hidden");
        else if (field == QLatin1String("listen"))
            actual = QString::number(options.listenPort);
        else if (field == QLatin1String("send"))
            actual = QString::number(options.sendPort);
        else if (field == QLatin1String("ports"))
            actual = QStringLiteral("%1/%2").arg(options.listenPort).arg(options.sendPort);
        else if (field == QLatin1String("soundon"))
            actual = QString::number(int(options.soundon));
        else if (field == QLatin1String("fontsize"))
            actual = options.msgfontsize;
        else if (field == QLatin1String("position"))
            actual = QStringLiteral("%1,%2").arg(*result.windowLeft).arg(*result.windowTop);
        else if (field == QLatin1String("wavefile"))
            actual = options.wavefile == SettingsFile::defaultWavefile(dir_.path())
                         ? QStringLiteral("default")
                         : options.wavefile;
        else
            QFAIL("unknown field");
        QCOMPARE(actual, expected);
    }

    void reloadAfterStartupDoesNotMoveWindow()
    {
        writeFile(settingsText({QStringLiteral("[WINPOSX             ]=300"),
                                QStringLiteral("[WINPOSY             ]=400")}));
        Options options;
        options.winPosX = 10;
        options.winPosY = 20;
        const auto result = SettingsFile::load(path(), options, false);
        QVERIFY(!result.windowLeft);
        QVERIFY(!result.windowTop);
        QCOMPARE(options.winPosX, 10.0);
        QCOMPARE(options.winPosY, 20.0);
        // Everything else is still applied.
        QCOMPARE(options.friendlyname, QStringLiteral("ANNA SMITH"));
    }

    void equalPortsStayInTheFileUntilSaved()
    {
        const QByteArray file = settingsText({QStringLiteral("[SENDINGPORT         ]=5111")});
        writeFile(file);
        Options options;
        const auto result = SettingsFile::load(path(), options, true);
        QVERIFY(result.portsReset);
        QCOMPARE(fileBytes(), file);
        QVERIFY(SettingsFile::save(path(), options, 0, 0));
        QVERIFY(
            fileBytes().contains("[LISTENINGPORT       ]=4111\r\n[SENDINGPORT         ]=4112\r\n"));
    }

    void reloadWithoutPortKeysKeepsPortsInUse()
    {
        writeFile("[MY NAME             ]=X\r\n");
        Options options;
        options.listenPort = 6111;
        options.sendPort = 6112;
        const auto result = SettingsFile::load(path(), options, false);
        QVERIFY(!result.portsReset);
        QCOMPARE(options.listenPort, 6111);
        QCOMPARE(options.sendPort, 6112);
    }

    void missingFileKeepsOptionsButFillsDefaults()
    {
        Options options;
        options.friendlyname = QStringLiteral("KEPT");
        options.usewatchdog = true;
        const auto result = SettingsFile::load(path(), options, true);
        QCOMPARE(result.status, SettingsFile::LoadResult::Status::Missing);
        QCOMPARE(options.friendlyname, QStringLiteral("KEPT"));
        QVERIFY(options.usewatchdog);
        QCOMPARE(options.listenPort, 4111);
        QCOMPARE(options.sendPort, 4112);
        QCOMPARE(options.wavefile, SettingsFile::defaultWavefile(dir_.path()));
        QVERIFY(!result.windowLeft);
    }

    void unreadableFileIsReportedAndAppliesNothing()
    {
        // A folder where the file should be cannot be read as a file.
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("settings.txt")));
        Options options;
        options.friendlyname = QStringLiteral("KEPT");
        options.listenPort = 6111;
        options.sendPort = 6112;
        const auto result = SettingsFile::load(path(), options, true);
        QDir(dir_.path()).rmdir(QStringLiteral("settings.txt"));
        QCOMPARE(result.status, SettingsFile::LoadResult::Status::ReadFailed);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(options.friendlyname, QStringLiteral("KEPT"));
        QCOMPARE(options.listenPort, 6111);
        QCOMPARE(options.sendPort, 6112);
    }

    void truncatedFileKeepsWhatItHas()
    {
        writeFile("Vantrell Messenger v1.5.1\r\nSettings file\r\n[MY NAME             "
                  "]=ZOE\r\n[LISTENINGPO");
        Options options;
        options.ar[1] = QStringLiteral("kept");
        const auto result = SettingsFile::load(path(), options, true);
        QCOMPARE(result.status, SettingsFile::LoadResult::Status::Loaded);
        QCOMPARE(options.friendlyname, QStringLiteral("ZOE"));
        QCOMPARE(options.ar[1], QStringLiteral("kept"));
        QCOMPARE(options.listenPort, 4111);
    }

    void saverKeepsEveryValueOnItsOwnLine()
    {
        Options options;
        options.listenPort = 4111;
        options.sendPort = 4112;
        options.friendlyname = QStringLiteral("EVE");
        // A forward target taken from the network could carry a line break.
        options.ar[3] = QStringLiteral("Forward to: BOB\r\n[LISTENINGPORT       ]=1");
        QVERIFY(SettingsFile::save(path(), options, 0, 0));
        const QByteArray bytes = fileBytes();
        QCOMPARE(bytes.count("\r\n"), 28);
        QVERIFY(
            bytes.contains("[AUTORESPONSEMSG3    ]=Forward to: BOB [LISTENINGPORT       ]=1\r\n"));
        Options loaded;
        SettingsFile::load(path(), loaded, true);
        QCOMPARE(loaded.listenPort, 4111);
    }

    void saveFailureIsReported()
    {
        QString error;
        const QString missingFolder = QDir(dir_.path()).filePath(QStringLiteral("no/such/folder"));
        QVERIFY(!SettingsFile::save(SettingsFile::path(missingFolder), Options(), 0, 0, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!SettingsFile::writeDefaults(SettingsFile::path(missingFolder), QStringLiteral("X"),
                                             missingFolder, 0, 0, &error));
    }

    void twipsFormat_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 3015.0 << "3015";
        QTest::newRow("half") << 5497.5 << "5497.5";
        QTest::newRow("negative") << -300.0 << "-300";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("not a number") << qQNaN() << "0";
    }

    void twipsFormat()
    {
        QFETCH(double, twips);
        QFETCH(QString, text);
        QCOMPARE(SettingsFile::formatTwips(twips), text);
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
