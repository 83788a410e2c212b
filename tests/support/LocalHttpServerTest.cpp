// The test server itself, spoken to over a raw socket, so that tests built on
// it can trust what it sends.
#include "support/LocalHttpServer.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

// Sends request and collects everything until the server closes (or 2 s pass).
// The server runs on this thread, so this waits in an event loop, not in a
// blocking socket call.
QByteArray Exchange(quint16 port, const QByteArray& request, int timeoutMs = 2000)
{
    QTcpSocket socket;
    QByteArray answer;
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::connected, [&] { socket.write(request); });
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    socket.connectToHost(QHostAddress::LocalHost, port);
    loop.exec();
    answer += socket.readAll();
    return answer;
}

QByteArray Get(quint16 port, const QByteArray& target, const QByteArray& extra = {})
{
    return Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n");
}

QByteArray BodyOf(const QByteArray& answer)
{
    const int end = answer.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : answer.mid(end + 4);
}

QByteArray Gunzip(const QByteArray& data)
{
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return "<init failed>";
    QByteArray out;
    char buffer[4096];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, static_cast<int>(sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END && stream.avail_in == 0 ? out : QByteArray("<bad gzip>");
}

TEST(HttpServerTest, GzipMakesAProperGzipMember)
{
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(static_cast<char>((i * 7919) % 251));
    const QByteArray inputs[] = {"", "a", "<rss>" + QByteArray(100000, 'r') + "</rss>", binary};
    for (const QByteArray& input : inputs) {
        SCOPED_TRACE(input.size());
        const QByteArray packed = LocalHttpServer::Gzip(input);
        ASSERT_GE(packed.size(), 18); // header and trailer at least
        EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1f);
        EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x8b);
        EXPECT_EQ(Gunzip(packed), input);
    }
}

TEST(HttpServerTest, AnswersAsRouted)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    server.Serve("/feed.xml", "<rss/>", "application/rss+xml");
    server.Serve("/broken", "err", "text/plain", 500);
    server.Redirect("/old", "new/place", 301);
    server.ServeGzip("/packed", "zipped text");
    server.ServeSlowly("/slow", "0123456789", 3, 5);

    const struct {
        QByteArray target;
        QByteArray statusLine;
        QByteArray header; // one header line that must be there
        QByteArray body;
    } cases[] = {
        {"/feed.xml", "HTTP/1.1 200 OK", "Content-Type: application/rss+xml", "<rss/>"},
        {"/feed.xml?x=1", "HTTP/1.1 200 OK", "Content-Length: 6", "<rss/>"},
        {"/broken", "HTTP/1.1 500 Internal Server Error", "Connection: close", "err"},
        {"/old", "HTTP/1.1 301 Moved Permanently", "Location: new/place", "<a href=\"new/place\">moved</a>"},
        {"/nowhere", "HTTP/1.1 404 Not Found", "Content-Type: text/plain", "Not Found"},
        {"/packed", "HTTP/1.1 200 OK", "Content-Encoding: gzip", LocalHttpServer::Gzip("zipped text")},
        {"/slow", "HTTP/1.1 200 OK", "Content-Length: 10", "0123456789"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.constData());
        const QByteArray answer = Get(server.Port(), c.target);
        EXPECT_TRUE(answer.startsWith(c.statusLine + "\r\n")) << answer.left(80).constData();
        EXPECT_TRUE(answer.contains("\r\n" + c.header + "\r\n"));
        EXPECT_EQ(BodyOf(answer), c.body);
    }
}

TEST(HttpServerTest, RecordsTheLastRequestPerPath)
{
    LocalHttpServer server;
    server.Serve("/a", "x");
    EXPECT_FALSE(server.LastRequest("/a").has_value());
    Get(server.Port(), "/a?first", "User-Agent: one\r\n");
    Get(server.Port(), "/a?second", "user-agent: two\r\nX-Extra:  spaced  \r\n");
    Get(server.Port(), "/unrouted");
    Exchange(server.Port(), "POST /a HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello");

    EXPECT_EQ(server.RequestCount("/a"), 3);
    EXPECT_EQ(server.RequestCount("a"), 3) << "a path without its slash names the same route";
    EXPECT_EQ(server.RequestCount("/unrouted"), 1);
    EXPECT_EQ(server.RequestCount("/never"), 0);
    const auto post = server.LastRequest("/a");
    ASSERT_TRUE(post.has_value());
    EXPECT_EQ(post->method, "POST");
    EXPECT_EQ(post->body, "hello");

    Get(server.Port(), "/a?second", "user-agent: two\r\nX-Extra:  spaced  \r\n");
    const auto get = server.LastRequest("/a");
    EXPECT_EQ(get->target, "/a?second");
    EXPECT_EQ(get->path, "/a");
    EXPECT_EQ(get->Header("User-Agent"), "two");
    EXPECT_EQ(get->Header("x-extra"), "spaced");
    EXPECT_EQ(get->Header("Missing"), "");
}

TEST(HttpServerTest, RefusesWhatIsNotHttp)
{
    LocalHttpServer server;
    server.Serve("/a", "x");
    // The first bytes of a TLS client hello.
    const QByteArray answer = Exchange(server.Port(), QByteArray::fromHex("160301020001"));
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 400 Bad Request\r\n")) << answer.constData();
    EXPECT_TRUE(Exchange(server.Port(), "GET nothing\r\n\r\n").startsWith("HTTP/1.1 400"));
    EXPECT_EQ(server.RequestCount("/a"), 0);
}

TEST(HttpServerTest, StallsTruncatesAndStreamsOnRequest)
{
    LocalHttpServer server;
    server.Stall("/silent", false);
    server.Stall("/headers", true);
    server.ServeTruncated("/cut", "0123456789", 4);
    server.ServeEndless("/endless", 1000, 1);

    EXPECT_EQ(Exchange(server.Port(), "GET /silent HTTP/1.1\r\n\r\n", 200).size(), 0);
    const QByteArray headers = Exchange(server.Port(), "GET /headers HTTP/1.1\r\n\r\n", 200);
    EXPECT_TRUE(headers.startsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(headers.contains("Content-Length: 1000\r\n"));
    EXPECT_EQ(BodyOf(headers), "");

    const QByteArray cut = Get(server.Port(), "/cut");
    EXPECT_TRUE(cut.contains("Content-Length: 10\r\n"));
    EXPECT_EQ(BodyOf(cut), "0123");

    const QByteArray endless = Exchange(server.Port(), "GET /endless HTTP/1.1\r\n\r\n", 200);
    EXPECT_FALSE(endless.contains("Content-Length"));
    EXPECT_GT(BodyOf(endless).size(), 3000);
    EXPECT_EQ(BodyOf(endless), QByteArray(BodyOf(endless).size(), 'x'));
}

TEST(HttpServerTest, UnusedPortRefusesConnections)
{
    const quint16 port = LocalHttpServer::UnusedPort();
    ASSERT_NE(port, 0);
    QTcpSocket socket;
    QEventLoop loop;
    bool refused = false;
    QObject::connect(&socket, &QTcpSocket::errorOccurred, [&](QAbstractSocket::SocketError e) {
        refused = e == QAbstractSocket::ConnectionRefusedError;
        loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    socket.connectToHost(QHostAddress::LocalHost, port);
    loop.exec();
    EXPECT_TRUE(refused);
}

} // namespace
