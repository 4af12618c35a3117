#pragma once
// The scripted peer (peer.py) on a workstation of its own, driven from a C++ office test:
// it broadcasts any datagram from the sending port like a copy and records every datagram
// that reaches its listening port, the copies' broadcasts to anybody included.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>

class OfficePeer final : public QObject
{
    Q_OBJECT
public:
    struct Arrival {
        QString ip;
        int port = 0;
        QByteArray bytes;
        QString text() const; // decoded from the code page
    };

    explicit OfficePeer(int workstation, QObject *parent = nullptr);
    ~OfficePeer() override;

    QString address() const { return QStringLiteral("10.98.0.%1").arg(workstation_); }

    // Starts peer.py and waits until both ports are bound.
    bool start(QString *error);
    // Broadcasts the text in the code page; false when the peer could not send it.
    bool send(const QString &text);
    // Everything that arrived so far, in order.
    const QList<Arrival> &received() const { return received_; }
    QStringList texts() const;
    // How many arrivals carried exactly this text.
    int count(const QString &text) const;
    // Waits until `times` datagrams with exactly this text have arrived.
    bool waitFor(const QString &text, int times = 1);
    // The texts received, for a failure message.
    QString dump() const;
    void stop();

private:
    void readLines();

    int workstation_;
    QProcess process_;
    bool ready_ = false;
    QList<Arrival> received_;
    QList<QStringList> answers_;
};
