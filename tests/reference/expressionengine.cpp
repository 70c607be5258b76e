#include "expressionengine.h"

#include "enginegate.h"

#include <QJSEngine>
#include <QJSValue>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tandor28 {

// One timer thread per engine. It sleeps until an evaluation has run past its deadline and then
// interrupts the engine; the evaluating thread clears the flag under the same lock afterwards, so
// an interrupt can never leak into the next evaluation.
struct ExpressionEngine::Watchdog
{
    explicit Watchdog(QJSEngine& engine) : m_engine(engine), m_thread([this](std::stop_token stop) { run(stop); }) {}

    ~Watchdog()
    {
        m_thread.request_stop();
        m_wake.notify_all();
    }

    void arm(std::chrono::steady_clock::time_point deadline)
    {
        {
            std::lock_guard lock(m_mutex);
            m_deadline = deadline;
            m_armed = true;
            m_fired = false;
        }
        m_wake.notify_all();
    }

    // Returns true when the watchdog interrupted the evaluation that just ended.
    bool disarm()
    {
        std::lock_guard lock(m_mutex);
        m_armed = false;
        if (m_fired)
            m_engine.setInterrupted(false);
        return m_fired;
    }

private:
    void run(std::stop_token stop)
    {
        std::unique_lock lock(m_mutex);
        while (!stop.stop_requested()) {
            if (!m_armed || m_fired) {
                m_wake.wait(lock, stop, [this] { return m_armed && !m_fired; });
                continue;
            }
            const auto deadline = m_deadline;
            if (m_wake.wait_until(lock, stop, deadline,
                                  [this, deadline] { return !m_armed || m_deadline != deadline; }))
                continue;
            if (m_armed && m_deadline == deadline && std::chrono::steady_clock::now() >= deadline) {
                m_engine.setInterrupted(true);
                m_fired = true;
            }
        }
    }

    QJSEngine& m_engine;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_fired = false;
    std::jthread m_thread; // last: starts after the members it uses exist
};

ExpressionEngine::ExpressionEngine(std::chrono::milliseconds timeLimit, Admission admission)
    : m_engine(std::make_unique<QJSEngine>()), m_timeLimit(timeLimit), m_admission(admission)
{
    // Built-ins that build huge strings or buffers in a single call, which no interrupt can stop.
    m_engine->evaluate(QStringLiteral(
        "(function(g){"
        "delete String.prototype.repeat; delete String.prototype.padStart; delete String.prototype.padEnd;"
        "delete Array.prototype.fill; delete Array.from;"
        "var join = Array.prototype.join;"
        "Object.defineProperty(Array.prototype, 'join', {writable: true, configurable: true, value:"
        " function(s){ if (this.length > 1000000) throw new RangeError('array too long'); return join.call(this, s); "
        "}});"
        "['ArrayBuffer','SharedArrayBuffer','DataView','Atomics','Int8Array','Uint8Array',"
        "'Uint8ClampedArray','Int16Array','Uint16Array','Int32Array','Uint32Array','Float32Array',"
        "'Float64Array'].forEach(function(n){ delete g[n]; });"
        "})(this)"));
    m_watchdog = std::make_unique<Watchdog>(*m_engine);
}

ExpressionEngine::~ExpressionEngine()
{
    m_watchdog.reset();
}

QString ExpressionEngine::evaluate(const QString& expression)
{
    m_lastInterrupted = false;
    const std::optional<QString> admitted = admit(expression);
    if (!admitted)
        return {};
    m_watchdog->arm(std::chrono::steady_clock::now() + m_timeLimit);
    QStringList thrown; // filled only when the evaluation threw, whatever it threw
    const QJSValue value = m_engine->evaluate(*admitted, QString(), 1, &thrown);
    m_lastInterrupted = m_watchdog->disarm();
    if (m_lastInterrupted || !thrown.isEmpty() || value.isError() || value.isUndefined())
        return {};
    QString text = value.toString();
    if (text.startsWith(u'.'))
        text.prepend(u'0');
    return text;
}

std::optional<QString> ExpressionEngine::admit(const QString& expression) const
{
    if (m_admission == Admission::Formulas)
        return admitToEngine(expression);
    if (expression.size() > kMaxExpressionLength)
        return std::nullopt;
    return expression;
}

bool ExpressionEngine::compiles(const QString& expression)
{
    const std::optional<QString> admitted = admit(expression);
    if (!admitted || admitted->trimmed().isEmpty())
        return false;
    // A function made of the expression is compiled but never called, so nothing of it runs.
    m_watchdog->arm(std::chrono::steady_clock::now() + m_timeLimit);
    QStringList thrown;
    const QJSValue function = m_engine->evaluate(
        QStringLiteral("(function(){return(") + *admitted + QStringLiteral("\n)})"), QString(), 1, &thrown);
    const bool interrupted = m_watchdog->disarm();
    return !interrupted && thrown.isEmpty() && function.isCallable();
}

} // namespace tandor28
