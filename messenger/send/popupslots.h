#pragma once
// The ten message-window slots: which windows are free, which one a new message goes
// into (the oldest open one when all ten are busy), freeing a slot when its window closes,
// the free-slot count that drives the tray icon and menu, and closing everything at once.
// It also keeps the per-window state of the ten windows and of the recall window.
//
// A free of a slot that is already free is ignored, so `popups` always holds exactly ten
// entries and the count stays right even if a window frees twice.
#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <array>
#include <functional>

// What one message window shows and keeps between uses of its slot.
struct PopupState {
    int punumber = 0;    // the window's slot number (10 for the recall window)
    QString messagefrom; // the sender's display name in proper case (the reply goes to it)
    QString message;     // the conversation text
    QString caption;
    QString broadcast;       // the broadcast marker text (empty when not sent to all)
    bool replyToAll = false; // "reply to all" checked
    QString temp;            // the response being typed
    QString response;        // reply target
};

class PopupSlots final : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    static constexpr int SlotCount = 10;
    // Index of the recall window `popuplast` among the window states.
    static constexpr int RecallWindow = 10;

    // `clock` stamps the slot records; the local time when none is given.
    explicit PopupSlots(Clock clock = {}, QObject *parent = nullptr);

    // One entry per slot use, oldest first: "-" for a free token, else the record
    // "yymmdd" + "hhnnss" + "popup" + N.
    const QStringList &popups() const { return popups_; }
    // Entry N is "N" while slot N is free and "-" while it is busy.
    const QStringList &wins() const { return wins_; }
    // The number of free slots as text ("0" .. "10"), as last counted.
    const QString &pucount() const { return pucount_; }

    // Counts the free slots, sets `pucount` and tells the tray and the menus.
    int popupcount();
    // Takes the lowest free slot, or the oldest busy one when none is free; returns N.
    int choose();
    // Frees slot n (a window's `punumber`); a slot that is not busy is left alone.
    void free(int n);
    // Back to ten free slots; the windows hide and their conversation is emptied.
    void dismissAll();

    bool isBusy(int n) const;
    // The state of window 0..9, or of the recall window (RecallWindow).
    PopupState &state(int index) { return states_.at(std::size_t(index)); }
    const PopupState &state(int index) const { return states_.at(std::size_t(index)); }

Q_SIGNALS:
    // Every time `pucount` is set; the tray icon is idle when count >= 10.
    void pucountChanged(int count);
    // The tray entry "Close All POPups" is enabled when true and disabled when false; the
    // `dissmissall` button is enabled when true and never disabled by the count.
    void closeAllEnabledChanged(bool enabled);
    // Dismiss all ran: every message window and the recall window hide.
    void allDismissed();

private:
    void reset();

    Clock clock_;
    QStringList popups_;
    QStringList wins_;
    QString pucount_;
    std::array<PopupState, SlotCount + 1> states_;
};
