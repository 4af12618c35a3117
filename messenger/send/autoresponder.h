#pragma once
// Automatic response and forwarding: the away mode of the session, switched on from the
// automatic-response menu and off by any own sending activity, and the handling of a
// message that concerns this copy while it is on (answer it, or pass it on to the forward
// target and on request answer it too, and record it in the history).
//
// A body that already carries this user's own forward line is not forwarded again: two
// copies whose forward targets name each other would otherwise pass a message back and
// forth without end. Such a message is recorded as received and nothing is sent.
#include "messenger/net/datagram.h"

#include <QObject>
#include <QString>

#include <functional>

class Messenger;

class AutoResponder final : public QObject
{
    Q_OBJECT
public:
    // Sends one datagram; false on a socket error.
    using Sender = std::function<bool(const QString &datagram)>;

    // A current automatic response starting with this is a forward instruction.
    static const QString forwardPrefix; // "Forward to: "
    // The automatic-response menu: entries 0..3 are the texts, 4 is "Auto Respond Off".
    static constexpr int OffEntry = 4;

    enum class TrayLook { Idle, Message, Away };

    explicit AutoResponder(Messenger &session, QObject *parent = nullptr);

    // Datagrams go through `send` instead of the session's socket (tests capture them).
    void setSender(Sender send) { send_ = std::move(send); }

    // Menu entry i (0..3): its text becomes the current automatic response and the mode
    // goes on. False (nothing changes) for an empty text, an entry out of range, or while
    // AUTORESPONSEALLOW is off.
    bool switchOn(int entry);
    // The mode goes off ("Auto Respond Off", the notice clicked, any Send or reply, any
    // change of the compose box).
    void switchOff();
    // The display update after every switch.
    void away_Click();

    // The menu entry with the check mark: 0..3 or OffEntry.
    int checkedEntry() const { return checked_; }
    // The notice label and whether it (with its frame, and the history's away indicator)
    // shows.
    QString noticeText() const;
    bool noticeVisible() const;
    // The tray menu's toggle entry.
    QString toggleText() const;
    // The tray icon's look as the mode and the free-slot count choose it.
    TrayLook trayLook() const;

    // A message that concerns this copy while away (the session's `awayHandler`).
    void handle(const Datagram::Message &message);

    // "-- Msg auto fwded by NAME --", the first line a forward adds.
    static QString forwardLine(const QString &name);
    // True when a line of `body` is exactly this user's forward line.
    static bool carriesForwardLine(const QString &body, const QString &name);

Q_SIGNALS:
    // The mode or its text changed; the views read the getters above.
    void displayChanged();
    // A forward was refused because the body had passed this copy before.
    void forwardRefused(const QString &sender);

private:
    void record(const QString &kind, const Datagram::Message &message);

    Messenger &session_;
    Sender send_;
    int checked_ = OffEntry;
};
