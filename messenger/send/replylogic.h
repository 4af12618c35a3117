#pragma once
// The text rules of a message window: the reply text with its room/cut rule, the reply
// target, the compose text of a forward and the length notice of the response box. Pure
// text in, text out, so every rule is checked without a window.
#include <QString>

namespace ReplyLogic
{
// The length limit of a message and of a response, in characters (`messlen`).
inline constexpr int messlen = 970;
// The fixed part of the room rule: CR LF, "> " and the marker's share.
inline constexpr int roomAllowance = 9;

// What the window's Send hands to the reply routine.
struct Reply {
    QString txtSendMessage; // the quoted conversation + CR LF + own name + "> " + response
    QString tempreply;      // the response as sent (cut to 970)
    QString temprec;        // the whole conversation, never cut
    QString response;       // the response box's text after the cut
};

// Builds the reply to `conversation` with the typed `response`. `ownName` is the own display
// name as stored, `senderName` the window's sender as shown. A response past 970 characters
// is cut; a conversation longer than the room left is quoted as own name + "/" + sender +
// "> ... " + its last |room| characters.
Reply prepareReply(const QString &conversation, const QString &response, const QString &ownName,
                   const QString &senderName);

// 970 - (sender + own name + response + 9); negative when the response alone is too long.
int room(const QString &ownName, const QString &senderName, const QString &response);

// The compose text of a forward: "Begin forwarded message:" CR LF conversation CR LF own
// name + "> I'm forwarding this to you."
QString forwardText(const QString &conversation, const QString &ownName);

// The reply target: "All" when the message went to everybody and "Reply to All" is ticked,
// else the sender. The box is ignored on a message to one person (it is hidden there).
QString replyTarget(const QString &senderName, const QString &broadcastMarker,
                    bool replyToAllChecked);

// The response label: "Message length exceeded" past 970 characters, else "Response".
QString responseLabel(const QString &response);
} // namespace ReplyLogic
