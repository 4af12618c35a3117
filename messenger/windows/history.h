#pragma once
// The history: the last 100 message events of this workstation (received, sent, replied,
// answered automatically) with the history window's options, kept in hist.dat. The history
// window is a view over this object; the dispatcher, the send routines and the automatic
// response add rows built here.
#include "conversationcolour.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

// One history row: the list item's text (column 0) and its nine sub-items.
struct HistoryRow {
    enum Column {
        Index = 0,       // creation time "yyyymmddhhnnss"
        Date = 1,        // creation time "mm/dd/yy hh:mm am/pm"
        Kind = 2,        // From, To, RepliedTo or AutoRepTo
        User = 3,        // the other party
        MessageHead = 4, // received text up to and including the ">" of its first "> "; "" for To
        MessageMain = 5, // received text after its first "> "; for To the text as sent
        Addressee = 6,   // From: the message's recipient field; Replied to: the recipient
        Reply = 7,       // Replied to / Auto Rep to: the reply text
        RecallTab = 7,   // To: the main window's recipient tab at sending
        RecallIndex = 8, // To: the position of the chosen user or group in its list
        Caption = 9,     // all but To: the message window's caption for this event
        ColumnCount = 10
    };

    inline static const QString From = QStringLiteral("From");
    inline static const QString To = QStringLiteral("To");
    inline static const QString RepliedTo = QStringLiteral("Replied to");
    inline static const QString AutoRepTo = QStringLiteral("Auto Rep to");

    std::array<QString, ColumnCount> columns;

    QString &operator[](int column) { return columns[std::size_t(column)]; }
    const QString &operator[](int column) const { return columns[std::size_t(column)]; }
    const QString &kind() const { return columns[Kind]; }
    bool operator==(const HistoryRow &other) const { return columns == other.columns; }
};

class History final : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxRows = 100;

    // Which of the window's two ways of showing a row: as the newest row (`selectit`,
    // head + " " + text) or after a click in the list (head and text joined directly).
    enum class View { Newest, Clicked };

    // What the conversation area shows for a row, with its colours.
    struct Display {
        QString text;
        QList<ConversationColour::Run> runs;
    };

    explicit History(QObject *parent = nullptr);

    const QList<HistoryRow> &rows() const { return rows_; }
    // The current row, 0-based; -1 when there is none.
    int current() const { return current_; }
    HistoryRow currentRow() const;

    // Appends a row and makes it the current one. Rows of sent messages stop there (the
    // window shows them as after a click); the other writers run `selectit` next.
    void addRow(const HistoryRow &row);
    // Trims to the newest 100 rows and makes the last one current.
    void selectit();
    // A click or key press in the list (`ListView1_Click`): `row` becomes current.
    void select(int row);
    // Removes every row (the window asks first).
    void clear();

    bool ontop() const { return ontop_; }
    bool minmain() const { return minmain_; }
    bool anchor() const { return anchor_; }
    bool wasopen() const { return wasopen_; }
    void setOntop(bool on);
    void setMinmain(bool on);
    void setAnchor(bool on);
    void setWasopen(bool on) { wasopen_ = on; }

    // hist.dat. Load (`loadbtn_Click`) replaces the rows and options when the file exists
    // and then runs `selectit`; a missing file changes nothing and is no error. A damaged
    // file gives every row that can be read. Save (`Savebtn_Click`) trims to 100 rows and
    // rewrites the file, but only when there are rows. False on a file error.
    bool load(const QString &path);
    bool save(const QString &path);

    // What the conversation area shows for `row`; `ownName` is the own display name.
    static Display display(const HistoryRow &row, const QString &ownName, View view);
    // The conversation put into the recall window: head + " " + text.
    static QString recallText(const HistoryRow &row);

    // Rows of the writers. `now` gives the index, the date and the caption time.
    // A received message that was shown ("From"); `caption` is the message window's.
    static HistoryRow receivedRow(const QDateTime &now, const QString &displayNameProper,
                                  const QString &body, const QString &recipient,
                                  const QString &caption);
    // A message sent from the main window ("To") to `user` (a name, a group or "ALL").
    static HistoryRow sentRow(const QDateTime &now, const QString &user, const QString &text,
                              int recalltab, int recallindex);
    // A reply sent to `target` (`temprec` is the conversation answered, `tempreply` the reply).
    static HistoryRow repliedRow(const QDateTime &now, const QString &target,
                                 const QString &temprec, const QString &tempreply);
    // A message handled while away: `kind` is From (forwarded) or AutoRepTo (answered);
    // `autorespond` is the automatic response in use.
    static HistoryRow autoResponseRow(const QDateTime &now, const QString &kind,
                                      const QString &senderDisplayProper, const QString &body,
                                      const QString &recipient, const QString &autorespond);

Q_SIGNALS:
    void rowsChanged();
    void currentChanged(int row);
    void optionsChanged();

private:
    void trim();
    void setCurrent(int row);

    QList<HistoryRow> rows_;
    int current_ = -1;
    bool ontop_ = false;
    bool minmain_ = false;
    bool anchor_ = false;
    bool wasopen_ = false;
};
