#include "support/LocalHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <zlib.h>

namespace {

constexpr int MaxHeaderBytes = 64 * 1024;

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray PathOf(const QByteArray& target)
{
    const int query = target.indexOf('?');
    return query < 0 ? target : target.left(query);
}

QByteArray Key(const QString& path)
{
    const QByteArray bytes = path.toUtf8();
    return bytes.startsWith('/') ? bytes : '/' + bytes;
}

} // namespace

QByteArray LocalHttpServer::Request::Header(const QByteArray& name) const
{
    for (const auto& header : headers)
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    return {};
}

// One client connection: reads one request, answers it as its route says,
// then closes.
class LocalHttpServer::Connection : public QObject {
public:
    Connection(LocalHttpServer& owner, QTcpSocket* socket)
        : QObject(&owner), owner(owner), socket(socket)
    {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, &Connection::OnReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, [this] {
            timer.stop();
            deleteLater();
        });
        connect(&timer, &QTimer::timeout, this, &Connection::SendNextPiece);
    }

private:
    void OnReadyRead()
    {
        const QByteArray data = socket->readAll();
        if (answered)
            return;
        buffer += data;
        // Anything but an upper-case method name is not HTTP: say so at once
        // rather than wait for a header end that never comes.
        if (!buffer.isEmpty() && !(buffer[0] >= 'A' && buffer[0] <= 'Z')) {
            BadRequest();
            return;
        }
        const int headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            if (buffer.size() > MaxHeaderBytes)
                BadRequest();
            return;
        }
        if (!ParseHead(buffer.left(headerEnd))) {
            BadRequest();
            return;
        }
        bool known = false;
        const qint64 length = request.Header("Content-Length").trimmed().toLongLong(&known);
        const QByteArray rest = buffer.mid(headerEnd + 4);
        if (known && rest.size() < length)
            return; // wait for the rest of the body
        request.body = known ? rest.left(length) : QByteArray();
        answered = true;
        owner.Record(request);
        const auto route = owner.FindRoute(request.path);
        Answer(route ? *route : Route{404, "text/plain", "Not Found", {}});
    }

    bool ParseHead(const QByteArray& head)
    {
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        if (first.size() != 3 || !first[2].startsWith("HTTP/1.") || !first[1].startsWith('/'))
            return false;
        request.method = first[0];
        request.target = first[1];
        request.path = PathOf(first[1]);
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const int colon = line.indexOf(':');
            if (colon <= 0)
                return false;
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        return true;
    }

    void BadRequest()
    {
        answered = true;
        Answer(Route{400, "text/plain", "Bad Request", {}});
    }

    void Answer(const Route& route)
    {
        this->route = route;
        body = route.gzip ? Gzip(route.body) : route.body;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + ' '
                          + ReasonPhrase(route.status) + "\r\n";
        if (!route.contentType.isEmpty())
            head += "Content-Type: " + route.contentType + "\r\n";
        if (route.delivery != Delivery::Endless)
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        if (route.gzip)
            head += "Content-Encoding: gzip\r\n";
        head += "Connection: close\r\n";
        for (const auto& header : route.extraHeaders)
            head += header.first + ": " + header.second + "\r\n";
        head += "\r\n";

        switch (route.delivery) {
        case Delivery::Whole:
            socket->write(head);
            WriteBody(body);
            Close();
            break;
        case Delivery::Silent:
            break;
        case Delivery::HeadersOnly:
            socket->write(head);
            break;
        case Delivery::Truncated:
            socket->write(head);
            WriteBody(body.left(route.truncateAfter));
            Close();
            break;
        case Delivery::Slow:
        case Delivery::Endless:
            socket->write(head);
            SendNextPiece();
            timer.start(route.pauseMs);
            break;
        }
    }

    void SendNextPiece()
    {
        if (socket->state() != QAbstractSocket::ConnectedState) {
            timer.stop();
            return;
        }
        const int piece = qMax(1, route.pieceBytes);
        if (route.delivery == Delivery::Endless) {
            // Keep only a few pieces queued, so an unread socket does not
            // pile up memory here.
            if (socket->bytesToWrite() < 4 * piece)
                WriteBody(QByteArray(piece, 'x'));
            return;
        }
        WriteBody(body.mid(sent, piece));
        if (sent >= body.size()) {
            timer.stop();
            Close();
        }
    }

    void WriteBody(const QByteArray& bytes)
    {
        socket->write(bytes);
        sent += bytes.size();
        owner.bodyBytesSent += bytes.size();
    }

    void Close() { socket->disconnectFromHost(); }

    LocalHttpServer& owner;
    QTcpSocket* socket;
    QTimer timer;
    QByteArray buffer;
    Request request;
    Route route;
    QByteArray body;
    qint64 sent = 0;
    bool answered = false;
};

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    connect(&server, &QTcpServer::newConnection, this, &LocalHttpServer::OnNewConnection);
    server.listen(QHostAddress::LocalHost, 0);
}

LocalHttpServer::~LocalHttpServer()
{
    server.close();
    // Connections are our children and go with us.
}

QString LocalHttpServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(Port()) + QString::fromUtf8(Key(path));
}

void LocalHttpServer::SetRoute(const QString& path, const Route& route)
{
    routes.insert(Key(path), route);
}

void LocalHttpServer::Serve(const QString& path, const QByteArray& body,
                            const QByteArray& contentType, int status)
{
    Route route;
    route.status = status;
    route.contentType = contentType;
    route.body = body;
    SetRoute(path, route);
}

void LocalHttpServer::ServeGzip(const QString& path, const QByteArray& body,
                                const QByteArray& contentType)
{
    Route route;
    route.contentType = contentType;
    route.body = body;
    route.gzip = true;
    SetRoute(path, route);
}

void LocalHttpServer::Redirect(const QString& path, const QByteArray& location, int status)
{
    Route route;
    route.status = status;
    route.contentType = "text/html";
    route.body = "<a href=\"" + location + "\">moved</a>";
    route.extraHeaders = {{"Location", location}};
    SetRoute(path, route);
}

void LocalHttpServer::Stall(const QString& path, bool sendHeaders)
{
    Route route;
    route.body = QByteArray(1000, 's');
    route.delivery = sendHeaders ? Delivery::HeadersOnly : Delivery::Silent;
    SetRoute(path, route);
}

void LocalHttpServer::ServeTruncated(const QString& path, const QByteArray& body, int sentBytes)
{
    Route route;
    route.body = body;
    route.delivery = Delivery::Truncated;
    route.truncateAfter = sentBytes;
    SetRoute(path, route);
}

void LocalHttpServer::ServeSlowly(const QString& path, const QByteArray& body, int pieceBytes,
                                  int pauseMs)
{
    Route route;
    route.body = body;
    route.delivery = Delivery::Slow;
    route.pieceBytes = pieceBytes;
    route.pauseMs = pauseMs;
    SetRoute(path, route);
}

void LocalHttpServer::ServeEndless(const QString& path, int pieceBytes, int pauseMs)
{
    Route route;
    route.contentType = "application/octet-stream";
    route.delivery = Delivery::Endless;
    route.pieceBytes = pieceBytes;
    route.pauseMs = pauseMs;
    SetRoute(path, route);
}

int LocalHttpServer::RequestCount(const QString& path) const
{
    return requestCounts.value(Key(path), 0);
}

std::optional<LocalHttpServer::Request> LocalHttpServer::LastRequest(const QString& path) const
{
    const auto found = lastRequests.constFind(Key(path));
    if (found == lastRequests.constEnd())
        return std::nullopt;
    return *found;
}

QByteArray LocalHttpServer::Gzip(const QByteArray& data)
{
    z_stream stream{};
    // 15 window bits plus 16 asks zlib for the gzip wrapper.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return {};
    QByteArray out(static_cast<int>(deflateBound(&stream, static_cast<uLong>(data.size()))) + 32,
                   Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(static_cast<int>(stream.total_out));
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

quint16 LocalHttpServer::UnusedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void LocalHttpServer::OnNewConnection()
{
    while (QTcpSocket* socket = server.nextPendingConnection())
        new Connection(*this, socket);
}

std::optional<LocalHttpServer::Route> LocalHttpServer::FindRoute(const QByteArray& path) const
{
    const auto found = routes.constFind(path);
    if (found == routes.constEnd())
        return std::nullopt;
    return *found;
}

void LocalHttpServer::Record(const Request& request)
{
    lastRequests.insert(request.path, request);
    ++requestCounts[request.path];
}
