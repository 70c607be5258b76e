#pragma once

#include "drawseries.h"

#include "custom/customtable.h"
#include "plans/judgement.h"
#include "plans/planrules.h"

#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace tandor28 {

class FormulaEvaluator;

// Which prediction tab's plans and bet codes a backtest speaks of.
enum class PlanTab
{
    Free,
    Member,
    Custom,
};

// The rolling windows whose newest hit rate a backtest reports.
inline constexpr std::array<int, 3> kRollingWindows = {100, 500, 1000};

// Plans predict from the four draws before the judged one (kPlanSourceDraws), formulas from the six
// before it (kCustomSourceDraws).

// One judged row, oldest first.
struct BacktestRow
{
    qint64 issue = 0;
    Verdict verdict = Verdict::Miss;
    bool afterGap = false; // rows before this one were skipped at a gap

    friend bool operator==(const BacktestRow&, const BacktestRow&) = default;
};

struct BacktestResult
{
    int right = 0;
    int wrong = 0;
    int accuracy = 0; // as the statistics label shows it: integer part of right * 100 / (right + wrong)
    int longestWin = 0;
    int longestLoss = 0;
    int winStreak = 0;  // hits in a row ending at the newest judged row
    int lossStreak = 0; // misses in a row ending at the newest judged row
    int skipped = 0;    // rows of the window not judged because their draws are not consecutive issues
    // Hit rate in percent over the newest w judged rows for each of kRollingWindows; nullopt while
    // fewer than w rows were judged.
    std::array<std::optional<double>, kRollingWindows.size()> rollingHitRate;
    // Every judged row, oldest first, when asked for.
    std::vector<BacktestRow> rows;

    friend bool operator==(const BacktestResult&, const BacktestResult&) = default;
};

// The window of a backtest: the `last` newest draws of the series are the judged draws (a count
// beyond what the series can predict is cut to it). A draw is judged only when it and the draws its
// prediction comes from carry consecutive issues, so that the prediction is exactly the one the
// plan table would have shown live; any other draw of the window is skipped and counted. Streaks do
// not run across skipped rows.
struct BacktestWindow
{
    int last = 0;
    bool keepRows = false;
};

// A plan of the free (1..16) or member (1..56) tab with one of that tab's bet codes.
// nullopt for a plan or code the tab does not offer.
[[nodiscard]] std::optional<BacktestResult> backtestPlan(const DrawSeries& series, const QStringList& rules,
                                                         PlanTab tab, int plan, int code, const BacktestWindow& window);

// Three formulas with a custom bet code (1..8). nullopt for a code the custom tab does not offer.
[[nodiscard]] std::optional<BacktestResult> backtestFormulas(FormulaEvaluator& evaluator, const DrawSeries& series,
                                                             const FormulaTriple& formulas, int code,
                                                             const BacktestWindow& window);

struct PlanBacktest
{
    PlanTab tab = PlanTab::Free;
    int plan = 0;
    int code = 0; // the tab's code of the bet type
    BacktestResult result;
    // A saved algorithm's name and "F1|F2|F3" formulas (custom rows; `plan` is its place in the list).
    QString name;
    QString formulas;
};

// Every free and member plan that offers the bet type, free plans first, each in plan order, over
// the same window; the plans are shared out over `threads` worker threads (0: one per core).
[[nodiscard]] std::vector<PlanBacktest> backtestAllPlans(const DrawSeries& series, const PlanRules& rules,
                                                         BetType betType, int last, int threads = 0);

class RollingBacktest;

// Every free and member plan offering a bet type, in backtestAllPlans's order, ready to judge one
// more draw: the rules are parsed and the verdict tables built once.
class PlanJudges
{
public:
    PlanJudges(const PlanRules& rules, BetType betType);
    ~PlanJudges();
    PlanJudges(const PlanJudges&) = delete;
    PlanJudges& operator=(const PlanJudges&) = delete;

    // The plans with empty results, in order.
    [[nodiscard]] const std::vector<PlanBacktest>& plans() const;
    // Each plan's rolling backtest over the newest `last` draws of the series, built by judging every
    // draw of the window; the plans are shared out over `threads` worker threads (0: one per core).
    // Asked to stop, it ends at its next step (between plans, or after a few thousand rows), its
    // backtests incomplete. `judgedRows`, when given, counts the rows judged so far.
    [[nodiscard]] std::vector<RollingBacktest> judgeWindow(const DrawSeries& series, int last, int threads = 0,
                                                           std::stop_token stop = {},
                                                           std::atomic<qint64>* judgedRows = nullptr) const;
    // Enters the newest draw of the series, just appended, into each plan's rolling backtest.
    void judgeNewest(const DrawSeries& series, std::vector<RollingBacktest>& backtests) const;

private:
    struct Tables;
    std::unique_ptr<Tables> m_tables;
};

// The hit rate in percent over each run of `window` consecutive judged rows, one value per judged
// row from the window-th on (empty when fewer rows were judged).
[[nodiscard]] std::vector<double> rollingHitRates(const std::vector<BacktestRow>& rows, int window);

// A bet code of a tab, nullopt for a code the tab does not offer.
[[nodiscard]] std::optional<BetType> tabBetType(PlanTab tab, int code);
// The tab's code of a bet type, nullopt when the tab does not offer it.
[[nodiscard]] std::optional<int> tabBetCode(PlanTab tab, BetType betType);

} // namespace tandor28
