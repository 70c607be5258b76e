#pragma once

#include <QString>

#include <vector>

namespace tandor28 {

// The position in the lottery chooser of the main window.
enum class LotteryKind
{
    Lucky28 = 0,
    Canada28Night = 1,
};

// Number of draws shown in the tables; the history keeps ten more so that the oldest shown rows
// still have earlier draws to predict from.
inline constexpr int kPeriodCount = 100;
inline constexpr int kHistoryExtra = 10;
inline constexpr int kHistoryLength = kPeriodCount + kHistoryExtra;

// "幸运28" / "加拿大28", as the headline and the popup name the lottery.
[[nodiscard]] QString lotteryShortName(LotteryKind kind);
// "PC蛋蛋幸运28" / "加拿大夜场28", as the lottery chooser lists them.
[[nodiscard]] QString lotteryChooserName(LotteryKind kind);

// One result. A default-constructed Draw is the empty draw that stands where no record came: it has
// no issue, shows blank, and is never judged, counted or used as a source of a prediction.
struct Draw
{
    QString issue;
    QString time; // HH:MM
    int d1 = 0;
    int d2 = 0;
    int d3 = 0;
    int sum = 0;
    QString resultText;

    // The one test of an empty position: a draw without an issue never happened.
    [[nodiscard]] bool isEmpty() const { return issue.isEmpty(); }

    friend bool operator==(const Draw&, const Draw&) = default;
};

// Builds a Draw from the feed's texts: the digit texts are read by their leading digits (an empty or
// non-numeric text gives 0); the sum and the result text are computed from the digits.
[[nodiscard]] Draw makeDraw(const QString& issue, const QString& time, QStringView d1, QStringView d2, QStringView d3);

// The draws of the chosen lottery, position 1 = newest. Positions are 1-based everywhere; a position
// outside 1..size() reads as the empty draw, so no consumer can read outside the history.
class DrawHistory
{
public:
    DrawHistory() = default;
    explicit DrawHistory(std::vector<Draw> draws) : m_draws(std::move(draws)) {}

    [[nodiscard]] const Draw& at(int position) const;
    [[nodiscard]] int size() const { return static_cast<int>(m_draws.size()); }
    [[nodiscard]] bool isEmpty() const { return m_draws.empty(); }
    void append(Draw draw) { m_draws.push_back(std::move(draw)); }
    void clear() { m_draws.clear(); }
    [[nodiscard]] const std::vector<Draw>& draws() const { return m_draws; }
    // Whether positions first..last all hold a draw (none is empty and none lies outside).
    [[nodiscard]] bool holdsAll(int first, int last) const;
    // How many of positions 1..last hold a draw.
    [[nodiscard]] int heldCount(int last) const;

    friend bool operator==(const DrawHistory&, const DrawHistory&) = default;

private:
    std::vector<Draw> m_draws;
};

} // namespace tandor28
