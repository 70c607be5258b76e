#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The local draw server (tandor28-feedsim) as a real process for one test: started on a port the
// system picks, read from its first line, and ended when the object goes.
namespace tandor28::testsupport {

class FeedsimProcess
{
public:
    // `program` is the server binary; `arguments` come after "--port 0".
    FeedsimProcess(const QString& program, const QStringList& arguments);
    ~FeedsimProcess();
    FeedsimProcess(const FeedsimProcess&) = delete;
    FeedsimProcess& operator=(const FeedsimProcess&) = delete;

    // 0 when the server did not start or did not say where it listens.
    [[nodiscard]] int port() const { return m_port; }
    // The first line it wrote ("listening on 127.0.0.1:PORT" when it started).
    [[nodiscard]] QString line() const { return m_line; }
    [[nodiscard]] QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_line;
    int m_port = 0;
};

} // namespace tandor28::testsupport
