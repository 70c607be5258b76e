#pragma once

#include <QDateTime>

#include <atomic>
#include <chrono>
#include <functional>

// Clocks that move only when the test moves them, for code that takes its clock as a function.
namespace tandor28::testsupport {

// Wall time. Safe to read from a server thread while the test sets it.
class FakeClock
{
public:
    explicit FakeClock(const QDateTime& now = {}) : m_msecs(now.toMSecsSinceEpoch()) {}

    [[nodiscard]] QDateTime now() const { return QDateTime::fromMSecsSinceEpoch(m_msecs); }
    void set(const QDateTime& now) { m_msecs = now.toMSecsSinceEpoch(); }
    void advance(std::chrono::milliseconds by) { m_msecs += by.count(); }
    // What a std::function<QDateTime()> clock is given; it reads this clock, which must outlive it.
    [[nodiscard]] std::function<QDateTime()> function() const
    {
        return [this] { return now(); };
    }

private:
    std::atomic<qint64> m_msecs;
};

// Steady time for measured durations, starting at the clock's epoch.
class FakeSteadyClock
{
public:
    [[nodiscard]] std::chrono::steady_clock::time_point now() const { return m_now; }
    void advance(std::chrono::steady_clock::duration by) { m_now += by; }

private:
    std::chrono::steady_clock::time_point m_now;
};

} // namespace tandor28::testsupport
