#include "settingsfile.h"

#include "common/fieldreader.h"
#include "common/text.h"
#include "common/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace
{

constexpr int DefaultListenPort = 4111;
constexpr int DefaultSendPort = 4112;
constexpr int KeyLength = 23;

QString key(const char *name)
{
    return Text::settingsKey(QLatin1String(name));
}

// A value never carries a line break of its own into the file.
QString oneLine(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

QString line(const char *name, const QString &value)
{
    return key(name) + oneLine(value);
}
QString line(const char *name, bool flag)
{
    return key(name) + QLatin1Char(flag ? '1' : '0');
}

bool startsWithNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[ \\t]*[+-]?[0-9]"));
    return number.match(text).hasMatch();
}

// The leading decimal number of a text, a fraction included ("4102.5"); 0 when none.
double leadingDecimal(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

bool validPort(int port)
{
    return port >= 1 && port <= 65535;
}

// The loader's items: last value of every line item that starts with a known key.
class Items final
{
public:
    explicit Items(const QString &text)
    {
        const QStringList lines = TextFile::splitLines(text);
        for (const QString &fileLine : lines) {
            FieldReader reader(fileLine);
            while (!reader.atEnd()) {
                const QString item = reader.next();
                if (item.size() >= KeyLength)
                    values_.insert(item.left(KeyLength), item.mid(KeyLength));
            }
        }
    }

    std::optional<QString> value(const char *name) const
    {
        const auto it = values_.constFind(key(name));
        if (it == values_.constEnd())
            return std::nullopt;
        return *it;
    }

private:
    QHash<QString, QString> values_;
};

class Loader final
{
public:
    Loader(const Items &items, SettingsFile::LoadResult &result) : items_(items), result_(result) {}

    void text(const char *name, QString &target)
    {
        if (const auto value = items_.value(name))
            target = *value;
    }

    void number(const char *name, int &target)
    {
        if (const auto value = items_.value(name)) {
            if (!startsWithNumber(*value))
                problem(name, *value, QStringLiteral("is not a number; read as 0"));
            target = Text::leadingNumber(*value);
        }
    }

    void flag(const char *name, bool &target)
    {
        int n = target ? 1 : 0;
        number(name, n);
        target = n != 0;
    }

    bool has(const char *name) const { return items_.value(name).has_value(); }
    std::optional<QString> value(const char *name) const { return items_.value(name); }

    void problem(const char *name, const QString &value, const QString &what)
    {
        result_.problems.append(
            QStringLiteral("%1 \"%2\" %3").arg(QLatin1String(name), value, what));
    }

private:
    const Items &items_;
    SettingsFile::LoadResult &result_;
};

void applyFileValues(const Items &items, Options &options, bool startupRunning,
                     SettingsFile::LoadResult &result)
{
    Loader in(items, result);
    options.usewatchdog = false;

    if (in.has("MY NAME")) {
        in.text("MY NAME", options.friendlyname);
        options.friendlyname = options.friendlyname.toUpper();
    }
    in.number("LISTENINGPORT", options.listenPort);
    in.number("SENDINGPORT", options.sendPort);
    in.flag("PLAYSOUND", options.soundon);
    in.flag("REPLYTOALL", options.replytoall);
    in.flag("SHOWOWN", options.myown);

    if (in.has("AUTORESPONSEMSG")) {
        in.text("AUTORESPONSEMSG", options.ar[0]);
        options.autorespond = options.ar[0];
    }
    in.text("AUTORESPONSEMSG1", options.ar[1]);
    in.text("AUTORESPONSEMSG2", options.ar[2]);
    if (in.has("AUTORESPONSEMSG3")) {
        in.text("AUTORESPONSEMSG3", options.ar[3]);
        // Only a forward instruction may stand in the fourth entry.
        if (!options.ar[3].startsWith(QLatin1String("Forw")))
            options.ar[3].clear();
        options.ar3temp = options.ar[3].mid(12);
    }

    in.flag("AUTORESPONSEFORWARD", options.autoreply);
    if (in.has("AUTORESPONSEALLOW")) {
        in.flag("AUTORESPONSEALLOW", options.autoresmaster);
        result.autoResponseAllowApplied = true;
    }
    in.flag("SHOWMEINLIST", options.showme);
    in.flag("STARTWITHWINDOWS", options.autostartup);
    in.flag("MINIMIZEONSTART", options.startminimized);
    in.flag("KEEPINFRONT", options.ontop);

    if (const auto size = in.value("MESSAGEFONTSIZE")) {
        const int points = Text::leadingNumber(*size);
        if (points < 1 || points > 72) {
            in.problem("MESSAGEFONTSIZE", *size, QStringLiteral("is no font size; 10 is used"));
            options.msgfontsize = QStringLiteral("10");
        } else {
            options.msgfontsize = *size;
        }
    }
    in.flag("USERLISTFONT", options.userlistfont);
    in.flag("STARTCLEARUSERCACHE", options.startclearusers);
    in.flag("RESETPORTS", options.resetports);
    in.flag("ENTERSEND", options.entersend);
    in.flag("HIDEENTERSENDTIP", options.hidetip);
    in.text("WAVEFILE", options.wavefile);

    // The saved position counts only for the window that is just being placed.
    if (startupRunning) {
        if (const auto x = in.value("WINPOSX")) {
            options.winPosX = std::max(0.0, leadingDecimal(*x));
            result.windowLeft = options.winPosX;
        }
        if (const auto y = in.value("WINPOSY")) {
            options.winPosY = std::max(0.0, leadingDecimal(*y));
            result.windowTop = options.winPosY;
        }
    }
}

// What does not come from the file: runs for a missing or unreadable file too.
void applyFallbacks(const QString &programFolder, Options &options,
                    SettingsFile::LoadResult &result)
{
    if (options.wavefile.isEmpty() || !QFileInfo(options.wavefile).isFile()) {
        options.wavefile = SettingsFile::defaultWavefile(programFolder);
        result.wavefileReplaced = true;
    }

    int &listen = options.listenPort;
    int &send = options.sendPort;
    const bool listenValid = validPort(listen);
    const bool sendValid = validPort(send);
    if (listenValid && sendValid && listen != send) {
        // Nothing to correct.
    } else if (!listenValid && !sendValid) {
        listen = DefaultListenPort;
        send = DefaultSendPort;
        result.portsReset = true;
    } else {
        if (!listenValid)
            listen = DefaultListenPort;
        if (!sendValid)
            send = DefaultSendPort;
        if (listen == send) {
            listen = DefaultListenPort;
            send = DefaultSendPort;
        }
        result.portsReset = true;
    }

    for (int i = 0; i < 4; ++i) {
        result.responseMenu[i].caption = options.ar[i];
        result.responseMenu[i].visible = !options.ar[i].isEmpty();
    }

    result.fontSize = options.fontSize();
    result.list1HeightTwips = result.fontSize > 10 ? 3405 : 3390;
    result.userListFontSize = options.userlistfont ? 7 : result.fontSize;
    result.userListHeightTwips = result.userListFontSize > 10 ? 3405 : 3390;

    result.hintsVisible = !options.hidetip;
    if (options.entersend) {
        result.hint1 = QStringLiteral("Press Enter to Send");
        result.hint2 = QStringLiteral("Ctrl+Enter for new line");
    } else {
        result.hint1 = QStringLiteral("Press Ctrl+Enter to Send");
        result.hint2.clear();
    }
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString SettingsFile::header()
{
    return QStringLiteral("Vantrell Messenger v%1.%2.%3")
        .arg(VT_VERSION_MAJOR)
        .arg(VT_VERSION_MINOR)
        .arg(VT_VERSION_PATCH);
}

QString SettingsFile::path(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("settings.txt"));
}

QString SettingsFile::defaultWavefile(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("tovik.wav"));
}

QString SettingsFile::formatTwips(double twips)
{
    if (!std::isfinite(twips))
        twips = 0;
    QString text = QString::number(twips, 'f', 4);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

bool SettingsFile::writeDefaults(const QString &path, const QString &friendlyname,
                                 const QString &programFolder, double winLeftTwips,
                                 double winTopTwips, QString *error)
{
    const QStringList lines = {
        header(),
        line("MY NAME", friendlyname.toUpper()),
        line("LISTENINGPORT", QString::number(DefaultListenPort)),
        line("SENDINGPORT", QString::number(DefaultSendPort)),
        line("PLAYSOUND", true),
        line("REPLYTOALL", false),
        line("SHOWOWN", false),
        line("AUTORESPONSEALLOW", false),
        line("SHOWMEINLIST", true),
        line("STARTWITHWINDOWS", true),
        line("MINIMIZEONSTART", false),
        line("KEEPINFRONT", false),
        line("AUTORESPONSEMSG", QStringLiteral("I'm away from my desk")),
        line("AUTORESPONSEMSG1", QStringLiteral("I'm out of the office")),
        line("AUTORESPONSEMSG2", QStringLiteral("I'm in a meeting")),
        line("AUTORESPONSEMSG3", QString()),
        line("AUTORESPONSEFORWARD", true),
        line("MESSAGEFONTSIZE", QStringLiteral("10")),
        line("USERLISTFONT", false),
        line("USEWATCHDOG", true),
        line("STARTCLEARUSERCACHE", false),
        line("RESETPORTS", false),
        line("ENTERSEND", false),
        line("HIDEENTERSENDTIP", false),
        line("WAVEFILE", defaultWavefile(programFolder)),
        line("WINPOSX", formatTwips(winLeftTwips)),
        line("WINPOSY", formatTwips(winTopTwips)),
        QString(),
    };
    if (!TextFile::writeLines(path, lines)) {
        setError(error, QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

SettingsFile::LoadResult SettingsFile::load(const QString &path, Options &options,
                                            bool startupRunning)
{
    LoadResult result;
    const QFileInfo info(path);
    if (info.exists()) {
        QString text;
        if (info.isFile() && TextFile::read(path, &text)) {
            result.status = LoadResult::Status::Loaded;
            applyFileValues(Items(text), options, startupRunning, result);
        } else {
            result.status = LoadResult::Status::ReadFailed;
            result.error = QStringLiteral("Cannot read %1").arg(QDir::toNativeSeparators(path));
        }
    }
    applyFallbacks(info.absolutePath(), options, result);
    return result;
}

bool SettingsFile::save(const QString &path, const Options &options, double winLeftTwips,
                        double winTopTwips, QString *error)
{
    const QStringList lines = {
        header(),
        QStringLiteral("Settings file"),
        line("MY NAME", options.friendlyname),
        line("LISTENINGPORT", QString::number(options.listenPort)),
        line("SENDINGPORT", QString::number(options.sendPort)),
        line("PLAYSOUND", options.soundon),
        line("REPLYTOALL", options.replytoall),
        line("SHOWOWN", options.myown),
        line("AUTORESPONSEMSG", options.ar[0]),
        line("AUTORESPONSEMSG1", options.ar[1]),
        line("AUTORESPONSEMSG2", options.ar[2]),
        line("AUTORESPONSEMSG3", options.ar[3]),
        line("AUTORESPONSEFORWARD", options.autoreply),
        line("AUTORESPONSEALLOW", options.autoresmaster),
        line("SHOWMEINLIST", options.showme),
        line("STARTWITHWINDOWS", options.autostartup),
        line("MINIMIZEONSTART", options.startminimized),
        line("KEEPINFRONT", options.ontop),
        line("MESSAGEFONTSIZE", options.msgfontsize),
        line("USERLISTFONT", options.userlistfont),
        line("STARTCLEARUSERCACHE", options.startclearusers),
        line("RESETPORTS", options.resetports),
        line("ENTERSEND", options.entersend),
        line("HIDEENTERSENDTIP", options.hidetip),
        line("WAVEFILE", options.wavefile),
        line("WINPOSX", formatTwips(winLeftTwips)),
        line("WINPOSY", formatTwips(winTopTwips)),
        QStringLiteral("End"),
    };
    if (!TextFile::writeLines(path, lines)) {
        setError(error, QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}
