#include "officepeer.h"

#include "common/codec.h"
#include "office.h"

#ifndef VT_PYTHON3
#define VT_PYTHON3 "python3"
#endif
#ifndef VT_OFFICE_DIR
#define VT_OFFICE_DIR "."
#endif

QString OfficePeer::Arrival::text() const
{
    return Codec::decode(bytes);
}

OfficePeer::OfficePeer(int workstation, QObject *parent)
    : QObject(parent), workstation_(workstation)
{
    connect(&process_, &QProcess::readyReadStandardOutput, this, &OfficePeer::readLines);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

OfficePeer::~OfficePeer()
{
    stop();
}

bool OfficePeer::start(QString *error)
{
    process_.start(Office::wsExec(),
                   {QString::number(workstation_), QStringLiteral(VT_PYTHON3),
                    QStringLiteral(VT_OFFICE_DIR "/peer.py"), QStringLiteral("--listen-port"),
                    QString::number(Office::ListeningPort), QStringLiteral("--send-port"),
                    QString::number(Office::SendingPort)});
    if (Office::waitUntil([this] { return ready_ || process_.state() == QProcess::NotRunning; }) &&
        ready_)
        return true;
    *error = QStringLiteral("the peer did not start on workstation %1: %2")
                 .arg(workstation_)
                 .arg(process_.errorString());
    return false;
}

void OfficePeer::readLines()
{
    while (process_.canReadLine()) {
        const QString line = QString::fromLatin1(process_.readLine()).trimmed();
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.value(0) == QLatin1String("ready")) {
            ready_ = true;
        } else if (words.value(0) == QLatin1String("got") &&
                   (words.size() == 3 || words.size() == 4)) {
            received_.append(
                {words.at(1), words.at(2).toInt(), QByteArray::fromHex(words.value(3).toLatin1())});
        } else {
            answers_.append(words);
        }
    }
}

bool OfficePeer::send(const QString &text)
{
    const QByteArray payload = Codec::encode(text);
    const qsizetype before = answers_.size();
    process_.write("send " + payload.toHex() + "\n");
    if (!Office::waitUntil([&] { return answers_.size() > before; }))
        return false;
    const QStringList answer = answers_.at(before);
    return answer.value(0) == QLatin1String("sent") && answer.value(1).toInt() == payload.size();
}

QStringList OfficePeer::texts() const
{
    QStringList out;
    for (const Arrival &arrival : received_)
        out.append(arrival.text());
    return out;
}

int OfficePeer::count(const QString &text) const
{
    int n = 0;
    for (const Arrival &arrival : received_)
        n += arrival.text() == text ? 1 : 0;
    return n;
}

bool OfficePeer::waitFor(const QString &text, int times)
{
    return Office::waitUntil([&] { return count(text) >= times; });
}

QString OfficePeer::dump() const
{
    QStringList lines;
    for (const Arrival &arrival : received_)
        lines.append(
            QStringLiteral("  %1:%2 %3")
                .arg(arrival.ip)
                .arg(arrival.port)
                .arg(arrival.text().replace(QLatin1String("\r\n"), QLatin1String("\\r\\n"))));
    return QStringLiteral("the peer received:\n") + lines.join(QLatin1Char('\n'));
}

void OfficePeer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.write("quit\n");
    process_.closeWriteChannel();
    if (!process_.waitForFinished(Office::deadlineMs())) {
        process_.kill();
        process_.waitForFinished();
    }
}
