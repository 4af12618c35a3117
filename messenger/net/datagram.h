#pragma once
// The text of every datagram the messengers exchange: builders for each kind and body form,
// and the receiver's classification and splits. Pure text in, text out; the bytes on the
// wire are made from these texts by the transport.
#include <QString>

class Datagram final
{
public:
    // Recipient fields with a fixed meaning.
    static const QString everybody; // "[ALL]"
    static const QString nobody;    // "[---]": a failed name lookup; no copy accepts it

    // The three-character markers of the presence family.
    static const QString announceMarker; // "***"
    static const QString replyMarker;    // "**-"
    static const QString signOffMarker;  // "-**"

    // The body start of an automatic response; a copy in away mode drops bodies that start
    // with its first four characters (":RE:").
    static const QString autoResponseMarker; // ":RE: "

    enum class Kind { Presence, Message };

    // A presence datagram split at its first "=". `ok` is false when the text is not a
    // presence datagram or has no "=".
    struct Presence {
        bool ok = false;
        QString marker;   // one of the three markers
        QString identity; // upper case
        QString name;     // upper case, may be empty
    };

    // A message datagram split at its first two "]". `ok` is false without a second "]".
    struct Message {
        bool ok = false;
        QString sender;    // through the first "]"
        QString recipient; // from there through the next "]"
        QString body;      // the rest, possibly empty
    };

    // --- Whole datagrams ---
    static QString announce(const QString &identity, const QString &name);
    static QString reply(const QString &identity, const QString &name);
    static QString signOff(const QString &identity, const QString &name);
    static QString message(const QString &sender, const QString &recipient, const QString &body);
    // The network monitor's probe: one blank, which every receiver ignores.
    static QString networkTest();

    // --- Message bodies; NAME is the sender's display name ---
    // Compose box to one user or a group member: NAME + "> " + text.
    static QString composeBody(const QString &name, const QString &text);
    // Compose box to everybody: NAME + "> (To All) " + text.
    static QString toAllBody(const QString &name, const QString &text);
    // Reply routine to everybody without a pending target: "To All (from NAME):" CR LF text.
    static QString replyToAllBody(const QString &name, const QString &text);
    // Automatic forward: "-- Msg auto fwded by NAME --" CR LF + the received body.
    static QString autoForwardBody(const QString &name, const QString &receivedBody);
    // Automatic response: ":RE: " + received body + CR LF + NAME + "> (Auto Resp) " + text.
    static QString autoResponseBody(const QString &receivedBody, const QString &name,
                                    const QString &text);

    // --- Receiving ---
    static Kind classify(const QString &datagram);
    static bool isPresence(const QString &datagram) { return classify(datagram) == Kind::Presence; }
    static Presence splitPresence(const QString &datagram);
    static Message splitMessage(const QString &datagram);
    // True for a body that an automatic response produced (starts with ":RE:").
    static bool isAutoResponse(const QString &body);

    // Upper case as the Windows copies make it: one character for one, and only where the
    // upper-case letter exists in the 8-bit code page ("ß" and "µ" stay as they are), so
    // identities compare equal across copies.
    static QString upper(const QString &text);

private:
    static QString presence(const QString &marker, const QString &identity, const QString &name);
};
