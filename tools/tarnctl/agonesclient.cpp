#include "agonesclient.h"

#include "platform/portnumber.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

namespace tarnctl {

namespace {

using namespace std::chrono_literals;

constexpr quint16 defaultPort = 9358;

// A call the SDK server has not answered by then has failed; the next
// answered poll brings another.
constexpr std::chrono::milliseconds callTimeout = 2s;

} // namespace

std::optional<quint16> AgonesClient::portFromEnvironment(QString *error)
{
    if (!qEnvironmentVariableIsSet("AGONES_SDK_HTTP_PORT"))
        return defaultPort;
    const QByteArray text = qgetenv("AGONES_SDK_HTTP_PORT");
    if (const std::optional<std::uint16_t> port = platform::parsePortNumber(text.toStdString()))
        return *port;
    *error = QStringLiteral("AGONES_SDK_HTTP_PORT is \"%1\", not a port number from 1 to 65535")
                 .arg(QString::fromLocal8Bit(text));
    return std::nullopt;
}

AgonesClient::AgonesClient(quint16 port, std::function<void(const QString &)> report)
    : report(std::move(report))
{
    gateway.setScheme(QStringLiteral("http"));
    gateway.setHost(QStringLiteral("localhost"));
    gateway.setPort(port);
    // The SDK server is on this host: a proxy from the environment must not
    // come between.
    manager.setProxy(QNetworkProxy::NoProxy);
    manager.setTransferTimeout(int(callTimeout.count()));
    connect(&manager, &QNetworkAccessManager::finished, this, &AgonesClient::done);
}

// The manager aborts the calls still under way as it goes, after the rest
// of this object has gone: they must not come back here.
AgonesClient::~AgonesClient()
{
    disconnect(&manager, nullptr, this, nullptr);
}

void AgonesClient::ready()
{
    readyWanted = true;
    queue(Call::Ready);
}

void AgonesClient::health()
{
    if (readyWanted && !readyTaken)
        queue(Call::Ready);
    queue(Call::Health);
}

void AgonesClient::shutdown()
{
    if (shutDown)
        return;
    waiting.clear();
    queue(Call::Shutdown);
    shutDown = true;
}

void AgonesClient::finish(std::chrono::milliseconds most)
{
    if (!sending)
        return;
    QEventLoop loop;
    QTimer::singleShot(most, &loop, &QEventLoop::quit);
    connect(this, &AgonesClient::idle, &loop, &QEventLoop::quit);
    loop.exec();
}

void AgonesClient::queue(Call call)
{
    // A call already on its way says the same.
    if (shutDown || sending == call || waiting.contains(call))
        return;
    waiting.append(call);
    if (!sending)
        sendNext();
}

void AgonesClient::sendNext()
{
    if (waiting.isEmpty()) {
        emit idle();
        return;
    }
    sending = waiting.takeFirst();
    QUrl url = gateway;
    url.setPath(sending == Call::Ready ? QStringLiteral("/ready")
            : sending == Call::Health  ? QStringLiteral("/health")
                                       : QStringLiteral("/shutdown"));
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    manager.post(request, QByteArrayLiteral("{}"));
}

void AgonesClient::done(QNetworkReply *reply)
{
    reply->deleteLater();
    const Call call = *sending;
    sending.reset();
    if (const QString why = failure(reply); !why.isEmpty()) {
        // The last call is told of whatever came before it.
        if (!failing || call == Call::Shutdown) {
            const QString what = call == Call::Ready ? QStringLiteral("the server is ready")
                : call == Call::Health               ? QStringLiteral("the server is healthy")
                                                     : QStringLiteral("the server has ended");
            report(QStringLiteral("cannot tell Agones (%1) that %2: %3")
                       .arg(gateway.authority(), what, why));
        }
        failing = true;
    } else {
        if (failing)
            report(QStringLiteral("Agones (%1) answers again").arg(gateway.authority()));
        failing = false;
        readyTaken = readyTaken || call == Call::Ready;
    }
    sendNext();
}

QString AgonesClient::failure(QNetworkReply *reply) const
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300)
        return {};
    if (status != 0)
        return QStringLiteral("it answered HTTP %1 %2")
            .arg(status)
            .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    if (reply->error() == QNetworkReply::OperationCanceledError
        || reply->error() == QNetworkReply::TimeoutError)
        return QStringLiteral("no answer within %1 s").arg(callTimeout.count() / 1000.0);
    return reply->errorString();
}

} // namespace tarnctl
