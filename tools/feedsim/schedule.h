#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tandor28::feedsim {

enum class Lottery
{
    Lucky28,
    Canada28,
};

// A moment on the local wall clock: the civil day and the second within it.
struct LocalTime
{
    std::chrono::sys_days day;
    int secondOfDay = 0;
};

struct DrawRecord
{
    std::int64_t issue = 0;
    LocalTime time;
    int d1 = 0;
    int d2 = 0;
    int d3 = 0;
    // Canada 28: the Keno draw the digits come from, 20 distinct numbers 1..80 in drawing order.
    std::array<int, 20> keno{};
};

[[nodiscard]] LocalTime localNow();
// Moves a wall-clock moment by whole seconds, carrying into neighbouring days.
[[nodiscard]] LocalTime shiftSeconds(LocalTime t, std::int64_t seconds);
// Reads "YYYY-MM-DD HH:MM:SS" (the seconds may be left out).
[[nodiscard]] std::optional<LocalTime> parseLocalTime(const std::string& text);
[[nodiscard]] std::string formatLocalTime(LocalTime t);

// How many Canada 28 draws took place from this year's 1 January up to `now`.
[[nodiscard]] int canadaDrawsThisYear(LocalTime now);

// The draws of the lottery that took place at or before `now`, newest first, `count` of them.
// Issues and digits depend only on the draw's date and time and on the seed.
[[nodiscard]] std::vector<DrawRecord> recentDraws(Lottery lottery, LocalTime now, int count, std::uint64_t seed);

} // namespace tandor28::feedsim
