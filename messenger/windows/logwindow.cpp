#include "logwindow.h"

#include "messenger/windows/conversationview.h"

#include "common/environment.h"
#include "messenger/app/messenger.h"
#include "messenger/windows/savedmessage.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
const QString kCaption = QStringLiteral("Vantrell Messenger");

using ConversationView::toLf;
} // namespace

LogWindow::LogWindow(Messenger &session, QWidget *parent)
    : QWidget(parent, Qt::Window), session_(session)
{
    setObjectName(QStringLiteral("log"));
    setWindowTitle(QStringLiteral("Vantrell Messenger Log"));
    setAttribute(Qt::WA_StyledBackground);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstMessages"));
    list_->setToolTip(QStringLiteral("Click to view conversation"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamilies(
        {QStringLiteral("Lucida Console"), QStringLiteral("DejaVu Sans Mono"), fixed.family()});
    fixed.setStyleHint(QFont::Monospace);
    list_->setFont(fixed);
    list_->setUniformItemSizes(true);

    viewer_ = new QTextEdit(this);
    viewer_->setObjectName(QStringLiteral("Text1"));
    viewer_->setReadOnly(true);
    viewer_->setAcceptRichText(false);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(list_);
    splitter->addWidget(viewer_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);

    auto button = [this](const QString &caption, const QString &name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        return b;
    };
    QPushButton *copyprint = button(QStringLiteral("Copy / Print"), QStringLiteral("copyprint"));
    QPushButton *logsave = button(QStringLiteral("Save Log Now"), QStringLiteral("logsave"));
    QPushButton *logdir = button(QStringLiteral("Open Log Dir"), QStringLiteral("openlogdir"));
    QPushButton *search = button(QStringLiteral("Search Old Logs"), QStringLiteral("searchlogs"));
    QPushButton *close = button(QStringLiteral("Close"), QStringLiteral("closebtn"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(copyprint);
    buttons->addWidget(logsave);
    buttons->addWidget(logdir);
    buttons->addWidget(search);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(list_, &QListWidget::currentRowChanged, this, &LogWindow::showEntry);
    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { showEntry(list_->row(item)); });
    connect(copyprint, &QPushButton::clicked, this, &LogWindow::copyprint_Click);
    connect(logsave, &QPushButton::clicked, this, &LogWindow::logsave_Click);
    connect(logdir, &QPushButton::clicked, this, &LogWindow::openlogdir_Click);
    connect(search, &QPushButton::clicked, this, &LogWindow::searchlogs_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(&session_.log, &ActivityLog::changed, this, &LogWindow::reload);

    const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
    resize(int(9000 * dpi / 1440), int(6000 * dpi / 1440));
    reload();
}

QString LogWindow::listText(const QString &entry)
{
    QString line;
    line.reserve(entry.size() + 16);
    for (qsizetype i = 0; i < entry.size(); ++i) {
        const QChar c = entry.at(i);
        if (c == QLatin1Char('\t')) {
            line += QString(TabColumns - line.size() % TabColumns, QLatin1Char(' '));
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // A message entry's line breaks: one gap per break, CR LF counting once.
            if (!(c == QLatin1Char('\n') && i > 0 && entry.at(i - 1) == QLatin1Char('\r')))
                line += QStringLiteral("  ");
        } else {
            line += c;
        }
    }
    return line;
}

bool LogWindow::startLogViewer(const QString &folder)
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("vtlogviewer.exe");
#else
    const QString name = QStringLiteral("vtlogviewer");
#endif
    QProcess process;
    process.setProgram(QDir(Environment::executableFolder()).filePath(name));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VTMESSENGER_HOME"), folder);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    return process.startDetached();
}

void LogWindow::reload()
{
    const QStringList &entries = session_.log.lstMessages();
    const int selected = list_->currentRow();
    const QSignalBlocker block(list_);
    list_->clear();
    for (const QString &entry : entries)
        list_->addItem(listText(entry));
    if (selected >= 0 && selected < list_->count())
        list_->setCurrentRow(selected);
    else
        viewer_->clear();
}

void LogWindow::showEntry(int row)
{
    const QStringList &entries = session_.log.lstMessages();
    if (row < 0 || row >= entries.size()) {
        viewer_->clear();
        return;
    }
    viewer_->setPlainText(toLf(ActivityLog::entryView(entries.at(row))));
}

void LogWindow::copyprint_Click()
{
    const int row = list_->currentRow();
    const QStringList &entries = session_.log.lstMessages();
    const QString text =
        row >= 0 && row < entries.size() ? ActivityLog::entryView(entries.at(row)) : QString();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    SavedMessage(session_).saveLog(text);
}

void LogWindow::logsave_Click()
{
    if (!session_.log.logsave_Click())
        session_.withBox([&] {
            session_.prompter().message(QStringLiteral("The log could not be saved in:\r\n") +
                                            QDir::toNativeSeparators(session_.log.logsFolder()),
                                        kCaption);
        });
}

void LogWindow::openlogdir_Click()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(session_.log.logsFolder()));
}

void LogWindow::searchlogs_Click()
{
    startLogViewer(session_.folder());
    hide();
}

void LogWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && list_->count() > 0) {
        list_->setCurrentRow(list_->count() - 1);
        showEntry(list_->count() - 1);
    }
}
