#include "dispatcher.h"

#include "common/datetimeformat.h"
#include "common/text.h"
#include "messenger/app/messenger.h"

Dispatcher::Dispatcher(Messenger &session, QObject *parent) : QObject(parent), session_(session) {}

bool Dispatcher::concernsMe(const Datagram::Message &message) const
{
    const QString &user = session_.directory.user;
    if (message.recipient == Datagram::everybody)
        return message.sender != user || session_.options.myown;
    return message.sender != user && message.recipient == user;
}

void Dispatcher::tick()
{
    Transport &transport = session_.transport;
    if (transport.boxopen() || transport.isEmpty())
        return;
    transport.setCuetotalFromCount();
    const QString datagram = transport.current();

    if (Datagram::isPresence(datagram)) {
        session_.directory.handlePresence(datagram);
        transport.removeCurrent();
        return;
    }
    const Datagram::Message message = Datagram::splitMessage(datagram);
    if (!message.ok) {
        transport.removeCurrent();
        return;
    }
    session_.directory.refreshUser();
    if (concernsMe(message)) {
        if (session_.away)
            session_.handleAway(message);
        else
            show(message);
    }
    // Finish: the log is saved after every message datagram, shown or not.
    session_.cleanlog_Click();
    transport.removeCurrent();
}

int Dispatcher::show(const Datagram::Message &message)
{
    const QDateTime now = session_.now();
    const QString name = session_.directory.displayNameOf(message.sender);
    const QString proper = Text::properCase(name);

    if (session_.options.soundon)
        Q_EMIT session_.playSound();
    session_.log.addMessage(ActivityLog::MessageKind::From, name, message.body);

    PopupSlots &slots = session_.popupSlots;
    slots.popupcount();
    const int n = slots.choose();
    PopupState &window = slots.state(n);
    window.punumber = n;
    window.messagefrom = proper;
    window.message = message.body;
    window.caption = proper + QStringLiteral(" Msg ") +
                     DateTimeFormat::format(now, QLatin1String(DateTimeFormat::CaptionTime));
    window.broadcast =
        message.recipient == Datagram::everybody ? QStringLiteral("(Sent to ALL)") : QString();
    if (session_.options.replytoall)
        window.replyToAll = true;
    window.temp.clear();
    Q_EMIT session_.popupFilled(n);

    session_.history.addRow(
        History::receivedRow(now, proper, message.body, message.recipient, window.caption));
    session_.history.selectit();
    slots.popupcount();
    return n;
}
