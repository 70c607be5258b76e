#include "rollingbacktest.h"

#include <algorithm>
#include <climits>

namespace tandor28 {

namespace {

constexpr std::uint8_t kSkipped = 0;
constexpr std::uint8_t kMiss = 1;
constexpr std::uint8_t kHit = 2;
constexpr std::size_t kKeptVerdicts = static_cast<std::size_t>(kRollingWindows.back()) + 1;

} // namespace

RollingBacktest::RollingBacktest(int last) : m_last(std::max(0, last)) {}

bool RollingBacktest::bounded() const
{
    return m_last < INT_MAX;
}

void RollingBacktest::countRun(bool hit, int length, int change)
{
    std::vector<int>& runs = hit ? m_winRuns : m_lossRuns;
    int& longest = hit ? m_longestWin : m_longestLoss;
    if (runs.size() <= static_cast<std::size_t>(length))
        runs.resize(static_cast<std::size_t>(length) + 1, 0);
    runs[static_cast<std::size_t>(length)] += change;
    if (change > 0)
        longest = std::max(longest, length);
    while (longest > 0 && runs[static_cast<std::size_t>(longest)] == 0)
        --longest;
}

void RollingBacktest::enter(std::optional<Verdict> verdict)
{
    if (m_last == 0)
        return;
    if (!verdict) {
        ++m_skipped;
        m_gap = true;
        if (bounded())
            m_rows.push_back(kSkipped);
    } else {
        const bool hit = *verdict == Verdict::Hit;
        ++m_judged;
        m_wrong += hit ? 0 : 1;
        m_verdicts.push_back(hit ? kHit : kMiss);
        for (std::size_t i = 0; i < kRollingWindows.size(); ++i) {
            const auto window = static_cast<std::size_t>(kRollingWindows[i]);
            m_hitsIn[i] += hit ? 1 : 0;
            if (m_verdicts.size() > window)
                m_hitsIn[i] -= m_verdicts[m_verdicts.size() - 1 - window] == kHit ? 1 : 0;
        }
        // Streaks do not run across skipped draws.
        const bool extends = !m_gap && m_streak > 0 && m_streakHit == hit;
        m_gap = false;
        if (bounded()) {
            m_rows.push_back(hit ? kHit : kMiss);
            if (extends) {
                countRun(hit, m_runs.back().length, -1);
                countRun(hit, ++m_runs.back().length, 1);
            } else {
                m_runs.push_back(Run{hit, 1});
                countRun(hit, 1, 1);
            }
        }
        m_streak = extends ? m_streak + 1 : 1;
        m_streakHit = hit;
        if (!bounded()) {
            int& longest = hit ? m_longestWin : m_longestLoss;
            longest = std::max(longest, m_streak);
            if (m_verdicts.size() > kKeptVerdicts)
                m_verdicts.pop_front();
        }
    }
    if (bounded() && m_rows.size() > static_cast<std::size_t>(m_last))
        leave();
}

void RollingBacktest::leave()
{
    const std::uint8_t row = m_rows.front();
    m_rows.pop_front();
    if (row == kSkipped) {
        --m_skipped;
        return;
    }
    const bool hit = row == kHit;
    for (std::size_t i = 0; i < kRollingWindows.size(); ++i)
        if (m_verdicts.size() <= static_cast<std::size_t>(kRollingWindows[i]))
            m_hitsIn[i] -= hit ? 1 : 0;
    m_verdicts.pop_front();
    --m_judged;
    m_wrong -= hit ? 0 : 1;
    Run& oldest = m_runs.front();
    countRun(hit, oldest.length, -1);
    if (--oldest.length > 0)
        countRun(hit, oldest.length, 1);
    // The oldest run is the current streak when it is the only one.
    if (m_runs.size() == 1)
        m_streak = oldest.length;
    if (oldest.length == 0)
        m_runs.pop_front();
}

BacktestResult RollingBacktest::result() const
{
    BacktestResult result;
    result.wrong = m_wrong;
    result.right = m_judged - m_wrong;
    result.accuracy = m_judged > 0 ? static_cast<int>(static_cast<long long>(result.right) * 100 / m_judged) : 0;
    result.longestWin = m_longestWin;
    result.longestLoss = m_longestLoss;
    result.winStreak = m_streak > 0 && m_streakHit ? m_streak : 0;
    result.lossStreak = m_streak > 0 && !m_streakHit ? m_streak : 0;
    result.skipped = m_skipped;
    for (std::size_t i = 0; i < kRollingWindows.size(); ++i)
        if (m_judged >= kRollingWindows[i])
            result.rollingHitRate[i] = m_hitsIn[i] * 100.0 / kRollingWindows[i];
    return result;
}

} // namespace tandor28
