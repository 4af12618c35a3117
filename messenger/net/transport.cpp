#include "transport.h"

#include "common/codec.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkInterface>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_WIN
#include <winsock2.h>
#endif

namespace
{
const int kTickMs = 120;

// The system's code for "this network cannot be reached", taken right after a failing
// call, before anything else can overwrite it.
int lastOsError()
{
#ifdef Q_OS_WIN
    return WSAGetLastError();
#else
    return errno;
#endif
}

bool isUnreachable(int osError)
{
#ifdef Q_OS_WIN
    return osError == WSAENETUNREACH || osError == WSAEHOSTUNREACH;
#else
    return osError == ENETUNREACH || osError == EHOSTUNREACH;
#endif
}

bool canBroadcast(const QNetworkInterface &iface)
{
    const auto flags = iface.flags();
    return flags.testFlag(QNetworkInterface::IsUp) &&
           flags.testFlag(QNetworkInterface::CanBroadcast) &&
           !flags.testFlag(QNetworkInterface::IsLoopBack);
}

bool anyBroadcastInterface()
{
    const auto all = QNetworkInterface::allInterfaces();
    return std::any_of(all.begin(), all.end(), [](const QNetworkInterface &i) {
        if (!canBroadcast(i))
            return false;
        const auto entries = i.addressEntries();
        return std::any_of(entries.begin(), entries.end(), [](const QNetworkAddressEntry &e) {
            return e.ip().protocol() == QAbstractSocket::IPv4Protocol;
        });
    });
}

int numberFor(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::NetworkError:
        return 10050;
    case QAbstractSocket::AddressInUseError:
        return Transport::addressInUseNumber;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    case QAbstractSocket::UnfinishedSocketOperationError:
        return 10036;
    case QAbstractSocket::OperationError:
        return 10022;
    case QAbstractSocket::TemporaryError:
        return 10035;
    case QAbstractSocket::UnknownSocketError:
        return 20999;
    default:
        return 20000 + static_cast<int>(error);
    }
}
} // namespace

const QString Transport::addressInUseText = QStringLiteral("Address in use");
const QString Transport::noRouteText = QStringLiteral("No route to host.");
const QString Transport::broadcastAddress = QStringLiteral("255.255.255.255");

Transport::Transport(QObject *parent) : QObject(parent)
{
    Timer3.setInterval(kTickMs);
    connect(&Timer3, &QTimer::timeout, this, &Transport::Timer3_Timer);
    connect(&SckUDP, &QUdpSocket::readyRead, this, &Transport::SckUDP_DataArrival);
    connect(&SckUDP, &QUdpSocket::errorOccurred, this, &Transport::SckUDP_Error);
    // Nothing is meant to arrive on the sending port; whatever does is discarded so it
    // cannot pile up in the socket.
    connect(&SckUDP1, &QUdpSocket::readyRead, this, [this] {
        while (SckUDP1.hasPendingDatagrams())
            if (SckUDP1.readDatagram(nullptr, 0) < 0)
                break;
    });
}

Transport::~Transport() = default;

SocketError Transport::classify(QAbstractSocket::SocketError error, const QString &qtText,
                                int osError)
{
    SocketError out;
    if (error == QAbstractSocket::AddressInUseError) {
        out.number = addressInUseNumber;
        out.description = addressInUseText;
    } else if (isUnreachable(osError) ||
               (error == QAbstractSocket::NetworkError && !anyBroadcastInterface())) {
        // Qt folds an unreachable network into a generic send error; the system code or the
        // absence of any interface that can broadcast tells it apart.
        out.number = noRouteNumber;
        out.description = noRouteText;
    } else {
        out.number = numberFor(error);
        out.description = qtText;
    }
    return out;
}

bool Transport::bindSocket(QUdpSocket &socket, int port, SocketError *err)
{
    socket.abort();
    if (port < 0 || port > 65535) {
        if (err) {
            *err = classify(QAbstractSocket::SocketAddressNotAvailableError,
                            QStringLiteral("Invalid port ") + QString::number(port));
            err->port = port;
        }
        return false;
    }
    // A taken port must fail rather than be shared with another program or copy.
    if (socket.bind(QHostAddress::AnyIPv4, static_cast<quint16>(port),
                    QAbstractSocket::DontShareAddress))
        return true;
    const int osError = lastOsError();
    if (err) {
        *err = classify(socket.error(), socket.errorString(), osError);
        err->port = port;
    }
    return false;
}

bool Transport::bind(int listenPort, int sendPort, SocketError *err)
{
    close();
    return bindListening(listenPort, err) && bindSending(sendPort, err);
}

bool Transport::bindListening(int listenPort, SocketError *err)
{
    listenPort_ = listenPort;
    return bindSocket(SckUDP, listenPort, err);
}

bool Transport::bindSending(int sendPort, SocketError *err)
{
    sendPort_ = sendPort;
    return bindSocket(SckUDP1, sendPort, err);
}

void Transport::close()
{
    SckUDP.abort();
    SckUDP1.abort();
}

int Transport::listeningState() const
{
    return SckUDP.state() == QAbstractSocket::BoundState ? 1 : 0;
}

int Transport::sendingState() const
{
    return SckUDP1.state() == QAbstractSocket::BoundState ? 1 : 0;
}

QString Transport::localIp()
{
    const auto all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : all) {
        if (!canBroadcast(iface))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
    }
    return QStringLiteral("127.0.0.1");
}

QString Transport::localHostName()
{
    return QHostInfo::localHostName();
}

bool Transport::send(const QString &text, SocketError *err)
{
    // An unbound sending socket takes its port on first use, as the bind would; a taken
    // port fails here instead of sending from some other port.
    if (sendingState() == 0 && !bindSocket(SckUDP1, sendPort_, err))
        return false;
    const QByteArray bytes = Codec::encode(text);
    errno = 0;
    const qint64 sent = SckUDP1.writeDatagram(bytes, QHostAddress(QHostAddress::Broadcast),
                                              static_cast<quint16>(listenPort_));
    if (sent == bytes.size())
        return true;
    const int osError = lastOsError();
    if (err) {
        if (sent < 0)
            *err = classify(SckUDP1.error(), SckUDP1.errorString(), osError);
        else
            *err = classify(QAbstractSocket::DatagramTooLargeError,
                            QStringLiteral("Datagram was sent only in part"));
    }
    return false;
}

void Transport::SckUDP_DataArrival()
{
    while (SckUDP.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = SckUDP.receiveDatagram();
        // A failed read would report the same datagram as pending again; stop rather than
        // spin, the next arrival event resumes.
        if (!datagram.isValid())
            break;
        enqueue(Codec::decode(datagram.data()));
    }
}

void Transport::SckUDP_Error(QAbstractSocket::SocketError error)
{
    const SocketError e = classify(error, SckUDP.errorString());
    Q_EMIT statusText(QStringLiteral("SCKUDP ERROR") + QString::number(e.number) + e.description);
}

void Transport::enqueue(const QString &text)
{
    cue_.append(text);
    setCuetotal(static_cast<int>(cue_.size()) - 1);
    if (!boxopen_)
        enableTimer();
}

void Transport::removeCurrent()
{
    if (!cue_.isEmpty())
        cue_.removeFirst();
    if (cue_.isEmpty())
        Timer3.stop();
}

void Transport::setCuetotalFromCount()
{
    setCuetotal(static_cast<int>(cue_.size()) - 1);
}

void Transport::setCuetotal(int number)
{
    cuetotal_ = QString::number(number);
    Q_EMIT cuetotalChanged(cuetotal_);
    // Four per waiting entry, within the progress bar's 0..100.
    const int traffic = std::clamp(4 * number, 0, 100);
    if (traffic != traffic_) {
        traffic_ = traffic;
        Q_EMIT trafficChanged(traffic_);
    }
}

void Transport::setBoxOpen(bool open)
{
    boxopen_ = open;
    if (open)
        Timer3.stop(); // held: nothing to tick for until the box closes
    else if (!cue_.isEmpty())
        enableTimer();
}

void Transport::enableTimer()
{
    // Enabling a running timer must not restart its interval, or a steady stream of
    // arrivals faster than one per tick would keep the dispatcher from ever running.
    if (!Timer3.isActive())
        Timer3.start();
}

void Transport::Timer3_Timer()
{
    if (boxopen_ || cue_.isEmpty()) {
        Timer3.stop();
        return;
    }
    Q_EMIT tick();
}

Transport::BoxHold::BoxHold(Transport &transport)
    : transport_(transport), previous_(transport.boxopen())
{
    transport_.setBoxOpen(true);
}

Transport::BoxHold::~BoxHold()
{
    transport_.setBoxOpen(previous_);
}
