#pragma once
// The logic of the settings dialog: its `acchanged` and `fwdchange` flags, Save and Cancel,
// the diagnostics, the "Change" buttons, the Admin tab's actions and the rules for the sound
// file and the forward target. There is no copy of the options here: edits go straight into
// the session's live options and button set, and Cancel puts the stored ones back from the
// files. The dialog widget is a view over this class and owns no state of its own.
//
// Decisions where the dialog as the older program has it goes wrong:
// - Coming back from the forward-target dialog does not clear `acchanged`: a check box
//   ticked before choosing (or cancelling) a target still takes effect at Save.
// - A forward target that differs from the one in force when the dialog was opened counts
//   as a change at Save, even when a later Cancel of the forward-target dialog cleared
//   `fwdchange`; otherwise the new target is stored but its menu entry never follows.
// - Save that cannot write the settings file or the button file says so in a box, keeps
//   every edit (nothing is re-read from the old file) and leaves the dialog open.
// - Reset All closes both sockets while "Are you Sure?" is open and, after No, binds again
//   only those that were bound. A file that cannot be deleted is named before the restart
//   message instead of being passed over.
#include "messenger/settings/buttonset.h"

#include <QObject>
#include <QString>
#include <QStringList>

class Messenger;
struct Options;

class SettingsEditor final : public QObject
{
    Q_OBJECT
public:
    static const QString caption;             // "Vantrell Messenger - Settings"
    static const QString frameCaption;        // "Vantrell Messenger " (the diagnostics frame)
    static const QString transferTitle;       // "Settings and Buttons Transfer Utility"
    static const QString notInstalled;        // "  (Utility not Installed)"
    static const QString transferDescription; // "Exchange Settings, Buttons configuration ..."
    static const QStringList fontSizes;       // "8", "10", "12", "14", "16"

    // `session` owns the live options and button set; it must outlive the editor.
    explicit SettingsEditor(Messenger &session, QObject *parent = nullptr);

    Messenger &session() const { return session_; }
    bool acchanged() const { return acchanged_; }
    bool fwdchange() const { return fwdchange_; }

    // --- Opening and diagnostics ---
    // Every opening: refresh the diagnostics, clear `acchanged`, look for the transfer
    // utility. The forward target in force is noted (see the class comment).
    void activate();
    // `getstats`: the port fields and the diagnostics text from the sockets and status line.
    void getstats();
    QString localinfo() const { return localinfo_; }
    int portlisten() const { return portlisten_; }
    int portsend() const { return portsend_; }
    // The diagnostics text: version, address, host and user, then the two socket states,
    // or "Network Error:" and "No network connection" while the status line says so.
    static QString diagnostics(const QString &localIp, const QString &hostName,
                               const QString &userName, int listeningState, int sendingState,
                               bool networkError);
    // A socket state number as the diagnostics name it; the sending socket's bound state is
    // "Ready", the listening socket's "Listening".
    static QString stateName(int state, bool listening);

    // --- The transfer utility ---
    // "cfgrelay" ("cfgrelay.exe" on Windows) next to the running program.
    static QString defaultTransferProgram();
    QString transferProgram() const { return transferProgram_; }
    void setTransferProgram(const QString &path) { transferProgram_ = path; }
    // As found by the last activation.
    bool transferAvailable() const { return transferAvailable_; }
    // The Admin tab's heading, with "  (Utility not Installed)" when it is missing.
    QString transferHeading() const;
    // "Transfer": starts the utility detached, in the program folder, passing the folder on.
    // False when it could not be started (the dialog ignores that, as the program did).
    bool transfer();

    // --- Edits of the options; each sets `acchanged` ---
    void setFlag(bool Options::*flag, bool value);
    void setFontSize(const QString &text);
    // Automatic response text i, 0..2.
    void setResponse(int i, const QString &text);
    // The sound file chosen in the file dialog: taken only when the name ends in ".wav" (any
    // letter case); anything else, an empty choice included, is ignored. True when taken.
    bool chooseWavefile(const QString &path);
    static bool isWaveFile(const QString &path);

    // --- The forward target ---
    // The forward-target dialog's list: "None", then every visible user but oneself.
    QStringList forwardChoices() const;
    // The forward-target dialog's Save wrote the fourth response and the target label.
    void forwardTargetSaved(const QString &ar3, const QString &ar3temp);
    // Its Cancel.
    void forwardTargetCancelled() { fwdchange_ = false; }
    // "When forwarding, send Auto Response to orig. sender as well." is usable only with a
    // target set.
    bool autoreplyEnabled() const;

    // --- Edits of the button set (they do not set `acchanged`) ---
    // Each returns the row's look now (the live colouring of a dialog row).
    ButtonSet::Look setButtonCaption(int i, const QString &caption);
    void setButtonMessage(int i, const QString &message);
    ButtonSet::Look setButtonSendImmediately(int i, bool sendNow);

    // --- "Change" buttons; they store the settings at once ---
    void changeName();          // `Command1_Click`, then the name field follows
    void changeListeningPort(); // `changeports1_Click`, then `getstats`
    void changeSendingPort();   // `changeports2_Click`, then `getstats`

    // --- Admin ---
    // "Auto Clean": users.txt keeps only the own entry, `acchanged` is set, a probe goes out.
    // False (told in a box) when the file could not be written.
    bool autoClean();
    // "Reset All Data". True when the answer was Yes: the data files are gone and the
    // program is ending (Messenger::quitRequested was emitted).
    bool resetAllData();
    bool ending() const { return ending_; }

    // --- Save and Cancel ---
    // True when all was stored and the dialog may hide; false when a file could not be
    // written (told in a box; the edits are kept and the dialog stays open).
    bool save();
    void cancel();

Q_SIGNALS:
    // The diagnostics, the ports or the name changed.
    void statsChanged();
    // The forward target changed (`ar3temp`, and so the enabled state of `autoreply`).
    void forwardTargetChanged();

private:
    void tell(const QString &text);

    Messenger &session_;
    bool acchanged_ = false;
    bool fwdchange_ = false;
    bool ending_ = false;
    bool transferAvailable_ = false;
    QString transferProgram_;
    QString localinfo_;
    int portlisten_ = 0;
    int portsend_ = 0;
    QString ar3AtOpening_;
};
