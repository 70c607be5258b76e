#pragma once

#include "session.h"

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <vector>

namespace tandor28 {

// One bet of a possible future: a hit with probability `chance`, paying `odds` per 1 staked (the stake
// included).
struct ChanceBet
{
    double chance = 0;
    double odds = 0;
};

// The quantiles of the final balance a simulation reports.
inline constexpr std::array<double, 5> kFinalQuantiles = {0.05, 0.25, 0.5, 0.75, 0.95};

struct SimulationSettings
{
    qint64 sessions = 1000;
    std::uint64_t seed = 1;
    int threads = 0;   // 0: one per core
    int keptPaths = 0; // the balances of the first this many sessions are kept
};

struct SimulationResult
{
    bool cancelled = false; // the stop token was triggered; nothing else is set
    qint64 sessions = 0;
    // By kFinalQuantiles, interpolated between the sorted final balances (the k-th of n at (k-1)/(n-1)).
    std::array<double, kFinalQuantiles.size()> finalQuantiles{};
    std::array<double, kStopReasonCount> stopShare{}; // by StopReason, the share of the sessions
    double meanBets = 0;
    double meanFinal = 0;
    // All gains over all stakes of all sessions together, and its standard error (the delta method
    // over the sessions' gains and stakes).
    double returnPerStaked = 0;
    double returnStandardError = 0;
    std::vector<double> finals;             // every session's final balance, in session order
    std::vector<std::vector<double>> paths; // the balances after every bet of the kept sessions

    [[nodiscard]] double share(StopReason reason) const { return stopShare[std::size_t(reason)]; }
};

// Called from the worker threads, one call at a time, as sessions are done.
using SimulationProgress = std::function<void(qint64 done, qint64 total)>;

// Plays `settings.sessions` sessions of the plan over `bets`, each bet a hit with its chance. Session
// k draws from its own random stream, seeded from the seed and k alone, so the result does not depend
// on the number of threads. Blocks until done or until `stop` is triggered.
[[nodiscard]] SimulationResult simulateSessions(const SessionPlan& plan, std::span<const ChanceBet> bets,
                                                const SimulationSettings& settings, std::stop_token stop = {},
                                                const SimulationProgress& progress = {});

// The q-quantile of values (sorted in place), interpolated as for finalQuantiles; 0 for none.
[[nodiscard]] double quantileOf(std::vector<double>& values, double q);

} // namespace tandor28
