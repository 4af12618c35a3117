#pragma once
// The activity log: the time-stamped entries of what was sent and received and of notable
// events (`lstMessages`), mirrored into logs/logtemp.txt and archived into dated files that
// the log viewer reads. The log window is a view over this object.
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class ActivityLog final : public QObject
{
    Q_OBJECT
public:
    enum class MessageKind { From, To, Forward };

    // `programFolder` holds the "logs" folder (created when missing); `clock` gives the time
    // of the stamps and archive names (the local time when empty).
    explicit ActivityLog(const QString &programFolder, std::function<QDateTime()> clock = {},
                         QObject *parent = nullptr);

    const QStringList &lstMessages() const { return lstMessages_; }
    QString logsFolder() const { return logsFolder_; }
    // logs/logtemp.txt
    QString currentFile() const;

    // The 16-character stamp "mm-dd-yy:hh:nna/p:" of now.
    QString stamp() const;
    // Appends stamp + text.
    void add(const QString &text);

    // kind (9 wide) + name + TAB + CR LF + body + CR LF + "---", without the stamp.
    static QString messageEntry(MessageKind kind, const QString &name, const QString &body);
    void addMessage(MessageKind kind, const QString &name, const QString &body);
    // The status entries.
    void addStartMark();         // "QM." TAB CR LF "---" (start-up and exit)
    void addShutdownCorrectly(); // "Vantrell Messenger shutdown correctly." TAB CR LF "---"
    void addSettingsSaved();     // " Settings changed and saved."
    void addNetworkRestored();   // "Network Connection Restored"
    void addNetworkError(const QString &description); // "Network Error " + description

    // Persists the log: past 301 entries into a new archive (then the list is emptied and
    // logtemp.txt removed), otherwise into logtemp.txt. False on a file error; the entries
    // then stay in the list and, as far as it can be written, in logtemp.txt.
    bool cleanlog_Click();
    // Start-up: brings back the log of a run that did not exit cleanly (logtemp.txt present),
    // one entry per line, after a "shutdown correctly" entry, and removes the file. True when
    // there was nothing to recover or all went well; false when the file could not be read
    // (it is then left alone) or removed.
    bool recoverUnfinished();
    // Exit: appends the "QM." entry and archives the whole list, then empties it and removes
    // logtemp.txt. On failure the list is kept and written to logtemp.txt instead, so the
    // next start brings it back.
    bool archiveAtExit();
    // "Save Log Now": archives the list with a " Log Saved." entry, then leaves only
    // " Log Saved and cleared.". logtemp.txt keeps the old entries until the next persist.
    // On failure the list is left as it was.
    bool logsave_Click();

    // What the log window's viewer shows for an entry: the stamp without its last colon,
    // CR LF, the text up to its first colon that ends a word (from the 17th character on),
    // CR LF, the text after that colon and its blank. Short entries give what can be cut.
    static QString entryView(const QString &entry);

Q_SIGNALS:
    void changed();

private:
    QDateTime now() const;
    // Writes the whole list to a new archive named after now. An archive of the same name
    // (same second) is extended rather than replaced, so no earlier archive is lost.
    bool writeArchive() const;
    bool writeCurrent() const;
    bool removeCurrent() const;
    void ensureFolder() const;

    QString logsFolder_;
    std::function<QDateTime()> clock_;
    QStringList lstMessages_;
};
