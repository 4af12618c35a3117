#pragma once
// The settings file "settings.txt": the first-run writer, the loader (`loadusers_Click`,
// settings part) and the saver (`saveallsettings_Click`). It reads and writes `Options`
// only; what the windows must do with the loaded values comes back in a LoadResult.
//
// Decisions where the file alone does not say what to do:
// - Ports: a port that ends up outside 1..65535 after the load (key missing on the first
//   load, not a number, negative or too large) is "missing": it takes its default (4111
//   listening, 4112 sending) unless that equals the other port, and then both take their
//   defaults. Equal ports also give both defaults. All of this is in memory only; the next
//   save writes the corrected numbers. So a port 0 never reaches the sockets.
// - Flags: the leading number of the value; any number but 0 switches the flag on. A value
//   that is not a number reads as 0 and is listed in LoadResult::problems.
// - MESSAGEFONTSIZE: kept as text; a size outside 1..72 points becomes "10" (reported).
// - The file is read line by line and each line field by field, so a double quote in a
//   hand-edited value cannot swallow the lines (and keys) after it.
// - A file that exists but cannot be read applies none of its values and is reported; the
//   fallbacks that do not come from the file (sound file, port check) still run, exactly
//   as for a missing file, so the options stay usable.
// - The saver replaces line breaks inside values by blanks: a value can never add a line
//   (and so a key) of its own. A comma still cuts a value on reading, as the Windows copies
//   read it the same way.
#include "messenger/app/options.h"

#include <QString>
#include <QStringList>

#include <optional>

class SettingsFile final
{
public:
    SettingsFile() = delete;

    // The main window's size in twips (the first-run position centres it).
    static constexpr double MainWindowWidth = 8205;
    static constexpr double MainWindowHeight = 5370;

    struct MenuEntry {
        QString caption;
        bool visible = false;
    };

    // What the windows apply after a load.
    struct LoadResult {
        enum class Status { Loaded, Missing, ReadFailed };
        Status status = Status::Missing;
        QString error;        // why the file could not be read
        QStringList problems; // values that were read as 0 or replaced, one line each

        // Set only while start-up runs and the key was read; already clamped to 0 or more.
        // After start-up the window stays where it is, but its edges are still kept at 0
        // or more by the caller.
        std::optional<double> windowLeft;
        std::optional<double> windowTop;

        // The automatic-response menu entries 0..3 (caption = text, shown when not empty).
        MenuEntry responseMenu[4];
        // AUTORESPONSEALLOW was read: enable or disable `away`, the "Auto" button and the
        // tray toggle from `Options::autoresmaster`, and put the menu's check mark on
        // "Auto Respond Off".
        bool autoResponseAllowApplied = false;

        int fontSize = 10; // compose box, message windows, history, `List1`
        int list1HeightTwips = 3390;
        int userListFontSize = 10; // `allusers`
        int userListHeightTwips = 3390;

        bool hintsVisible = true; // `entlabel1` and `entlabel2`
        QString hint1;
        QString hint2;

        bool portsReset = false;       // a port was missing, invalid or equal to the other
        bool wavefileReplaced = false; // WAVEFILE was empty or named no file
        // Always to be applied by the caller from the options: the start-with-the-desktop
        // entry (`autostartup`) and the message windows' stacking (`ontop`).
    };

    // The header line of this release: "Vantrell Messenger v" + major.minor.patch.
    static QString header();
    // The file in a program folder.
    static QString path(const QString &programFolder);
    // The default sound file of a program folder.
    static QString defaultWavefile(const QString &programFolder);

    // Writes a new file with the defaults, the display name and the centred window position.
    // False (and *error) when it cannot be written.
    static bool writeDefaults(const QString &path, const QString &friendlyname,
                              const QString &programFolder, double winLeftTwips, double winTopTwips,
                              QString *error = nullptr);

    // Applies the file at `path` (in the program folder) to `options`. `startupRunning`:
    // the start-up sequence has not finished, so the saved window position is applied.
    static LoadResult load(const QString &path, Options &options, bool startupRunning);

    // Rewrites the file whole from the options and the main window's current edges.
    // The caller then enables `away` and the tray toggle from `autoresmaster`, writes or
    // removes the start-with-the-desktop entry and ends running "tovikwatchdog.exe".
    static bool save(const QString &path, const Options &options, double winLeftTwips,
                     double winTopTwips, QString *error = nullptr);

    // A twips value as the file writes it: decimal, a fraction only when there is one.
    static QString formatTwips(double twips);
};
