#include "autoresponder.h"

#include "common/text.h"
#include "common/textfile.h"
#include "messenger/app/messenger.h"

#include <algorithm>

const QString AutoResponder::forwardPrefix = QStringLiteral("Forward to: ");

AutoResponder::AutoResponder(Messenger &session, QObject *parent)
    : QObject(parent), session_(session),
      send_([this](const QString &datagram) { return session_.broadcast(datagram); })
{
}

bool AutoResponder::switchOn(int entry)
{
    if (!session_.options.autoresmaster || entry < 0 || entry >= OffEntry)
        return false;
    const QString text = session_.options.ar[entry];
    if (text.isEmpty())
        return false;
    session_.options.autorespond = text;
    checked_ = entry;
    session_.away = true;
    away_Click();
    return true;
}

void AutoResponder::switchOff()
{
    session_.away = false;
    checked_ = OffEntry;
    away_Click();
}

void AutoResponder::away_Click()
{
    Q_EMIT displayChanged();
}

QString AutoResponder::noticeText() const
{
    return QStringLiteral("Auto Respond On: ") + session_.options.autorespond;
}

bool AutoResponder::noticeVisible() const
{
    return session_.away;
}

QString AutoResponder::toggleText() const
{
    return session_.away ? QStringLiteral("Disable Auto Respond")
                         : QStringLiteral("Enable Auto Respond");
}

AutoResponder::TrayLook AutoResponder::trayLook() const
{
    if (session_.away)
        return TrayLook::Away;
    return session_.popupSlots.pucount().toInt() >= 10 ? TrayLook::Idle : TrayLook::Message;
}

QString AutoResponder::forwardLine(const QString &name)
{
    return QStringLiteral("-- Msg auto fwded by ") + name + QStringLiteral(" --");
}

bool AutoResponder::carriesForwardLine(const QString &body, const QString &name)
{
    const QString own = forwardLine(name);
    const QStringList lines = TextFile::splitLines(body);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString &line) { return line == own; });
}

void AutoResponder::handle(const Datagram::Message &message)
{
    const Options &options = session_.options;
    const QString &user = session_.directory.user;
    // The own message to everybody, received back, is neither answered nor recorded.
    if (message.sender == user)
        return;
    // Another absent user's automatic response: no trace, so two absent users do not
    // answer each other for ever.
    if (Datagram::isAutoResponse(message.body))
        return;

    const QString text = options.autorespond;
    if (text.startsWith(forwardPrefix)) {
        if (carriesForwardLine(message.body, options.friendlyname)) {
            record(HistoryRow::From, message);
            Q_EMIT forwardRefused(message.sender);
            return;
        }
        const QString target = session_.directory.lookupName(text.mid(forwardPrefix.size()));
        send_(Datagram::message(message.sender, target,
                                Datagram::autoForwardBody(options.friendlyname, message.body)));
        record(HistoryRow::From, message);
        if (!options.autoreply)
            return;
    }
    send_(Datagram::message(user, message.sender,
                            Datagram::autoResponseBody(message.body, options.friendlyname, text)));
    record(HistoryRow::AutoRepTo, message);
}

void AutoResponder::record(const QString &kind, const Datagram::Message &message)
{
    const QString proper = Text::properCase(session_.directory.displayNameOf(message.sender));
    session_.history.addRow(History::autoResponseRow(session_.now(), kind, proper, message.body,
                                                     message.recipient,
                                                     session_.options.autorespond));
    session_.history.selectit();
}
