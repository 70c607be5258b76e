#pragma once

#include "model/draw.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

namespace tandor28 {

// The categories the streak alarm watches, in the order its report lists them.
enum class StreakCategory
{
    Size = 0,   // 大小
    Parity,     // 单双
    Combo,      // 组合
    MiddleEdge, // 中边
    Mod3,       // 三余
    Mod4,       // 四余
    Mod5,       // 五余
    Pair,       // 对子
};
inline constexpr int kStreakCategoryCount = 8;

// Only positions 2..21 are examined after the newest draw, so no run is longer than this.
inline constexpr int kMaxRunLength = 21;

// "大小", "单双", "组合", "中边", "三余", "四余", "五余", "对子": the captions of the watch boxes.
[[nodiscard]] QString streakCategoryName(StreakCategory category);
// The category whose caption is name; nullopt for any other text.
[[nodiscard]] std::optional<StreakCategory> streakCategoryFromName(QStringView name);

// The settings of the "火车报警" tab, read afresh for every evaluation.
struct StreakAlarmSettings
{
    QString thresholdText;       // the "连开≥：" box; read by its leading integer, non-numeric is 0
    bool sound = true;           // "提示音"
    bool popup = true;           // "弹窗": has no effect on the evaluation
    bool balloon = true;         // "气泡提示"
    bool typeOneSelected = true; // "统计类型①" rather than "统计类型②（待更新）"
    std::array<bool, kStreakCategoryCount> watched{true, true, true, true, true, true, true, true};

    [[nodiscard]] int threshold() const;
    [[nodiscard]] bool isWatched(StreakCategory category) const { return watched[static_cast<std::size_t>(category)]; }
    void setWatched(StreakCategory category, bool on) { watched[static_cast<std::size_t>(category)] = on; }
};

// The value a draw shows in a category: "大", "单", "小双", "中", "3N2", "4N0", "5N4", or "对子"
// when the draw has exactly two equal digits. A draw without a pair has no 对子 value.
[[nodiscard]] std::optional<QString> streakValue(StreakCategory category, const Draw& draw);

// How many draws in a row, from the newest on, share the newest draw's value: 1 plus the draws at
// positions 2..21 up to the first different one. For 对子 a triple is skipped (neither continues nor
// ends the run). 0 when the newest draw has no value in the category or the history is empty; a
// history shorter than 21 positions ends the walk at its last position.
[[nodiscard]] int streakRunLength(StreakCategory category, const DrawHistory& history);

struct StreakRun
{
    StreakCategory category = StreakCategory::Size;
    QString value;
    int length = 0;
};

// "Tandor火车报警：" and two CR LF pairs.
[[nodiscard]] QString streakAlarmHeader();
// "【大】 已连开：【5】期 " and two CR LF pairs.
[[nodiscard]] QString streakAlarmLine(const StreakRun& run);
// The alarm window's text before the first evaluation.
[[nodiscard]] QString alarmWindowInitialText();

// What one evaluation tells the alarm window and the caller.
struct StreakAlarmResult
{
    std::vector<StreakRun> runs; // the reported runs, in category order
    QString report;              // the lines of the reported runs, without header
    QString text;                // header + report: the alarm window's label
    bool playSound = false;      // "提示音" ticked and something reported
    bool showBalloon = false;    // "气泡提示" ticked and something reported
    QString balloonText;         // the report with every CR LF removed
};

// Evaluates the alarm over the history; an empty history (no fetch has succeeded yet) reports
// nothing. With "统计类型②（待更新）" selected or an empty threshold nothing is evaluated and
// nullopt comes back: the alarm window keeps its text and nothing sounds.
[[nodiscard]] std::optional<StreakAlarmResult> evaluateStreakAlarm(const DrawHistory& history,
                                                                   const StreakAlarmSettings& settings);

} // namespace tandor28
