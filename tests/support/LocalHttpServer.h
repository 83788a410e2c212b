#pragma once
// A small HTTP/1.1 server on 127.0.0.1 (a free port) for tests. It lives on
// the thread that made it and is driven by that thread's event loop, so it
// answers while the code under test waits in a nested event loop.
//
// Answers are set per path (the request target without its query); unknown
// paths get 404. Every answer ends with "Connection: close". A request that
// does not start like HTTP (say, a TLS handshake) gets 400 and the connection
// is closed. The last request seen on each path is kept for tests to look at.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>

#include <optional>

class LocalHttpServer : public QObject {
    Q_OBJECT
public:
    using HeaderList = QList<QPair<QByteArray, QByteArray>>;

    struct Request {
        QByteArray method;
        QByteArray target; // as sent, query included
        QByteArray path;   // target without the query
        HeaderList headers;
        QByteArray body;
        // First header of that name, compared ignoring case; empty when absent.
        QByteArray Header(const QByteArray& name) const;
    };

    enum class Delivery {
        Whole,             // headers and body at once
        Silent,            // accept the request, never answer
        HeadersOnly,       // headers announcing the body, then nothing
        Truncated,         // headers announcing the body, part of it, then close
        Slow,              // the body in pieces with pauses between them
        Endless,           // headers, then pieces until the client goes away
    };

    struct Route {
        int status = 200;
        QByteArray contentType = "text/plain";
        QByteArray body;
        HeaderList extraHeaders;   // sent after the standard ones
        bool gzip = false;         // send the body gzip-compressed
        Delivery delivery = Delivery::Whole;
        int pieceBytes = 16 * 1024; // Slow and Endless: bytes per piece
        int pauseMs = 0;            // Slow and Endless: pause between pieces
        int truncateAfter = 0;      // Truncated: body bytes sent before closing
    };

    explicit LocalHttpServer(QObject* parent = nullptr);
    ~LocalHttpServer() override;
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool IsListening() const { return server.isListening(); }
    quint16 Port() const { return server.serverPort(); }
    // "http://127.0.0.1:<port>" followed by path ("/" is added when missing).
    QString Url(const QString& path) const;

    void SetRoute(const QString& path, const Route& route);
    void Serve(const QString& path, const QByteArray& body,
               const QByteArray& contentType = "text/plain", int status = 200);
    void ServeGzip(const QString& path, const QByteArray& body,
                   const QByteArray& contentType = "text/plain");
    // location is sent as given, so it may be relative.
    void Redirect(const QString& path, const QByteArray& location, int status = 302);
    void Stall(const QString& path, bool sendHeaders);
    void ServeTruncated(const QString& path, const QByteArray& body, int sentBytes);
    void ServeSlowly(const QString& path, const QByteArray& body, int pieceBytes, int pauseMs);
    void ServeEndless(const QString& path, int pieceBytes = 64 * 1024, int pauseMs = 0);

    int RequestCount(const QString& path) const;
    std::optional<Request> LastRequest(const QString& path) const;
    // Bytes of body written to clients over all connections so far.
    qint64 BodyBytesSent() const { return bodyBytesSent; }

    // A gzip member (RFC 1952) holding data.
    static QByteArray Gzip(const QByteArray& data);
    // A loopback port on which nothing listens (free when asked).
    static quint16 UnusedPort();

private:
    class Connection;
    friend class Connection;

    void OnNewConnection();
    std::optional<Route> FindRoute(const QByteArray& path) const;
    void Record(const Request& request);

    QTcpServer server;
    QHash<QByteArray, Route> routes;
    QHash<QByteArray, Request> lastRequests;
    QHash<QByteArray, int> requestCounts;
    qint64 bodyBytesSent = 0;
};
