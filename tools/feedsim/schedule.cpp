#include "schedule.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace tandor28::feedsim {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr int kSecondsPerDay = 86400;

// Lucky 28 draws on the five-minute marks from 09:05 to 23:55; nothing in the night break.
constexpr int kLuckyFirstSecond = 9 * 3600 + 5 * 60;
constexpr int kLuckyStep = 300;
constexpr int kLuckyPerDay = (23 * 3600 + 55 * 60 - kLuckyFirstSecond) / kLuckyStep + 1;

// Canada 28 draws every 210 s counted from local midnight, so the last gap of a day is shorter.
constexpr int kCanadaStep = 210;
constexpr int kCanadaPerDay = (kSecondsPerDay - 1) / kCanadaStep + 1;

// Issue numbers count draws from a fixed day, so a draw keeps its issue across requests and restarts.
constexpr sys_days kIssueEpoch = std::chrono::year{2020} / 1 / 1;
constexpr std::int64_t kLuckyIssueBase = 3000000;
constexpr std::int64_t kCanadaIssueBase = 2000000;

std::uint64_t splitMix(std::uint64_t& state)
{
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

DrawRecord makeRecord(Lottery lottery, std::int64_t issue, LocalTime time, std::uint64_t seed)
{
    std::uint64_t state = seed * 0xD1B54A32D192ED03ULL;
    state ^= lottery == Lottery::Lucky28 ? 0x4C55434B59ULL : 0x43414E414441ULL;
    state ^= static_cast<std::uint64_t>(issue) * 0xA24BAED4963EE407ULL;
    splitMix(state);
    DrawRecord record;
    record.issue = issue;
    record.time = time;
    if (lottery == Lottery::Lucky28) {
        record.d1 = static_cast<int>(splitMix(state) % 10);
        record.d2 = static_cast<int>(splitMix(state) % 10);
        record.d3 = static_cast<int>(splitMix(state) % 10);
        return record;
    }
    // Canada 28 comes from a Keno draw: 20 of 1..80 by a partial shuffle, the digits by the
    // interleave scheme (sorted positions 2,5,..,17 / 3,6,..,18 / 4,7,..,19, each sum modulo 10).
    std::array<int, 80> pool{};
    for (int i = 0; i < 80; ++i)
        pool[static_cast<std::size_t>(i)] = i + 1;
    for (std::size_t i = 0; i < record.keno.size(); ++i) {
        const std::size_t j = i + static_cast<std::size_t>(splitMix(state) % (80 - i));
        std::swap(pool[i], pool[j]);
        record.keno[i] = pool[i];
    }
    std::array<int, 20> sorted = record.keno;
    std::sort(sorted.begin(), sorted.end());
    int sums[3] = {0, 0, 0};
    for (int digit = 0; digit < 3; ++digit) {
        for (int k = 0; k < 6; ++k)
            sums[digit] += sorted[static_cast<std::size_t>(1 + digit + 3 * k)];
    }
    record.d1 = sums[0] % 10;
    record.d2 = sums[1] % 10;
    record.d3 = sums[2] % 10;
    return record;
}

std::int64_t dayIndex(sys_days day)
{
    return (day - kIssueEpoch).count();
}

} // namespace

int canadaDrawsThisYear(LocalTime now)
{
    const std::chrono::year_month_day date{now.day};
    const sys_days newYear{date.year() / 1 / 1};
    return static_cast<int>((now.day - newYear).count()) * kCanadaPerDay + now.secondOfDay / kCanadaStep + 1;
}

LocalTime localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    LocalTime t;
    t.day = sys_days{std::chrono::year{parts.tm_year + 1900} / (parts.tm_mon + 1) / parts.tm_mday};
    // A leap second reads as the last second of its minute.
    t.secondOfDay = parts.tm_hour * 3600 + parts.tm_min * 60 + std::min(parts.tm_sec, 59);
    return t;
}

LocalTime shiftSeconds(LocalTime t, std::int64_t seconds)
{
    std::int64_t total = t.secondOfDay + seconds;
    std::int64_t dayShift = total / kSecondsPerDay;
    total %= kSecondsPerDay;
    if (total < 0) {
        total += kSecondsPerDay;
        --dayShift;
    }
    return LocalTime{t.day + days{dayShift}, static_cast<int>(total)};
}

std::optional<LocalTime> parseLocalTime(const std::string& text)
{
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    char tail = 0;
    const int fields =
        std::sscanf(text.c_str(), "%4d-%2u-%2u %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &tail);
    if (fields != 5 && fields != 6) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    if (!date.ok() || year < 1970 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return std::nullopt;
    }
    return LocalTime{sys_days{date}, hour * 3600 + minute * 60 + second};
}

std::string formatLocalTime(LocalTime t)
{
    const std::chrono::year_month_day date{t.day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), t.secondOfDay / 3600,
                  t.secondOfDay / 60 % 60, t.secondOfDay % 60);
    return text;
}

std::vector<DrawRecord> recentDraws(Lottery lottery, LocalTime now, int count, std::uint64_t seed)
{
    std::vector<DrawRecord> records;
    if (count <= 0) {
        return records;
    }
    records.reserve(static_cast<std::size_t>(count));
    sys_days day = now.day;
    if (lottery == Lottery::Lucky28) {
        int slot = 0;
        if (now.secondOfDay < kLuckyFirstSecond) {
            day -= days{1};
            slot = kLuckyPerDay - 1;
        } else {
            slot = std::min(kLuckyPerDay - 1, (now.secondOfDay - kLuckyFirstSecond) / kLuckyStep);
        }
        while (static_cast<int>(records.size()) < count) {
            const std::int64_t issue = kLuckyIssueBase + dayIndex(day) * kLuckyPerDay + slot;
            records.push_back(makeRecord(lottery, issue, {day, kLuckyFirstSecond + slot * kLuckyStep}, seed));
            if (--slot < 0) {
                day -= days{1};
                slot = kLuckyPerDay - 1;
            }
        }
    } else {
        int slot = now.secondOfDay / kCanadaStep;
        while (static_cast<int>(records.size()) < count) {
            const std::int64_t issue = kCanadaIssueBase + dayIndex(day) * kCanadaPerDay + slot;
            records.push_back(makeRecord(lottery, issue, {day, slot * kCanadaStep}, seed));
            if (--slot < 0) {
                day -= days{1};
                slot = kCanadaPerDay - 1;
            }
        }
    }
    return records;
}

} // namespace tandor28::feedsim
