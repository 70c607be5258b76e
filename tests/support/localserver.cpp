#include "localserver.h"

#include <QTcpServer>

#include <thread>

namespace tandor28::testsupport {

LocalServer::LocalServer() : LocalServer(std::make_unique<httplib::Server>(), QStringLiteral("http")) {}

LocalServer::LocalServer(std::unique_ptr<httplib::Server> server, QString scheme)
    : m_server(std::move(server)), m_scheme(std::move(scheme))
{}

LocalServer::~LocalServer()
{
    stop();
}

bool LocalServer::start()
{
    if (!m_server->is_valid())
        return false;
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        return false;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // httplib's stop() does nothing until the accept loop runs, so a stop right after the start
    // would be lost and its join would wait for ever: start() returns once the loop runs.
    while (!m_server->is_running())
        std::this_thread::yield();
    return true;
}

void LocalServer::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

void LocalServer::serve(const std::string& pattern, const QByteArray& body, const char* contentType, int status)
{
    m_server->Get(pattern, [bytes = body.toStdString(), contentType, status](const httplib::Request&,
                                                                             httplib::Response& response) {
        response.status = status;
        response.set_content(bytes, contentType);
    });
}

QString LocalServer::url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_scheme).arg(m_port).arg(path);
}

void LocalServer::drip(httplib::Response& response, std::size_t total, std::chrono::milliseconds interval)
{
    response.set_chunked_content_provider("text/plain",
                                          [this, total, interval](std::size_t offset, httplib::DataSink& sink) {
                                              if (offset >= total) {
                                                  sink.done();
                                                  return true;
                                              }
                                              std::unique_lock lock(m_mutex);
                                              if (m_stopped.wait_for(lock, interval, [this] { return m_stopping; }))
                                                  return false;
                                              lock.unlock();
                                              return sink.write("x", 1);
                                          });
}

int closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 0;
    const int port = server.serverPort();
    server.close();
    return port;
}

} // namespace tandor28::testsupport
