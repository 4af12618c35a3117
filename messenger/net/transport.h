#pragma once
// The messenger's two UDP sockets and the receive queue between the network and the
// dispatcher: `SckUDP` receives on the listening port into `cue`, `SckUDP1` broadcasts from
// the sending port, and `Timer3` paces the dispatcher at one datagram per tick unless held.
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUdpSocket>

#include <utility>

// A socket failure as the rest of the program sees it: a number and a description, and for
// a failed bind the port that could not be taken.
//
// Numbers (stable across platforms; Winsock's where one exists):
//   10048 "Address in use"     the local port is taken
//   10065 "No route to host."  the network cannot be reached (ENETUNREACH, EHOSTUNREACH,
//                              or a send error while no interface can broadcast)
//   otherwise Qt's own text, numbered from QAbstractSocket::SocketError:
//   ConnectionRefused 10061, RemoteHostClosed 10054, HostNotFound 11001, SocketAccess 10013,
//   SocketResource 10055, SocketTimeout 10060, DatagramTooLarge 10040, Network 10050,
//   SocketAddressNotAvailable 10049, UnsupportedSocketOperation 10045,
//   UnfinishedSocketOperation 10036, Operation 10022, Temporary 10035,
//   any other enumerator 20000 + its value, UnknownSocketError 20999.
struct SocketError {
    int number = 0;
    QString description;
    int port = 0; // the port a bind failed on (a send binds first when closed); else 0
};

class Transport final : public QObject
{
    Q_OBJECT
public:
    static const int addressInUseNumber = 10048;
    static const int noRouteNumber = 10065;
    static const QString addressInUseText; // "Address in use"
    static const QString noRouteText;      // "No route to host."
    static const QString broadcastAddress; // "255.255.255.255"

    explicit Transport(QObject *parent = nullptr);
    ~Transport() override;

    // --- Sockets ---
    // Closes both, then binds `SckUDP` to the listening port and `SckUDP1` to the sending
    // port. On failure `err` (when given) says why and which port; a socket bound before the
    // failure stays bound.
    bool bind(int listenPort, int sendPort, SocketError *err = nullptr);
    bool bindListening(int listenPort, SocketError *err = nullptr);
    bool bindSending(int sendPort, SocketError *err = nullptr);
    void close();
    // 0 closed, 1 bound.
    int listeningState() const;
    int sendingState() const;
    int localListenPort() const { return listenPort_; }
    int remoteSendPort() const { return sendPort_; }
    // The address broadcasts leave by: the first IPv4 address of an up, non-loopback
    // interface that can broadcast; "127.0.0.1" when there is none.
    static QString localIp();
    static QString localHostName();

    // Broadcasts the text as one datagram from `SckUDP1` to the listening port. Encoded
    // once, here. A closed sending socket is bound to the sending port first (a taken port
    // fails with "Address in use"). False with `err` filled when the socket refuses it.
    bool send(const QString &text, SocketError *err = nullptr);

    // Turns a Qt socket error into the program's number and description. `osError` is the
    // system error code seen right after the failing call (0 when unknown).
    static SocketError classify(QAbstractSocket::SocketError error, const QString &qtText,
                                int osError = 0);

    // --- Receive queue ---
    // The arrival step for one datagram text: append, set `cuetotal`, enable `Timer3`
    // unless held. `SckUDP` calls it; tests may feed the queue through it directly.
    void enqueue(const QString &text);
    const QStringList &cue() const { return cue_; }
    bool isEmpty() const { return cue_.isEmpty(); }
    // Entry 0, the datagram the dispatcher works on; empty when the queue is.
    QString current() const { return cue_.isEmpty() ? QString() : cue_.first(); }
    // Drops entry 0 once handled; disables `Timer3` when nothing is left.
    void removeCurrent();
    // `cuetotal` = entry count minus one (the dispatcher's step before it takes entry 0).
    void setCuetotalFromCount();
    QString cuetotal() const { return cuetotal_; }
    int traffic() const { return traffic_; }

    // --- Hold ---
    bool boxopen() const { return boxopen_; }
    // Holding keeps every datagram in `cue` and the dispatcher idle; releasing re-enables
    // `Timer3` when entries wait.
    void setBoxOpen(bool open);

    // Holds the queue for the lifetime of a modal box; restores the previous hold state, so
    // a box opened while another is open does not release the outer hold early.
    class BoxHold final
    {
    public:
        explicit BoxHold(Transport &transport);
        ~BoxHold();
        BoxHold(const BoxHold &) = delete;
        BoxHold &operator=(const BoxHold &) = delete;

    private:
        Transport &transport_;
        bool previous_;
    };
    // Runs f (typically one modal box) with the queue held and returns its result.
    template <class F> auto withBoxOpen(F &&f)
    {
        BoxHold hold(*this);
        return std::forward<F>(f)();
    }

    // --- Timer3 ---
    bool timerActive() const { return Timer3.isActive(); }
    int timerInterval() const { return Timer3.interval(); }
    void setTimerInterval(int ms) { Timer3.setInterval(ms); }

Q_SIGNALS:
    // One `Timer3` tick while not held: the dispatcher handles `current()`.
    void tick();
    // Every time `cuetotal` is set, changed or not.
    void cuetotalChanged(const QString &cuetotal);
    // Only when the value changes.
    void trafficChanged(int traffic);
    // For the main window's status line ("SCKUDP ERROR" + number + description).
    void statusText(const QString &text);

private:
    void SckUDP_DataArrival();
    void SckUDP_Error(QAbstractSocket::SocketError error);
    void Timer3_Timer();
    void setCuetotal(int number);
    void enableTimer();
    static bool bindSocket(QUdpSocket &socket, int port, SocketError *err);

    QUdpSocket SckUDP;  // receives on the listening port; never sends
    QUdpSocket SckUDP1; // sends to the listening port; its arrivals are not read
    QTimer Timer3;
    QStringList cue_;
    QString cuetotal_ = QStringLiteral("0");
    int traffic_ = 0;
    bool boxopen_ = false;
    int listenPort_ = 0;
    int sendPort_ = 0;
};
