#pragma once

#include <QString>

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// A real HTTP server inside the test: 127.0.0.1 on a port the system picks, serving on its own
// thread, so the code under test talks HTTP as it does in the field and never to a mock.
namespace tandor28::testsupport {

class LocalServer
{
public:
    // Plain HTTP.
    LocalServer();
    // Another kind of server, such as an httplib::SSLServer; `scheme` is what its URLs start with.
    LocalServer(std::unique_ptr<httplib::Server> server, QString scheme);
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // Where the test adds its handlers, before start().
    [[nodiscard]] httplib::Server& routes() { return *m_server; }
    // Binds a free port and serves; false when the server is unusable or no port could be bound.
    // Requests made right after it queue on the bound socket until the accept loop runs.
    [[nodiscard]] bool start();
    // A handler that answers GET `pattern` with `body` and `status`.
    void serve(const std::string& pattern, const QByteArray& body, const char* contentType = "text/plain",
               int status = 200);
    // Stops serving: dripping answers end, the thread is joined. The destructor calls it.
    void stop();

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] QString url(const QString& path) const;
    [[nodiscard]] QString url(const char* path) const { return url(QString::fromLatin1(path)); }

    // An answer that never stops talking long: `total` bytes of "x", one each `interval`, streamed
    // chunked. A timeout on silence alone never fires against it; stop() cuts it short.
    void drip(httplib::Response& response, std::size_t total, std::chrono::milliseconds interval);

private:
    std::unique_ptr<httplib::Server> m_server;
    QString m_scheme;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
};

// A port on 127.0.0.1 that nobody listens on: taken from the system, then given back.
[[nodiscard]] int closedPort();

} // namespace tandor28::testsupport
