#include "LocalHttpServer.h"

namespace parlowind::test {

namespace {
QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 416:
        return "Range Not Satisfiable";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}
} // namespace

HttpExchange::HttpExchange(QTcpSocket *socket)
    : m_socket(socket)
{
}

void HttpExchange::respond(int status, const QByteArray &body, const QList<QPair<QByteArray, QByteArray>> &headers,
                           bool withLength)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    for (const auto &[name, value] : headers)
        head += name + ": " + value + "\r\n";
    if (withLength)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    sendRaw(head + body);
    close();
}

void HttpExchange::sendRaw(const QByteArray &bytes)
{
    if (m_socket) {
        m_socket->write(bytes);
        m_socket->flush();
    }
}

void HttpExchange::close()
{
    if (m_socket)
        m_socket->disconnectFromHost();
}

LocalHttpServer::LocalHttpServer(Handler handler)
    : m_handler(std::move(handler))
{
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onConnection);
    m_server.listen(QHostAddress::LocalHost, 0);
}

LocalHttpServer::~LocalHttpServer()
{
    for (auto &socket : m_sockets)
        if (socket)
            socket->abort();
}

QByteArray LocalHttpServer::baseUrl() const
{
    return "http://127.0.0.1:" + QByteArray::number(port());
}

int LocalHttpServer::openConnections() const
{
    int open = 0;
    for (const auto &socket : m_sockets)
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            ++open;
    return open;
}

void LocalHttpServer::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connections;
        m_sockets.emplace_back(socket);
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;

    HttpRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const int colon = line.indexOf(':');
        if (colon > 0)
            request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    const qsizetype length = request.header("content-length").toLongLong();
    if (buffer.size() - (headerEnd + 4) < length)
        return; // wait for the rest of the body
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();
    // Ignore anything else on this connection: one request per connection.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);

    m_requests.push_back(request);
    HttpExchange exchange(socket);
    if (m_handler)
        m_handler(request, exchange);
}

} // namespace parlowind::test
