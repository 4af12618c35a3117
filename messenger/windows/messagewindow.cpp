#include "messagewindow.h"

#include "messenger/windows/conversationview.h"

#include "messenger/app/messenger.h"
#include "messenger/send/replylogic.h"
#include "messenger/send/sender.h"
#include "messenger/windows/conversationcolour.h"
#include "messenger/windows/history.h"
#include "messenger/windows/savedmessage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <functional>

namespace
{
const QString kSentToAll = QStringLiteral("(Sent to ALL)");

// The controls hold LF line breaks, the state and the wire CR LF (so lengths count as the
// older copies count them).
using ConversationView::toCrLf;
using ConversationView::toLf;

QString colourCss(unsigned rgb)
{
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0'));
}

// A label that runs an action when clicked (the "Response" label recolours the message).
class ClickLabel final : public QLabel
{
public:
    ClickLabel(const QString &text, std::function<void()> onClick, QWidget *parent)
        : QLabel(text, parent), onClick_(std::move(onClick))
    {
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLabel::mouseReleaseEvent(event);
        onClick_();
    }

private:
    std::function<void()> onClick_;
};
} // namespace

MessageWindow::MessageWindow(Messenger &session, int index, QWidget *parent)
    : QWidget(parent, Qt::Window), session_(session), index_(index)
{
    setObjectName(isRecall() ? QStringLiteral("popuplast") : QStringLiteral("popup%1").arg(index));
    setAttribute(Qt::WA_StyledBackground);

    auto *fromLabel = new QLabel(QStringLiteral("Message from"), this);
    fromLabel->setObjectName(QStringLiteral("fromlabel"));
    messagefrom_ = new QLabel(this);
    messagefrom_->setObjectName(QStringLiteral("messagefrom"));

    message_ = new QTextEdit(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setReadOnly(true);
    message_->setAcceptRichText(false);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    message_->installEventFilter(this);

    label1_ = new ClickLabel(
        QStringLiteral("Response"), [this] { Label1_Click(); }, this);
    label1_->setObjectName(QStringLiteral("Label1"));
    replyAll_ = new QCheckBox(QStringLiteral("Reply to All"), this);
    replyAll_->setObjectName(QStringLiteral("replyall"));
    replyAll_->setVisible(false);

    temp_ = new QPlainTextEdit(this);
    temp_->setObjectName(QStringLiteral("temp"));
    temp_->setTabChangesFocus(true);
    temp_->installEventFilter(this);

    forward_ = new QPushButton(QStringLiteral("Forward"), this);
    forward_->setObjectName(QStringLiteral("fwd"));
    send_ = new QPushButton(QStringLiteral("Send"), this);
    send_->setObjectName(QStringLiteral("sendbtn"));
    send_->setProperty("primary", true);
    send_->setEnabled(false);

    auto *quick = new QGridLayout;
    quick->setSpacing(4);
    for (int k = 0; k < 12; ++k) {
        const int button = 13 + k;
        qb_[k] = new QPushButton(this);
        qb_[k]->setObjectName(QStringLiteral("qb%1").arg(button));
        qb_[k]->setEnabled(false);
        qb_[k]->setMinimumHeight(26);
        qb_[k]->setFocusPolicy(Qt::NoFocus);
        quick->addWidget(qb_[k], k / 3, k % 3);
        connect(qb_[k], &QPushButton::clicked, this, [this, button] { quickResponse(button); });
    }

    broadcast_ = new QLabel(this);
    broadcast_->setObjectName(QStringLiteral("broadcast"));
    print_ = new QPushButton(QStringLiteral("Save / Print"), this);
    print_->setObjectName(QStringLiteral("printbtn"));
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("closebtn"));
    beensent_ = new QLabel(QStringLiteral("This Msg has been sent"), this);
    beensent_->setObjectName(QStringLiteral("beensent"));
    beensent_->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(6);
    auto *top = new QHBoxLayout;
    top->addWidget(fromLabel);
    top->addWidget(messagefrom_, 1);
    layout->addLayout(top);
    layout->addWidget(message_, 3);
    auto *responseRow = new QHBoxLayout;
    responseRow->addWidget(label1_);
    responseRow->addStretch(1);
    responseRow->addWidget(replyAll_);
    layout->addLayout(responseRow);
    layout->addWidget(temp_, 2);
    auto *actions = new QHBoxLayout;
    actions->addWidget(forward_, 1);
    actions->addWidget(send_, 1);
    layout->addLayout(actions);
    layout->addLayout(quick);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(print_);
    bottom->addWidget(broadcast_);
    bottom->addWidget(beensent_);
    bottom->addStretch(1);
    bottom->addWidget(close_);
    layout->addLayout(bottom);

    connect(send_, &QPushButton::clicked, this, &MessageWindow::sendbtn_Click);
    connect(forward_, &QPushButton::clicked, this, &MessageWindow::fwd_Click);
    connect(close_, &QPushButton::clicked, this, &MessageWindow::closebtn_Click);
    connect(print_, &QPushButton::clicked, this, &MessageWindow::printbtn_Click);
    connect(temp_, &QPlainTextEdit::textChanged, this, &MessageWindow::responseEdited);
    connect(replyAll_, &QCheckBox::toggled, this,
            [this](bool on) { session_.popupSlots.state(index_).replyToAll = on; });

    Sender &sender = session_.sender;
    connect(&sender, &Sender::hideWindow, this, [this](int which) {
        if (which != index_)
            return;
        refresh();
        hide();
    });
    connect(&sender, &Sender::responseChanged, this, [this](int which) {
        if (which == index_)
            refresh();
    });
    connect(&session_, &Messenger::popupFilled, this, [this](int slot) {
        if (slot == index_)
            showMessage();
    });
    connect(&session_.popupSlots, &PopupSlots::allDismissed, this, [this] {
        hide();
        if (!isRecall())
            refresh();
    });
    connect(&session_, &Messenger::buttonsLoaded, this, &MessageWindow::applyButtons);

    // 5235 x 6855 twips: the size of the older copies' window, a little taller for the
    // quick responses' larger buttons.
    const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
    resize(int(5235 * dpi / 1440) + 20, int(6855 * dpi / 1440) + 40);
    applyButtons();
    refresh();
}

bool MessageWindow::isRecall() const
{
    return index_ == PopupSlots::RecallWindow;
}

void MessageWindow::refresh()
{
    const PopupState &state = session_.popupSlots.state(index_);
    setWindowTitle(state.caption);
    messagefrom_->setText(state.messagefrom);
    message_->setPlainText(toLf(state.message));
    broadcast_->setText(state.broadcast);
    {
        const QSignalBlocker block(replyAll_);
        replyAll_->setChecked(state.replyToAll);
    }
    replyAll_->setVisible(!state.broadcast.isEmpty());
    if (toCrLf(temp_->toPlainText()) != state.temp) {
        settingTemp_ = true;
        temp_->setPlainText(toLf(state.temp));
        temp_->moveCursor(QTextCursor::End);
        settingTemp_ = false;
    }
    updateResponseRules();
    Label1_Click();
}

void MessageWindow::showMessage()
{
    refresh();
    if (!isRecall())
        beensent_->setVisible(false);
    show();
    raise();
}

void MessageWindow::recall(const HistoryRow &row, bool beensent)
{
    PopupState &state = session_.popupSlots.state(index_);
    state.punumber = index_;
    state.messagefrom = row[HistoryRow::User];
    state.temp = row[HistoryRow::Reply];
    state.message = History::recallText(row);
    state.caption = row[HistoryRow::Caption];
    state.broadcast = row[HistoryRow::Addressee] == QLatin1String("[ALL]") ? kSentToAll : QString();
    state.replyToAll = session_.options.replytoall;
    beensent_->setVisible(beensent);
    refresh();
    if (!state.message.isEmpty()) {
        show();
        raise();
    }
}

bool MessageWindow::showAgain()
{
    if (session_.popupSlots.state(index_).message.isEmpty())
        return false;
    refresh();
    show();
    raise();
    return true;
}

void MessageWindow::Label1_Click()
{
    const PopupState &state = session_.popupSlots.state(index_);
    ConversationView::show(message_, state.message,
                           ConversationColour::runs(state.message, session_.options.friendlyname,
                                                    state.messagefrom.toUpper(),
                                                    ConversationColour::MissingOther::Stop));
}

void MessageWindow::updateResponseRules()
{
    const QString &response = session_.popupSlots.state(index_).temp;
    label1_->setText(ReplyLogic::responseLabel(response));
    send_->setEnabled(!response.isEmpty());
}

void MessageWindow::responseEdited()
{
    if (settingTemp_)
        return;
    session_.popupSlots.state(index_).temp = toCrLf(temp_->toPlainText());
    updateResponseRules();
}

void MessageWindow::sendbtn_Click()
{
    session_.sender.replyFromWindow(index_);
}

void MessageWindow::fwd_Click()
{
    session_.sender.forwardFromWindow(index_);
}

void MessageWindow::closebtn_Click()
{
    if (!isRecall()) {
        session_.popupSlots.free(index_);
        PopupState &state = session_.popupSlots.state(index_);
        state.broadcast.clear();
        state.response.clear();
        state.message.clear();
        refresh();
    }
    hide();
}

void MessageWindow::printbtn_Click()
{
    SavedMessage(session_).printbtn_Click(index_);
}

void MessageWindow::quickResponse(int button)
{
    const ButtonSet &buttons = session_.buttons;
    if (!session_.sender.quickResponse(index_, buttons.message(button),
                                       buttons.sendImmediately(button)))
        temp_->setFocus();
}

void MessageWindow::applyButtons()
{
    for (int k = 0; k < 12; ++k) {
        const int button = 13 + k;
        const ButtonSet::Style style = session_.buttons.style(button);
        QPushButton *qb = qb_[k];
        qb->setText(session_.buttons.caption(button));
        qb->setToolTip(session_.buttons.tooltip(button));
        qb->setEnabled(style.enabled);
        qb->setStyleSheet(
            QStringLiteral("QPushButton { background: %1; color: %2; padding: 2px 4px; }"
                           "QPushButton:hover { border-color: #1d3557; }")
                .arg(colourCss(ButtonSet::background(style.look)),
                     colourCss(ButtonSet::foreground(style.look))));
    }
}

void MessageWindow::setMessageFontSize(int points)
{
    for (QWidget *box : {static_cast<QWidget *>(message_), static_cast<QWidget *>(temp_)}) {
        QFont font = box->font();
        font.setPointSize(points);
        box->setFont(font);
    }
    if (isRecall())
        Label1_Click();
}

void MessageWindow::setStaysOnTop(bool on)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window flag hides the window; a shown window stays shown.
    if (visible)
        show();
    if (!on)
        lower();
}

void MessageWindow::ontop_Click()
{
    setStaysOnTop(true);
}

void MessageWindow::ontopoff_Click()
{
    setStaysOnTop(false);
}

bool MessageWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == temp_ && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // The line break is never typed and then taken back: Enter either sends or
            // inserts it, whatever modifiers the platform's box would otherwise react to.
            if (Sender::enterSends(session_.options.entersend, key->modifiers())) {
                if (!session_.popupSlots.state(index_).temp.isEmpty())
                    sendbtn_Click();
            } else {
                temp_->insertPlainText(QStringLiteral("\n"));
            }
            return true;
        }
    }
    if ((watched == temp_ || watched == message_) && event->type() == QEvent::FocusIn) {
        auto *edit = qobject_cast<QTextEdit *>(watched);
        if (edit)
            edit->moveCursor(QTextCursor::End);
        else
            temp_->moveCursor(QTextCursor::End);
    }
    return QWidget::eventFilter(watched, event);
}

void MessageWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    const PopupState &state = session_.popupSlots.state(index_);
    if (state.message.isEmpty())
        return;
    replyAll_->setVisible(!state.broadcast.isEmpty());
    send_->setEnabled(!state.temp.isEmpty());
    message_->moveCursor(QTextCursor::End);
    temp_->setFocus();
}

// The window manager's close button does what "Close" does.
void MessageWindow::closeEvent(QCloseEvent *event)
{
    closebtn_Click();
    event->accept();
}
