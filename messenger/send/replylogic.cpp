#include "replylogic.h"

#include <cstdlib>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

int ReplyLogic::room(const QString &ownName, const QString &senderName, const QString &response)
{
    return messlen - int(senderName.size() + ownName.size() + response.size() + roomAllowance);
}

ReplyLogic::Reply ReplyLogic::prepareReply(const QString &conversation, const QString &response,
                                           const QString &ownName, const QString &senderName)
{
    Reply reply;
    reply.response = response.left(messlen);
    const int space = room(ownName, senderName, reply.response);
    QString quoted = conversation;
    if (quoted.size() > space) {
        // A negative room still keeps |room| characters: the older copies do, and the
        // receivers' conversations must read the same.
        quoted = ownName + QLatin1Char('/') + senderName + QStringLiteral("> ... ") +
                 conversation.right(std::abs(space));
    }
    reply.txtSendMessage = quoted + kCrLf + ownName + QStringLiteral("> ") + reply.response;
    reply.tempreply = reply.response;
    reply.temprec = conversation;
    return reply;
}

QString ReplyLogic::forwardText(const QString &conversation, const QString &ownName)
{
    return QStringLiteral("Begin forwarded message:") + kCrLf + conversation + kCrLf + ownName +
           QStringLiteral("> I'm forwarding this to you.");
}

QString ReplyLogic::replyTarget(const QString &senderName, const QString &broadcastMarker,
                                bool replyToAllChecked)
{
    if (!broadcastMarker.isEmpty() && replyToAllChecked)
        return QStringLiteral("All");
    return senderName;
}

QString ReplyLogic::responseLabel(const QString &response)
{
    return response.size() > messlen ? QStringLiteral("Message length exceeded")
                                     : QStringLiteral("Response");
}
