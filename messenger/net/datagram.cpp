#include "datagram.h"

#include "common/codec.h"

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QLatin1Char kClose(']');
const QLatin1Char kEquals('=');
} // namespace

const QString Datagram::everybody = QStringLiteral("[ALL]");
const QString Datagram::nobody = QStringLiteral("[---]");
const QString Datagram::announceMarker = QStringLiteral("***");
const QString Datagram::replyMarker = QStringLiteral("**-");
const QString Datagram::signOffMarker = QStringLiteral("-**");
const QString Datagram::autoResponseMarker = QStringLiteral(":RE: ");

QString Datagram::presence(const QString &marker, const QString &identity, const QString &name)
{
    return marker + identity + kEquals + name;
}

QString Datagram::announce(const QString &identity, const QString &name)
{
    return presence(announceMarker, identity, name);
}

QString Datagram::reply(const QString &identity, const QString &name)
{
    return presence(replyMarker, identity, name);
}

QString Datagram::signOff(const QString &identity, const QString &name)
{
    return presence(signOffMarker, identity, name);
}

QString Datagram::message(const QString &sender, const QString &recipient, const QString &body)
{
    return sender + recipient + body;
}

QString Datagram::networkTest()
{
    return QStringLiteral(" ");
}

QString Datagram::composeBody(const QString &name, const QString &text)
{
    return name + QStringLiteral("> ") + text;
}

QString Datagram::toAllBody(const QString &name, const QString &text)
{
    return name + QStringLiteral("> (To All) ") + text;
}

QString Datagram::replyToAllBody(const QString &name, const QString &text)
{
    return QStringLiteral("To All (from ") + name + QStringLiteral("):") + kCrLf + text;
}

QString Datagram::autoForwardBody(const QString &name, const QString &receivedBody)
{
    return QStringLiteral("-- Msg auto fwded by ") + name + QStringLiteral(" --") + kCrLf +
           receivedBody;
}

QString Datagram::autoResponseBody(const QString &receivedBody, const QString &name,
                                   const QString &text)
{
    return autoResponseMarker + receivedBody + kCrLf + name + QStringLiteral("> (Auto Resp) ") +
           text;
}

Datagram::Kind Datagram::classify(const QString &datagram)
{
    const QString head = datagram.left(3);
    if (head == announceMarker || head == replyMarker || head == signOffMarker)
        return Kind::Presence;
    return Kind::Message;
}

Datagram::Presence Datagram::splitPresence(const QString &datagram)
{
    Presence out;
    if (classify(datagram) != Kind::Presence)
        return out;
    // The markers hold no "=", so p is at least 3 and the identity may only be empty.
    const qsizetype p = datagram.indexOf(kEquals);
    if (p < 0)
        return out;
    out.ok = true;
    out.marker = datagram.left(3);
    out.identity = upper(datagram.mid(3, p - 3));
    out.name = upper(datagram.mid(p + 1));
    return out;
}

Datagram::Message Datagram::splitMessage(const QString &datagram)
{
    Message out;
    const qsizetype p1 = datagram.indexOf(kClose);
    if (p1 < 0)
        return out;
    const qsizetype p2 = datagram.indexOf(kClose, p1 + 1);
    if (p2 < 0)
        return out;
    out.ok = true;
    out.sender = datagram.left(p1 + 1);
    out.recipient = datagram.mid(p1 + 1, p2 - p1);
    out.body = datagram.mid(p2 + 1);
    return out;
}

bool Datagram::isAutoResponse(const QString &body)
{
    return body.startsWith(autoResponseMarker.left(4));
}

QString Datagram::upper(const QString &text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        const QChar u = c.toUpper();
        if (u == c)
            continue;
        // Only letters whose capital the code page can carry; anything else would reach
        // the wire as "?" and no longer match the sender's own upper-case text.
        if (u.unicode() < 0x80 || Codec::encode(QString(u)) != QByteArrayLiteral("?"))
            out[i] = u;
    }
    return out;
}
