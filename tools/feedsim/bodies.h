#pragma once

#include "schedule.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tandor28::feedsim {

// A feed document and where each of its records starts, so a body can be cut inside a record.
struct FeedBody
{
    std::string bytes;
    std::vector<std::size_t> recordStarts;
};

// Lucky 28: one line per draw, "issue-YYYY-MM-DD HH:MM:SS-a + b + c = sum" and CR LF.
[[nodiscard]] FeedBody luckyBody(const std::vector<DrawRecord>& records);
// Canada 28: a JSON array of {"issue":..,"date":"YYYY-MM-DD HH:MM","c1":..,"c2":..,"c3":..,"c4":sum}.
[[nodiscard]] FeedBody canadaBody(const std::vector<DrawRecord>& records);
// The forms the Keno bodies take: the plainest, or the other forms the results service has been
// seen to publish.
enum class KenoForms
{
    Plain,
    Varied,
};

// Keno JSON as the results service gives it: [{"drawNbr":..,"drawDate":"Jul 31, 2026","drawTime":"03:56:30 AM",
// "drawNbrs":[20 numbers],"drawBonus":1.0}], times on Vancouver's clock. Varied: the list under
// "draws" in an object, the draw number and the numbers as texts, "Jul 01, 2026", more members.
[[nodiscard]] FeedBody kenoJsonBody(const std::vector<DrawRecord>& records, KenoForms forms = KenoForms::Plain);
// The yearly Keno CSV, oldest draw first, zipped as KenoCurrentYear.csv; empty when zipping fails.
// Varied: a byte-order mark, a DRAW TIME column, rows of another game, a README.txt before it.
[[nodiscard]] std::string kenoCsvZip(const std::vector<DrawRecord>& newestFirst, KenoForms forms = KenoForms::Plain);
// Where a cut body stops: halfway through the middle record (or halfway through a body without records).
[[nodiscard]] std::size_t cutPosition(const FeedBody& body);
// Fills the body up to `size` bytes with lines of blanks, which match no record; a longer body stays.
void padBody(FeedBody& body, std::size_t size);

struct NoticeContent
{
    std::string version;
    int port = 0;
    bool withLuckyEndpoint = true;
};

// The notice document as GBK bytes.
[[nodiscard]] std::string noticeBody(const NoticeContent& content);
// Bytes that match neither feed's records: no CR, no double quote, no "=", and some NUL bytes.
[[nodiscard]] std::string garbageBody(std::uint64_t seed);
[[nodiscard]] std::string errorPage(int status);

} // namespace tandor28::feedsim
