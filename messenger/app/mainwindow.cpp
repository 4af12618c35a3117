#include "mainwindow.h"

#include "common/text.h"
#include "messenger/app/messenger.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

MainWindow::MainWindow(Messenger &session, QWidget *parent) : QWidget(parent), session_(session)
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Vantrell Messenger "));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Vantrell Messenger "), this);
    title->setObjectName(QStringLiteral("title"));
    allusers_ = new QListWidget(this);
    allusers_->setObjectName(QStringLiteral("allusers"));
    allusers_->setSelectionMode(QAbstractItemView::MultiSelection);
    allusers_->setToolTip(QStringLiteral("Select Recipient"));
    traffic_ = new QProgressBar(this);
    traffic_->setObjectName(QStringLiteral("traffic"));
    traffic_->setRange(0, 100);
    traffic_->setTextVisible(false);
    traffic_->setMaximumHeight(6);
    statustext_ = new QLabel(this);
    statustext_->setObjectName(QStringLiteral("statustext"));
    layout->addWidget(title);
    layout->addWidget(allusers_, 1);
    layout->addWidget(traffic_);
    layout->addWidget(statustext_);

    connect(&session_, &Messenger::statusChanged, statustext_, &QLabel::setText);
    connect(&session_.transport, &Transport::trafficChanged, traffic_, &QProgressBar::setValue);
    connect(&session_.directory, &Directory::allusersChanged, this, &MainWindow::refreshUsers);
    connect(allusers_, &QListWidget::itemSelectionChanged, this, [this] {
        QList<int> rows;
        for (int i = 0; i < allusers_->count(); ++i)
            if (allusers_->item(i)->isSelected())
                rows.append(i);
        session_.directory.selectUsers(rows);
    });
    resize(int(8205 / twipsPerPixelX()), int(5370 / twipsPerPixelY()));
}

double MainWindow::twipsPerPixelX() const
{
    return 1440.0 / (screen() ? screen()->logicalDotsPerInchX() : 96.0);
}

double MainWindow::twipsPerPixelY() const
{
    return 1440.0 / (screen() ? screen()->logicalDotsPerInchY() : 96.0);
}

void MainWindow::refreshUsers()
{
    QSignalBlocker block(allusers_);
    allusers_->clear();
    allusers_->addItems(session_.directory.allusers);
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    session_.winLeftTwips = x() * twipsPerPixelX();
    session_.winTopTwips = y() * twipsPerPixelY();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    session_.shutdown();
}
