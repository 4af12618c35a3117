#pragma once
// The splash window `loading` ("Vantrell Messenger loading ..."): a picture and the progress
// bar `ProgressBar1` that the start-up advances, shown while the program starts unless it was
// started with "/m". Each step repaints at once, as the start-up does not return to the
// event loop until it is over.
#include <QWidget>

class QProgressBar;

class LoadingWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit LoadingWindow(QWidget *parent = nullptr);

    void setProgress(int value);
    int progress() const;
    // Shows the window centred on the primary screen and lets it paint once.
    void showCentred();

private:
    QProgressBar *ProgressBar1_;
};
