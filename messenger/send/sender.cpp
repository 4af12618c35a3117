#include "sender.h"

#include "messenger/app/messenger.h"
#include "messenger/net/datagram.h"
#include "messenger/send/replylogic.h"

#include <algorithm>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kCaption = QStringLiteral("Vantrell Messenger");
const QString kSentTo = QStringLiteral("Message sent to ");

// The reply routine looks for a pending reply target in this order: the recall window, then
// popup1 .. popup9, then popup0.
const int kTargetScan[] = {PopupSlots::RecallWindow, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0};

// The compose box keeps the wire's CR LF; a view that hands over bare LF line breaks would
// otherwise send texts the older copies show on one line.
QString withCrLf(QString text)
{
    text.replace(kCrLf, QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), kCrLf);
    return text;
}
} // namespace

Sender::Sender(Messenger &session, QObject *parent) : QObject(parent), session_(session)
{
    connect(&session_.directory, &Directory::allusersChanged, this, &Sender::pruneSelection);
}

// --- Recipient choice ---

void Sender::setCheckallusers(bool ticked)
{
    checkallusers_ = ticked;
    Q_EMIT checkallusersChanged(ticked);
}

void Sender::setUserSelection(const QList<int> &rows, int currentRow)
{
    const QStringList &allusers = session_.directory.allusers;
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    selectedUsers_.clear();
    for (const int row : std::as_const(sorted)) {
        if (row >= 0 && row < allusers.size())
            selectedUsers_.append(allusers.at(row));
    }
    currentUser_ =
        currentRow >= 0 && currentRow < allusers.size() ? allusers.at(currentRow) : QString();
    session_.directory.selectUsers(sorted);
    Q_EMIT focusCompose();
}

int Sender::currentUserRow() const
{
    return currentUser_.isEmpty() ? -1 : int(session_.directory.allusers.indexOf(currentUser_));
}

// The visible list is emptied whenever a user is added and loses names at sign-off; the
// selection goes with the names, so a send never reaches someone who took another's row.
void Sender::pruneSelection()
{
    const QStringList &allusers = session_.directory.allusers;
    selectedUsers_.erase(
        std::remove_if(selectedUsers_.begin(), selectedUsers_.end(),
                       [&](const QString &name) { return !allusers.contains(name); }),
        selectedUsers_.end());
    if (!allusers.contains(currentUser_))
        currentUser_.clear();
}

void Sender::chooseGroup(int row)
{
    currentGroup_ = row >= 0 && row < groupList.size() ? row : -1;
    if (currentGroup_ >= 0)
        session_.directory.chooseGroup();
    Q_EMIT focusCompose();
}

QString Sender::groupName(int row) const
{
    const QString &entry = groupList.at(row);
    return entry.left(std::max<qsizetype>(0, entry.size() - 31));
}

int Sender::groupNumber(int row) const
{
    const QString &entry = groupList.at(row);
    return entry.isEmpty() ? -1 : entry.back().digitValue();
}

// --- Compose box ---

void Sender::composeChanged(const QString &text)
{
    messagetext = withCrLf(text);
    applyComposeRules();
}

void Sender::setMessagetext(const QString &text)
{
    messagetext = text;
    Q_EMIT composeTextChanged(messagetext);
    applyComposeRules();
}

void Sender::applyComposeRules()
{
    if (session_.away)
        session_.switchAutoResponseOff();
    notice = messagetext.size() > messlen ? QStringLiteral("Message length exceeded") : QString();
    Q_EMIT noticeChanged(notice);
}

bool Sender::enterSends(bool entersend, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool ctrlOnly = held == Qt::ControlModifier;
    return entersend ? !ctrlOnly : ctrlOnly;
}

bool Sender::enterPressed(Qt::KeyboardModifiers modifiers)
{
    if (session_.directory.multiusers.isEmpty() ||
        !enterSends(session_.options.entersend, modifiers))
        return false;
    sendbtn_Click();
    return true;
}

void Sender::clear()
{
    if (fwd)
        endForward();
    setMessagetext(QString());
    Q_EMIT focusCompose();
}

void Sender::endForward()
{
    fwd = false;
    quickSendEnabled = true;
    Q_EMIT quickSendEnabledChanged(true);
}

void Sender::resetPortsIfOn()
{
    if (session_.options.resetports && session_.resetPortsHook)
        session_.resetPortsHook();
}

// --- Errors ---

bool Sender::transmit(const QString &datagram, Routine routine)
{
    SocketError error;
    if (session_.broadcast(datagram, &error))
        return true;
    handleSendError(error, routine);
    return false;
}

void Sender::handleSendError(const SocketError &error, Routine routine)
{
    Q_EMIT showMainWindow();
    if (error.description == Transport::addressInUseText)
        return;
    const bool noRoute = error.description == Transport::noRouteText;
    session_.setStatus(QStringLiteral("Network Error"));
    session_.log.addNetworkError(error.description);
    const QString text = noRoute ? QStringLiteral("No Network Connection.")
                                 : QStringLiteral("Error :") + error.description + kCrLf +
                                       QStringLiteral("Error #") + QString::number(error.number);
    session_.withBox([&] { session_.prompter().message(text, kCaption); });
    // A failed reply empties only its own text: the compose box may hold an unrelated draft.
    if (routine == Routine::Send)
        setMessagetext(QString());
    else
        txtSendMessage.clear();
    session_.cleanlog_Click();
    if (noRoute)
        resetPortsIfOn();
    if (routine == Routine::Send)
        Q_EMIT focusCompose();
}

// --- Send ---

void Sender::sendbtn_Click()
{
    Directory &directory = session_.directory;
    recalltext = messagetext;
    recalltab = tab_;
    if (tab_ == UsersTab)
        recallindex = currentUserRow();
    else if (tab_ == GroupsTab)
        recallindex = currentGroup_;
    Q_EMIT showHistoryButton();

    if (messagetext.size() > messlen)
        setMessagetext(messagetext.left(messlen));
    session_.switchAutoResponseOff();

    // `multiusers` = the selected users, in list order.
    QList<int> rows;
    for (const QString &name : std::as_const(selectedUsers_))
        rows.append(int(directory.allusers.indexOf(name)));
    directory.selectUsers(rows);
    directory.refreshUser();

    if (messagetext.isEmpty()) {
        resetPortsIfOn();
        return;
    }
    if (tab_ == GroupsTab) {
        sendToGroup();
    } else if (tab_ != UsersTab) {
        session_.cleanlog_Click();
        resetPortsIfOn();
        Q_EMIT focusCompose();
    } else if (checkallusers_) {
        sendToEverybody();
    } else {
        sendToUsers();
    }
}

void Sender::sendToGroup()
{
    // No group chosen: nothing to send, as with no user selected.
    if (currentGroup_ < 0 || currentGroup_ >= groupList.size()) {
        resetPortsIfOn();
        return;
    }
    const Directory &directory = session_.directory;
    const QString name = groupName(currentGroup_);
    const QString text = messagetext;
    const QString body = Datagram::composeBody(session_.options.friendlyname, text);
    const QStringList members =
        groupMembers ? groupMembers(groupNumber(currentGroup_)) : QStringList();
    for (const QString &member : members) {
        const QString identity = directory.lookupName(Datagram::upper(member));
        if (identity == Datagram::nobody)
            continue;
        if (!transmit(Datagram::message(directory.user, identity, body), Routine::Send))
            return;
    }
    session_.log.addMessage(ActivityLog::MessageKind::To, Datagram::upper(name), text);
    addSentRow(name, text);
    if (fwd)
        endForward();
    setMessagetext(QString());
    session_.cleanlog_Click();
    resetPortsIfOn();
    Q_EMIT focusCompose();
}

void Sender::sendToEverybody()
{
    const Directory &directory = session_.directory;
    setCheckallusers(false);
    const QString text = Datagram::toAllBody(session_.options.friendlyname, messagetext);
    if (!transmit(Datagram::message(directory.user, Datagram::everybody, text), Routine::Send))
        return;
    const QString all = QStringLiteral("ALL");
    session_.log.addMessage(ActivityLog::MessageKind::To, all, text);
    addSentRow(all, text);
    session_.setStatus(kSentTo + all);
    if (fwd)
        endForward();
    setMessagetext(QString());
    session_.cleanlog_Click();
    Q_EMIT focusCompose();
    resetPortsIfOn();
}

void Sender::sendToUsers()
{
    const Directory &directory = session_.directory;
    if (currentUserRow() < 0 || directory.multiusers.isEmpty()) {
        resetPortsIfOn();
        return;
    }
    const QString text = messagetext;
    const QStringList recipients = directory.multiusers;
    for (const QString &name : recipients) {
        const QString identity = directory.lookupName(name);
        if (fwd) {
            // The forward keeps the first sender as the sender, as the automatic forward does.
            const QString from = directory.lookupName(fwdCaption);
            if (!transmit(
                    Datagram::message(from, identity, Datagram::composeBody(fwdCaption, text)),
                    Routine::Send))
                return;
            session_.log.addMessage(ActivityLog::MessageKind::Forward, Datagram::upper(name), text);
        } else {
            const QString body = Datagram::composeBody(session_.options.friendlyname, text);
            if (!transmit(Datagram::message(directory.user, identity, body), Routine::Send))
                return;
            session_.log.addMessage(ActivityLog::MessageKind::To, Datagram::upper(name), text);
        }
        addSentRow(name, text);
    }
    session_.setStatus(kSentTo + recipients.join(QStringLiteral(", ")));
    setMessagetext(QString());
    if (fwd)
        endForward();
    session_.cleanlog_Click();
    resetPortsIfOn();
    Q_EMIT focusCompose();
}

void Sender::addSentRow(const QString &user, const QString &text)
{
    session_.history.addRow(History::sentRow(session_.now(), user, text, recalltab, recallindex));
}

// --- Reply ---

void Sender::cmdSend_Click()
{
    session_.switchAutoResponseOff();
    Directory &directory = session_.directory;
    directory.refreshUser();
    if (txtSendMessage.isEmpty()) {
        resetPortsIfOn();
        return;
    }

    QString target;
    for (const int window : kTargetScan) {
        PopupState &state = session_.popupSlots.state(window);
        if (!state.response.isEmpty()) {
            target = state.response;
            state.response.clear();
            break;
        }
    }

    QString identity;
    if (!target.isEmpty()) {
        identity = directory.lookupName(target);
        if (identity == Datagram::nobody) {
            session_.withBox([&] {
                session_.prompter().message(QStringLiteral("User: ") + target +
                                                QStringLiteral(" could not be found"),
                                            kCaption);
            });
            return;
        }
    } else if (tab_ == GroupsTab) {
        replyToGroup();
        return;
    } else if (tab_ != UsersTab) {
        session_.cleanlog_Click();
        return;
    } else if (checkallusers_) {
        target = QStringLiteral("ALL");
        identity = Datagram::everybody;
        setCheckallusers(false);
        txtSendMessage = Datagram::replyToAllBody(session_.options.friendlyname, txtSendMessage);
    } else {
        target = currentUser_;
        // No user chosen either: there is nobody to send to.
        if (target.isEmpty()) {
            resetPortsIfOn();
            return;
        }
        identity = directory.lookupName(target);
    }

    if (!transmit(Datagram::message(directory.user, identity, txtSendMessage), Routine::Reply))
        return;
    session_.log.addMessage(ActivityLog::MessageKind::To, Datagram::upper(target), txtSendMessage);
    addRepliedRow(target);
    session_.setStatus(kSentTo + target);
    txtSendMessage.clear();
    resetPortsIfOn();
}

bool Sender::replyToGroup()
{
    if (currentGroup_ < 0 || currentGroup_ >= groupList.size()) {
        resetPortsIfOn();
        return false;
    }
    const Directory &directory = session_.directory;
    const QString name = groupName(currentGroup_);
    const QStringList members =
        groupMembers ? groupMembers(groupNumber(currentGroup_)) : QStringList();
    // Unlike Send, members missing from the directory are addressed all the same ("[---]").
    for (const QString &member : members) {
        const QString identity = directory.lookupName(Datagram::upper(member));
        if (!transmit(Datagram::message(directory.user, identity, txtSendMessage), Routine::Reply))
            return false;
    }
    session_.log.addMessage(ActivityLog::MessageKind::To, Datagram::upper(name), txtSendMessage);
    addRepliedRow(name);
    txtSendMessage.clear();
    session_.cleanlog_Click();
    return true;
}

void Sender::addRepliedRow(const QString &target)
{
    session_.history.addRow(History::repliedRow(session_.now(), target, temprec, tempreply));
    session_.history.selectit();
}

// --- Message windows ---

void Sender::replyFromWindow(int index)
{
    if (index < 0 || index > PopupSlots::RecallWindow)
        return;
    PopupState &window = session_.popupSlots.state(index);
    const ReplyLogic::Reply reply = ReplyLogic::prepareReply(
        window.message, window.temp, session_.options.friendlyname, window.messagefrom);
    if (window.temp != reply.response) {
        window.temp = reply.response;
        Q_EMIT responseChanged(index);
    }
    txtSendMessage = reply.txtSendMessage;
    tempreply = reply.tempreply;
    temprec = reply.temprec;
    window.response =
        ReplyLogic::replyTarget(window.messagefrom, window.broadcast, window.replyToAll);

    cmdSend_Click();

    // The recall window keeps its message for the main window's recall actions.
    if (index != PopupSlots::RecallWindow) {
        session_.popupSlots.free(index);
        window.message.clear();
        window.replyToAll = false;
    }
    window.broadcast.clear();
    Q_EMIT hideWindow(index);
}

void Sender::forwardFromWindow(int index)
{
    if (index < 0 || index > PopupSlots::RecallWindow)
        return;
    PopupState &window = session_.popupSlots.state(index);
    setMessagetext(ReplyLogic::forwardText(window.message, session_.options.friendlyname));
    fwd = true;
    fwdCaption = Datagram::upper(window.messagefrom);
    quickSendEnabled = false;
    Q_EMIT quickSendEnabledChanged(false);
    if (index != PopupSlots::RecallWindow) {
        session_.popupSlots.free(index);
        window.broadcast.clear();
        window.message.clear();
        window.replyToAll = false;
    }
    Q_EMIT hideWindow(index);
    Q_EMIT showMainWindow();
}

bool Sender::quickResponse(int index, const QString &text, bool sendImmediately)
{
    if (index < 0 || index > PopupSlots::RecallWindow)
        return false;
    session_.popupSlots.state(index).temp = text;
    Q_EMIT responseChanged(index);
    if (!sendImmediately)
        return false;
    replyFromWindow(index);
    return true;
}
