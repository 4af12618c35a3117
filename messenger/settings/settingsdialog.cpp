#include "settingsdialog.h"

#include "messenger/app/messenger.h"
#include "messenger/windows/forwarddialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
QString colourCss(unsigned rgb)
{
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0'));
}

QString toLf(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel *makeLabel(const QString &text, QWidget *parent, const QString &name = QString())
{
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

// A read-only field for a value that is changed through its own "Change" button.
QLineEdit *makeShownField(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}
} // namespace

SettingsDialog::SettingsDialog(Messenger &session, QWidget *parent)
    : QDialog(parent), session_(session), editor_(session)
{
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(SettingsEditor::caption);
    setModal(true);
    setSizeGripEnabled(false);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    tabs_->addTab(buildGeneralTab(), QStringLiteral("General "));
    tabs_->addTab(buildButtonTab(1, true), QStringLiteral("Send Buttons"));
    tabs_->addTab(buildButtonTab(ButtonSet::MainSlots + 1, false),
                  QStringLiteral("Response Buttons "));
    tabs_->addTab(buildAutoRespTab(), QStringLiteral("Auto Resp "));
    tabs_->addTab(buildAdminTab(), QStringLiteral("Admin"));

    auto *save = makeButton(QStringLiteral("savebtn"), QStringLiteral("Save"), this);
    save->setProperty("primary", true);
    save->setMinimumWidth(90);
    auto *cancel = makeButton(QStringLiteral("cancelbtn"), QStringLiteral("Cancel"), this);
    cancel->setMinimumWidth(90);
    connect(save, &QPushButton::clicked, this, &SettingsDialog::savebtn_Click);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    connect(&session_, &Messenger::optionsApplied, this, [this] { showOptions(); });
    connect(&session_, &Messenger::buttonsLoaded, this, &SettingsDialog::showButtons);
    connect(&editor_, &SettingsEditor::statsChanged, this, &SettingsDialog::showStats);
    connect(&editor_, &SettingsEditor::forwardTargetChanged, this,
            &SettingsDialog::showForwardTarget);

    showOptions();
    showButtons();
    showStats();
}

SettingsDialog::~SettingsDialog() = default;

// --- Building the tabs ---

QCheckBox *SettingsDialog::addCheck(const QString &name, const QString &caption,
                                    bool Options::*flag)
{
    auto *box = new QCheckBox(caption);
    box->setObjectName(name);
    checks_.emplace_back(box, flag);
    connect(box, &QCheckBox::clicked, this,
            [this, flag](bool checked) { editor_.setFlag(flag, checked); });
    return box;
}

QWidget *SettingsDialog::buildGeneralTab()
{
    auto *page = new QWidget;

    // Name and ports, each changed through its own prompt and stored at once.
    auto *identity = new QGroupBox(page);
    auto *grid = new QGridLayout(identity);
    friendlyname_ = makeShownField(QStringLiteral("friendlyname"), identity);
    portlisten_ = makeShownField(QStringLiteral("portlisten"), identity);
    portsend_ = makeShownField(QStringLiteral("portsend"), identity);
    portlisten_->setMaximumWidth(90);
    portsend_->setMaximumWidth(90);
    auto *changeName = makeButton(QStringLiteral("Command1"), QStringLiteral("Change"), identity);
    auto *changeListen =
        makeButton(QStringLiteral("changeports1"), QStringLiteral("Change"), identity);
    auto *changeSend =
        makeButton(QStringLiteral("changeports2"), QStringLiteral("Change"), identity);
    grid->addWidget(makeLabel(QStringLiteral("My Name"), identity), 0, 0);
    grid->addWidget(friendlyname_, 0, 1, 1, 2);
    grid->addWidget(changeName, 0, 3);
    grid->addWidget(makeLabel(QStringLiteral("IM Listening Port"), identity), 1, 0);
    grid->addWidget(portlisten_, 1, 1);
    grid->addWidget(changeListen, 1, 3);
    grid->addWidget(makeLabel(QStringLiteral("IM Sending Port"), identity), 2, 0);
    grid->addWidget(portsend_, 2, 1);
    grid->addWidget(changeSend, 2, 3);
    grid->setColumnStretch(2, 1);
    connect(changeName, &QPushButton::clicked, &editor_, &SettingsEditor::changeName);
    connect(changeListen, &QPushButton::clicked, &editor_, &SettingsEditor::changeListeningPort);
    connect(changeSend, &QPushButton::clicked, &editor_, &SettingsEditor::changeSendingPort);

    statsFrame_ = new QGroupBox(SettingsEditor::frameCaption, page);
    statsFrame_->setObjectName(QStringLiteral("statsframe"));
    localinfo_ = makeLabel(QString(), statsFrame_, QStringLiteral("localinfo"));
    localinfo_->setTextFormat(Qt::PlainText);
    localinfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    localinfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *statsLayout = new QVBoxLayout(statsFrame_);
    statsLayout->addWidget(localinfo_);
    statsLayout->addStretch();

    // Sound and font size.
    auto *soundon = addCheck(QStringLiteral("soundon"),
                             QStringLiteral("Play Sound when Message Arrives."), &Options::soundon);
    wavefile_ = new QLineEdit(page);
    wavefile_->setObjectName(QStringLiteral("wavefile"));
    wavefile_->setVisible(false);
    waveSelect_ = makeButton(QStringLiteral("wavebrowse"), QStringLiteral("Select ..."), page);
    auto *waveTest = makeButton(QStringLiteral("wavetest"), QStringLiteral("Test"), page);
    connect(waveSelect_, &QPushButton::clicked, this, &SettingsDialog::selectSoundFile);
    connect(waveTest, &QPushButton::clicked, this, &SettingsDialog::testSound);

    msgfontsize_ = new QComboBox(page);
    msgfontsize_->setObjectName(QStringLiteral("msgfontsize"));
    msgfontsize_->setEditable(true);
    msgfontsize_->addItems(SettingsEditor::fontSizes);
    msgfontsize_->setCurrentText(QStringLiteral("10"));
    msgfontsize_->setValidator(new QIntValidator(1, 72, msgfontsize_));
    msgfontsize_->setInsertPolicy(QComboBox::NoInsert);
    msgfontsize_->setMaximumWidth(70);
    connect(msgfontsize_, &QComboBox::currentTextChanged, this,
            [this](const QString &text) { editor_.setFontSize(text); });

    auto *sound = new QHBoxLayout;
    sound->addWidget(soundon);
    sound->addWidget(waveSelect_);
    sound->addWidget(waveTest);
    sound->addStretch();
    sound->addWidget(makeLabel(QStringLiteral("Default font size"), page));
    sound->addWidget(msgfontsize_);

    // The behaviour options.
    auto *options = new QGroupBox(page);
    auto *left = new QVBoxLayout;
    left->addWidget(addCheck(QStringLiteral("replytoall"),
                             QStringLiteral("When Msg is Sent to All users, Respond to All users."),
                             &Options::replytoall));
    left->addWidget(addCheck(QStringLiteral("myown"),
                             QStringLiteral("When sending to All users, include me."),
                             &Options::myown));
    left->addWidget(addCheck(QStringLiteral("showme"), QStringLiteral("Show My Name in user list"),
                             &Options::showme));
    left->addWidget(addCheck(QStringLiteral("userlistfont"),
                             QStringLiteral("Small Font in User List"), &Options::userlistfont));
    left->addWidget(addCheck(QStringLiteral("entersend"),
                             QStringLiteral("Press ENTER to Send (Ctrl+Enter for New Line)"),
                             &Options::entersend));
    left->addWidget(
        addCheck(QStringLiteral("hidetip"), QStringLiteral("Hide Tip"), &Options::hidetip));
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(addCheck(QStringLiteral("autostartup"), QStringLiteral("Start With Windows"),
                              &Options::autostartup));
    right->addWidget(addCheck(QStringLiteral("startminimized"),
                              QStringLiteral("Minimize on Startup"), &Options::startminimized));
    right->addWidget(
        addCheck(QStringLiteral("ontop"),
                 QStringLiteral("Show Pop Ups in front of all other Windows (Requires a restart)"),
                 &Options::ontop));
    right->addWidget(addCheck(QStringLiteral("startclearusers"),
                              QStringLiteral("Clear user cache at startup"),
                              &Options::startclearusers));
    right->addWidget(addCheck(QStringLiteral("resetports"),
                              QStringLiteral("Reset port after each transmission"),
                              &Options::resetports));
    auto *resetNote =
        makeLabel(QStringLiteral("(Use only if you have trouble sending or receiving messages)"),
                  page, QStringLiteral("resetportsnote"));
    resetNote->setWordWrap(true);
    resetNote->setIndent(22);
    resetNote->setStyleSheet(QStringLiteral("color: #5d7391; font-size: 8pt;"));
    right->addWidget(resetNote);
    right->addStretch();
    auto *columns = new QHBoxLayout(options);
    columns->addLayout(left, 1);
    columns->addSpacing(12);
    columns->addLayout(right, 1);

    auto *top = new QHBoxLayout;
    top->addWidget(identity, 3);
    top->addWidget(statsFrame_, 2);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(sound);
    layout->addWidget(options);
    layout->addStretch();
    return page;
}

QWidget *SettingsDialog::buildButtonTab(int firstSlot, bool sendTab)
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    auto header = [page](const QString &text) {
        auto *label = makeLabel(text, page);
        label->setStyleSheet(QStringLiteral("font-weight: bold; color: #1d3557;"));
        return label;
    };
    grid->addWidget(header(QStringLiteral("Button Text")), 0, 1);
    grid->addWidget(header(QStringLiteral("Message Text")), 0, 2);
    grid->addWidget(header(QStringLiteral("Send Immediate")), 0, 3, Qt::AlignHCenter);

    for (int row = 1; row <= ButtonSet::MainSlots; ++row) {
        const int i = firstSlot + row - 1;
        auto *number = makeLabel(QString::number(row), page, QStringLiteral("qslabel%1").arg(i));
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *caption = new QLineEdit(page);
        caption->setObjectName(QStringLiteral("qsend%1").arg(i));
        caption->setMinimumWidth(160);
        auto *message = new QLineEdit(page);
        message->setObjectName(QStringLiteral("qsendtext%1").arg(i));
        auto *sendNow = new QCheckBox(page);
        sendNow->setObjectName(QStringLiteral("qsendi%1").arg(i));
        qsend_[std::size_t(i)] = caption;
        qsendtext_[std::size_t(i)] = message;
        qsendi_[std::size_t(i)] = sendNow;
        grid->addWidget(number, row, 0);
        grid->addWidget(caption, row, 1);
        grid->addWidget(message, row, 2);
        grid->addWidget(sendNow, row, 3, Qt::AlignHCenter);

        connect(caption, &QLineEdit::textEdited, this, [this, i](const QString &text) {
            setRowLook(i, editor_.setButtonCaption(i, text));
        });
        connect(message, &QLineEdit::textEdited, this,
                [this, i](const QString &text) { editor_.setButtonMessage(i, text); });
        connect(sendNow, &QCheckBox::clicked, this, [this, i](bool checked) {
            setRowLook(i, editor_.setButtonSendImmediately(i, checked));
        });
    }
    grid->setColumnStretch(2, 1);

    // The notes under the grid.
    auto *notes = new QVBoxLayout;
    auto *swatchRow = new QHBoxLayout;
    auto *swatch = new QLabel(page);
    swatch->setFixedSize(18, 14);
    swatch->setStyleSheet(QStringLiteral("background: %1; border: 1px solid #7a9a7a;")
                              .arg(colourCss(ButtonSet::background(ButtonSet::Look::SendNow))));
    swatchRow->addWidget(swatch);
    swatchRow->addWidget(
        makeLabel(QStringLiteral("= Send Immediately (you do not have to click SEND)"), page));
    swatchRow->addStretch();
    notes->addLayout(swatchRow);
    if (sendTab) {
        auto *emergency =
            makeLabel(QStringLiteral("IF Button Text contains the word \"EMERGENCY\" then button "
                                     "will appear RED and message will be sent to all users."),
                      page);
        emergency->setWordWrap(true);
        notes->addWidget(emergency);
        notes->addWidget(makeLabel(
            QStringLiteral("Function keys F1 though F12 are assigned to Buttons 1 though 12"),
            page));
    }

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(notes);
    layout->addStretch();
    return page;
}

QWidget *SettingsDialog::buildAutoRespTab()
{
    auto *page = new QWidget;

    auto *responses = new QGroupBox(QStringLiteral("Auto Respond Messages"), page);
    auto *grid = new QGridLayout(responses);
    for (int i = 0; i < 3; ++i) {
        auto *field = new QLineEdit(responses);
        field->setObjectName(QStringLiteral("ar%1").arg(i));
        ar_[std::size_t(i)] = field;
        grid->addWidget(makeLabel(QString::number(i + 1), responses), i, 0);
        grid->addWidget(field, i, 1);
        connect(field, &QLineEdit::textEdited, this,
                [this, i](const QString &text) { editor_.setResponse(i, text); });
    }
    ar_[3] = new QLineEdit(page);
    ar_[3]->setObjectName(QStringLiteral("ar3"));
    ar_[3]->setVisible(false);
    autorespond_ = new QLineEdit(page);
    autorespond_->setObjectName(QStringLiteral("autorespond"));
    autorespond_->setVisible(false);

    auto *forward = new QGroupBox(QStringLiteral("Auto forward messages to:"), page);
    ar3temp_ = makeLabel(QString(), forward, QStringLiteral("ar3temp"));
    ar3temp_->setMinimumWidth(200);
    ar3temp_->setStyleSheet(
        QStringLiteral("QLabel { background: white; border: 1px solid #a9bfdc; "
                       "border-radius: 3px; padding: 3px 6px; font-weight: bold; }"));
    auto *select = makeButton(QStringLiteral("fwdselect"), QStringLiteral("Select ..."), forward);
    connect(select, &QPushButton::clicked, this, &SettingsDialog::selectForwardTarget);
    autoreply_ =
        addCheck(QStringLiteral("autoreply"),
                 QStringLiteral("When forwarding, send Auto Response to orig. sender as well."),
                 &Options::autoreply);
    auto *targetRow = new QHBoxLayout;
    targetRow->addWidget(ar3temp_, 1);
    targetRow->addWidget(select);
    auto *forwardLayout = new QVBoxLayout(forward);
    forwardLayout->addLayout(targetRow);
    forwardLayout->addWidget(autoreply_);

    auto *master = addCheck(QStringLiteral("autoresmaster"), QStringLiteral("Enable Auto Respond"),
                            &Options::autoresmaster);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(master);
    layout->addWidget(responses);
    layout->addWidget(forward);
    layout->addStretch();
    return page;
}

QWidget *SettingsDialog::buildAdminTab()
{
    auto *page = new QWidget;
    auto frame = [page](const QString &title, QPushButton *button, QLabel *text = nullptr) {
        auto *box = new QGroupBox(title, page);
        auto *row = new QHBoxLayout(box);
        button->setParent(box);
        button->setMinimumWidth(130);
        row->addWidget(button);
        if (text) {
            text->setParent(box);
            text->setWordWrap(true);
            row->addSpacing(10);
            row->addWidget(text, 1);
        } else {
            row->addStretch();
        }
        return box;
    };

    auto *clean = makeButton(QStringLiteral("autoclean"), QStringLiteral("Auto Clean"), page);
    auto *reset = makeButton(QStringLiteral("resetall"), QStringLiteral("Reset All Data"), page);
    transfer_ = makeButton(QStringLiteral("transfer"), QStringLiteral("Transfer"), page);
    transferDescription_ =
        makeLabel(SettingsEditor::transferDescription, page, QStringLiteral("transferdescription"));
    connect(clean, &QPushButton::clicked, &editor_, &SettingsEditor::autoClean);
    connect(reset, &QPushButton::clicked, this, &SettingsDialog::resetAllData);
    connect(transfer_, &QPushButton::clicked, &editor_, &SettingsEditor::transfer);

    transferFrame_ = frame(SettingsEditor::transferTitle, transfer_, transferDescription_);
    transferFrame_->setObjectName(QStringLiteral("transferframe"));

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(frame(QStringLiteral("Auto clean User List"), clean));
    layout->addWidget(frame(QStringLiteral("Reset All Data Files and Settings"), reset));
    layout->addWidget(transferFrame_);
    layout->addStretch();
    return page;
}

// --- Showing the live store ---

void SettingsDialog::showOptions()
{
    const Options &options = session_.options;
    friendlyname_->setText(options.friendlyname);
    for (const auto &[box, flag] : checks_)
        box->setChecked(options.*flag);
    {
        const QSignalBlocker block(msgfontsize_);
        msgfontsize_->setCurrentText(options.msgfontsize);
    }
    wavefile_->setText(options.wavefile);
    waveSelect_->setToolTip(QDir::toNativeSeparators(options.wavefile));
    for (int i = 0; i < 3; ++i)
        ar_[std::size_t(i)]->setText(options.ar[i]);
    autorespond_->setText(options.autorespond);
    showForwardTarget();
}

void SettingsDialog::showForwardTarget()
{
    ar_[3]->setText(session_.options.ar[3]);
    ar3temp_->setText(session_.options.ar3temp);
    autoreply_->setEnabled(editor_.autoreplyEnabled());
}

void SettingsDialog::showButtons()
{
    const ButtonSet &buttons = session_.buttons;
    for (int i = 1; i <= ButtonSet::SlotCount; ++i) {
        qsend_[std::size_t(i)]->setText(buttons.caption(i));
        qsendtext_[std::size_t(i)]->setText(buttons.message(i));
        qsendi_[std::size_t(i)]->setChecked(buttons.sendImmediately(i));
        setRowLook(i, buttons.dialogLook(i));
    }
}

void SettingsDialog::showStats()
{
    friendlyname_->setText(session_.options.friendlyname);
    portlisten_->setText(QString::number(editor_.portlisten()));
    portsend_->setText(QString::number(editor_.portsend()));
    statsFrame_->setTitle(SettingsEditor::frameCaption);
    localinfo_->setText(toLf(editor_.localinfo()));
    transferFrame_->setTitle(editor_.transferHeading());
    transfer_->setEnabled(editor_.transferAvailable());
    transferDescription_->setEnabled(editor_.transferAvailable());
}

void SettingsDialog::setRowLook(int slot, ButtonSet::Look look)
{
    const QString css =
        QStringLiteral("QLineEdit { background: %1; color: %2; }")
            .arg(colourCss(ButtonSet::background(look)),
                 colourCss(look == ButtonSet::Look::Emergency ? 0x000000u
                                                              : ButtonSet::foreground(look)));
    qsend_[std::size_t(slot)]->setStyleSheet(css);
    qsendtext_[std::size_t(slot)]->setStyleSheet(css);
}

// --- Opening and closing ---

SettingsDialog *SettingsDialog::changeSettings(Messenger &session, QWidget *parent)
{
    static QPointer<SettingsDialog> orphan;
    SettingsDialog *dialog = nullptr;
    if (parent) {
        const auto existing =
            parent->findChildren<SettingsDialog *>(QString(), Qt::FindDirectChildrenOnly);
        dialog = existing.isEmpty() ? new SettingsDialog(session, parent) : existing.first();
    } else {
        if (!orphan)
            orphan = new SettingsDialog(session);
        dialog = orphan;
    }
    dialog->run();
    return dialog;
}

int SettingsDialog::run()
{
    int result = 0;
    {
        Transport::BoxHold hold(session_.transport);
        NetworkMonitor::Pause pause(session_.monitor);
        editor_.activate();
        showOptions();
        showButtons();
        result = exec();
    }
    if (editor_.ending()) {
        // The program is ending after Reset All: nothing may touch the files again.
        session_.transport.setBoxOpen(true);
        session_.monitor.stop();
    }
    return result;
}

void SettingsDialog::reject()
{
    if (!editor_.ending())
        editor_.cancel();
    QDialog::reject();
}

// --- Actions ---

void SettingsDialog::savebtn_Click()
{
    if (editor_.save())
        accept();
}

void SettingsDialog::selectSoundFile()
{
    const QString current = session_.options.wavefile;
    QString filter = QStringLiteral("Wave Files (*.wav)");
    const QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral("Select Sound file"), current,
        QStringLiteral("All Files (*.*);;Wave Files (*.wav)"), &filter);
    if (editor_.chooseWavefile(chosen))
        showOptions();
}

void SettingsDialog::testSound()
{
    // The tray form plays it, the same way as the notification sound.
    Q_EMIT session_.soundTestRequested(session_.options.wavefile);
}

void SettingsDialog::selectForwardTarget()
{
    QString ar3 = session_.options.ar[3];
    QString ar3temp = session_.options.ar3temp;
    if (ForwardDialog::selectTarget(this, session_.directory.allusers,
                                    session_.options.friendlyname, &ar3, &ar3temp))
        editor_.forwardTargetSaved(ar3, ar3temp);
    else
        editor_.forwardTargetCancelled();
    // Back in this dialog: the diagnostics are fresh again; `acchanged` is kept.
    editor_.getstats();
}

void SettingsDialog::resetAllData()
{
    if (editor_.resetAllData())
        QDialog::reject();
}
