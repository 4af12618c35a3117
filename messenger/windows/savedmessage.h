#pragma once
// Saved message files: "Save / Print" of a message window and "Copy / Print" of the log
// window write the message or the log conversation as a text file into the user's
// QMmessages folder and open it in a text editor. A file is written once, never read back.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class Messenger;

class SavedMessage final
{
public:
    // Opens a written file for reading or printing; false when it could not be started.
    using Opener = std::function<bool(const QString &path)>;

    static const QString separator; // 60 hyphens

    // `folder` is the QMmessages folder (defaultFolder() when empty); `opener` starts the
    // editor (openInEditor() when empty).
    explicit SavedMessage(Messenger &session, const QString &folder = QString(),
                          Opener opener = {});

    QString folder() const { return folder_; }

    // Where saved files go: on Windows by the profile rule below, elsewhere the documents
    // folder + "/QMmessages".
    static QString defaultFolder();
    // The Windows rule: a profile path with "users" after its first character (any case)
    // keeps its files in "\Documents\QMmessages", any other in "\My Documents\QMmessages".
    static QString folderForProfile(const QString &userprofile);
    // The default opener: the platform's text editor ("notepad.exe" on Windows), detached.
    static bool openInEditor(const QString &path);

    // A name made safe as part of a file name: path separators, control characters,
    // : * ? " < > | and the second dot of ".." become "_", so the file stays in the folder.
    static QString safeName(const QString &name);
    // "QM-" + "yymmdd" + "hhnnss" + "-" + sender in lower case (made safe) + ".txt".
    static QString messageFileName(const QDateTime &when, const QString &senderName);
    // "QMlog-" + "yymmdd" + "hhnnss" + ".txt".
    static QString logFileName(const QDateTime &when);

    // The lines of a saved message; `path` is the file's full path as shown, `caption` the
    // window caption (its last 8 characters are the time of receipt).
    static QStringList messageLines(const QString &path, const QString &ownName,
                                    const QString &senderName, const QDateTime &when,
                                    const QString &caption, const QString &conversation,
                                    const QString &response);
    // The lines of a saved log conversation; `user` is the workstation key.
    static QStringList logLines(const QString &path, const QString &ownName, const QString &user,
                                const QDateTime &when, const QString &viewerText);

    // "Save / Print" of message window `index` (0..9, or 10 for the recall window). The full
    // path of the file, or empty after "Cannot create file" was told.
    QString printbtn_Click(int index);
    // "Copy / Print" of the log window with the viewer's text (the clipboard is the view's).
    QString saveLog(const QString &viewerText);

private:
    using Builder = std::function<QStringList(const QString &shownPath)>;
    QString save(const QString &fileName, const Builder &lines);
    void reportFailure();

    Messenger &session_;
    QString folder_;
    Opener opener_;
};
