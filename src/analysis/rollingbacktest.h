#pragma once

#include "backtest.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace tandor28 {

// A backtest over the newest `last` draws kept up to date draw by draw: the draw that enters is
// counted in, the one that leaves is counted out, so each new draw costs the same whatever the
// window's size. Its result is the one backtestPlan gives over the same window. A window of all
// draws (INT_MAX) never lets one leave and keeps only the newest verdicts its rolling rates read.
class RollingBacktest
{
public:
    explicit RollingBacktest(int last);

    // The newest draw: its verdict, or nullopt when it was skipped (its draws not consecutive
    // issues). The oldest draw leaves once the window holds more than `last`.
    void enter(std::optional<Verdict> verdict);
    [[nodiscard]] BacktestResult result() const;
    [[nodiscard]] int last() const { return m_last; }

private:
    struct Run
    {
        bool hit = false;
        int length = 0;
    };

    void leave();
    void countRun(bool hit, int length, int change);
    [[nodiscard]] bool bounded() const;

    int m_last;
    int m_judged = 0;
    int m_wrong = 0;
    int m_skipped = 0;
    bool m_gap = false;
    bool m_streakHit = false;
    int m_streak = 0;
    int m_longestWin = 0;
    int m_longestLoss = 0;
    std::array<int, kRollingWindows.size()> m_hitsIn{};
    // Every draw of a bounded window, oldest first: 0 skipped, 1 miss, 2 hit.
    std::deque<std::uint8_t> m_rows;
    // The judged verdicts, oldest first: all of a bounded window, the newest few of an unbounded one.
    std::deque<std::uint8_t> m_verdicts;
    // The runs of equal verdicts of a bounded window and how many runs there are of each length.
    std::deque<Run> m_runs;
    std::vector<int> m_winRuns;
    std::vector<int> m_lossRuns;
};

} // namespace tandor28
