#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <vector>

namespace parlowind::test {

struct HttpRequest
{
    QByteArray method;
    QByteArray path; // with the query string
    QHash<QByteArray, QByteArray> headers; // names lower-cased
    QByteArray body;

    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
};

// The answer to one request. The handler may answer at once (respond/sendRaw),
// keep the exchange open to answer later, or never answer at all.
class HttpExchange
{
public:
    explicit HttpExchange(QTcpSocket *socket);

    // A complete response with Content-Length (unless `withLength` is false, in
    // which case the body ends when the connection closes).
    void respond(int status, const QByteArray &body, const QList<QPair<QByteArray, QByteArray>> &headers = {},
                 bool withLength = true);
    void sendRaw(const QByteArray &bytes);
    void close();
    bool isOpen() const { return m_socket && m_socket->state() == QAbstractSocket::ConnectedState; }

private:
    QPointer<QTcpSocket> m_socket;
};

// A real HTTP/1.1 server on 127.0.0.1 with a scripted handler, running on the
// thread that created it. One request per connection. Records every request.
class LocalHttpServer final : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const HttpRequest &, HttpExchange &)>;

    explicit LocalHttpServer(Handler handler);
    ~LocalHttpServer() override;

    quint16 port() const { return m_server.serverPort(); }
    QByteArray baseUrl() const; // "http://127.0.0.1:PORT"
    const std::vector<HttpRequest> &requests() const { return m_requests; }
    int connectionCount() const { return m_connections; }
    // Connections the server still holds open (for checking that a client gave up).
    int openConnections() const;

    void setHandler(Handler handler) { m_handler = std::move(handler); }

private:
    void onConnection();
    void onReadyRead(QTcpSocket *socket);

    QTcpServer m_server;
    Handler m_handler;
    std::vector<HttpRequest> m_requests;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    std::vector<QPointer<QTcpSocket>> m_sockets;
    int m_connections = 0;
};

} // namespace parlowind::test
