#include "feedsimprocess.h"

#include <QRegularExpression>

namespace tandor28::testsupport {

FeedsimProcess::FeedsimProcess(const QString& program, const QStringList& arguments)
{
    m_process.setProgram(program);
    m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return;
    while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
    }
    m_line = QString::fromUtf8(m_process.readLine());
    static const QRegularExpression listening(QStringLiteral(R"(^listening on 127\.0\.0\.1:(\d+)\n$)"));
    const QRegularExpressionMatch m = listening.match(m_line);
    if (m.hasMatch())
        m_port = m.captured(1).toInt();
}

FeedsimProcess::~FeedsimProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

} // namespace tandor28::testsupport
