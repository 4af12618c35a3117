#pragma once
// The receive dispatcher: on every tick of the receive timer it handles the oldest queued
// datagram, handing presence to the directory and showing, logging and recording the
// messages that concern this copy. A datagram leaves the queue only when its handling is
// over, whatever failed on the way.
#include "messenger/net/datagram.h"

#include <QObject>

class Messenger;

class Dispatcher final : public QObject
{
    Q_OBJECT
public:
    explicit Dispatcher(Messenger &session, QObject *parent = nullptr);

    // One tick of `Timer3`.
    void tick();
    // True when the message concerns this copy (addressee filter with SHOWOWN).
    bool concernsMe(const Datagram::Message &message) const;
    // Shows a message that concerns this copy while it is not away; returns the slot used.
    int show(const Datagram::Message &message);

private:
    Messenger &session_;
};
