#include "loadingwindow.h"

#include "messenger/app/traywidget.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

LoadingWindow::LoadingWindow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("loading"));
    setWindowTitle(QStringLiteral("Vantrell Messenger loading ..."));
    setStyleSheet(QStringLiteral(
        "#loading { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2a64ad,"
        " stop:1 #1d3f73); border: 1px solid #16325c; }"
        "#loading QLabel { color: white; background: transparent; }"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(TrayWidget::lookIcon(TrayWidget::Look::Idle).pixmap(64, 64));
    auto *caption = new QLabel(QStringLiteral("Vantrell Messenger loading ..."), this);
    caption->setObjectName(QStringLiteral("caption"));
    caption->setStyleSheet(QStringLiteral("font-size: 13pt; font-weight: bold;"));
    ProgressBar1_ = new QProgressBar(this);
    ProgressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1_->setRange(0, 100);
    ProgressBar1_->setValue(0);
    ProgressBar1_->setTextVisible(false);
    ProgressBar1_->setFixedHeight(10);

    auto *top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(picture);
    top->addWidget(caption, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 18);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addWidget(ProgressBar1_);
    setAttribute(Qt::WA_StyledBackground, true);
    setMinimumWidth(460);
}

void LoadingWindow::setProgress(int value)
{
    ProgressBar1_->setValue(value);
    if (isVisible())
        repaint();
}

int LoadingWindow::progress() const
{
    return ProgressBar1_->value();
}

void LoadingWindow::showCentred()
{
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    // Before the sockets are bound nothing else waits in the queue: let the window appear.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
