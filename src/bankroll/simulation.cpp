#include "simulation.h"

#include "sessionengine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>

namespace tandor28 {

namespace {

// SplitMix64: a fast generator that passes the usual batteries; one per session.
class SessionStream
{
public:
    SessionStream(std::uint64_t seed, std::uint64_t session) : m_state(mix(seed ^ mix(session + kGolden))) {}

    std::uint64_t next()
    {
        m_state += kGolden;
        return mix(m_state);
    }

private:
    static constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;

    static std::uint64_t mix(std::uint64_t z)
    {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    std::uint64_t m_state;
};

// A bet is a hit when the stream's next word is below its threshold: chance x 2^64.
struct ThresholdBet
{
    std::uint64_t threshold = 0;
    bool always = false; // chance 1
    double odds = 0;
};

std::vector<ThresholdBet> thresholdBets(std::span<const ChanceBet> bets)
{
    std::vector<ThresholdBet> out;
    out.reserve(bets.size());
    for (const ChanceBet& bet : bets) {
        ThresholdBet t;
        t.odds = bet.odds;
        const double chance = std::clamp(std::isfinite(bet.chance) ? bet.chance : 0.0, 0.0, 1.0);
        t.always = chance >= 1;
        if (!t.always)
            t.threshold = std::uint64_t(std::ldexp(chance, 64));
        out.push_back(t);
    }
    return out;
}

// What the aggregation needs of one session.
struct SessionOutcome
{
    double final = 0;
    double staked = 0;
    int bets = 0;
    StopReason stoppedBy = StopReason::End;
};

constexpr qint64 kChunk = 64;

} // namespace

double quantileOf(std::vector<double>& values, double q)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double h = (double(values.size()) - 1) * std::clamp(q, 0.0, 1.0);
    const std::size_t below = std::size_t(std::floor(h));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (h - double(below)) * (values[above] - values[below]);
}

SimulationResult simulateSessions(const SessionPlan& plan, std::span<const ChanceBet> bets,
                                  const SimulationSettings& settings, std::stop_token stop,
                                  const SimulationProgress& progress)
{
    const qint64 total = std::max<qint64>(0, settings.sessions);
    const std::vector<ThresholdBet> chances = thresholdBets(bets);
    const int count = int(std::min<std::size_t>(chances.size(), std::size_t(std::numeric_limits<int>::max())));
    const qint64 kept = std::clamp<qint64>(settings.keptPaths, 0, total);

    std::vector<SessionOutcome> outcomes(static_cast<std::size_t>(total));
    std::vector<std::vector<double>> paths(static_cast<std::size_t>(kept));
    std::atomic<qint64> nextChunk{0};
    std::atomic<qint64> done{0};
    std::mutex progressMutex;

    const auto work = [&] {
        for (;;) {
            if (stop.stop_requested())
                return;
            const qint64 first = nextChunk.fetch_add(kChunk);
            if (first >= total)
                return;
            const qint64 last = std::min(total, first + kChunk);
            for (qint64 k = first; k < last; ++k) {
                SessionStream stream(settings.seed, std::uint64_t(k));
                std::vector<double>* path = k < kept ? &paths[std::size_t(k)] : nullptr;
                const bankrollengine::Tally tally = bankrollengine::runSession(
                    plan, count,
                    [&](int i) {
                        const ThresholdBet& bet = chances[std::size_t(i)];
                        return bet.always || stream.next() < bet.threshold;
                    },
                    [&](int i) { return chances[std::size_t(i)].odds; },
                    [path](int, double balance) {
                        if (path)
                            path->push_back(balance);
                    });
                outcomes[std::size_t(k)] = {tally.balance, tally.staked, tally.bets, tally.stoppedBy};
            }
            done.fetch_add(last - first);
            if (progress) {
                const std::lock_guard lock(progressMutex);
                progress(done.load(), total);
            }
        }
    };

    const int threads =
        settings.threads > 0 ? settings.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    {
        std::vector<std::jthread> workers;
        for (int t = 1; t < threads && qint64(t) * kChunk < total; ++t)
            workers.emplace_back(work);
        work();
    }

    SimulationResult result;
    if (stop.stop_requested() && done.load() < total) {
        result.cancelled = true;
        return result;
    }
    result.sessions = total;
    if (total == 0)
        return result;

    // Summed in session order, so that the figures are the same for any number of threads.
    double gains = 0;
    double staked = 0;
    double betCount = 0;
    std::array<qint64, kStopReasonCount> stops{};
    result.finals.reserve(std::size_t(total));
    for (const SessionOutcome& outcome : outcomes) {
        gains += outcome.final - plan.balance;
        staked += outcome.staked;
        betCount += outcome.bets;
        ++stops[std::size_t(outcome.stoppedBy)];
        result.finals.push_back(outcome.final);
    }
    const double n = double(total);
    result.meanBets = betCount / n;
    result.meanFinal = plan.balance + gains / n;
    for (std::size_t r = 0; r < stops.size(); ++r)
        result.stopShare[r] = double(stops[r]) / n;
    if (staked > 0) {
        result.returnPerStaked = gains / staked;
        if (total > 1) {
            double spread = 0;
            for (const SessionOutcome& outcome : outcomes) {
                const double residual = (outcome.final - plan.balance) - result.returnPerStaked * outcome.staked;
                spread += residual * residual;
            }
            const double meanStaked = staked / n;
            result.returnStandardError = std::sqrt(spread / (n * (n - 1))) / meanStaked;
        }
    }
    std::vector<double> sorted = result.finals;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t q = 0; q < kFinalQuantiles.size(); ++q)
        result.finalQuantiles[q] = quantileOf(sorted, kFinalQuantiles[q]);
    result.paths = std::move(paths);
    return result;
}

} // namespace tandor28
