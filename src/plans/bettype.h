#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tandor28 {

// What the user bets on, derived from a predicted number. Each prediction tab offers some of these
// under its own numeric codes (the positions of its bet-type buttons).
enum class BetType
{
    Combo,           // "组合"
    Size,            // "大小"
    Parity,          // "单双"
    KillCombo,       // "杀组"
    Kill3N,          // "杀3N"
    Kill4N,          // "杀4N"
    DoubleCombo,     // "双组"
    DoubleItem,      // "双项"
    KillDoubleCombo, // "杀双组"
};

inline constexpr int kFreeBetTypeCount = 5;
inline constexpr int kMemberBetTypeCount = 9;
inline constexpr int kCustomBetTypeCount = 8;

// The bet type behind a tab's code; nullopt for a code the tab does not offer.
// Free plans tab: 1..5. Member plans tab: 1..9. Custom algorithms tab: 1..8 (7 is 杀双组, 8 is 双项).
[[nodiscard]] std::optional<BetType> freeBetType(int code);
[[nodiscard]] std::optional<BetType> memberBetType(int code);
[[nodiscard]] std::optional<BetType> customBetType(int code);

// The button caption of a bet type, e.g. "杀3N".
[[nodiscard]] QString betTypeLabel(BetType betType);

// The captions of a tab's bet-type buttons in code order (index 0 = code 1).
[[nodiscard]] QStringList freeBetTypeLabels();
[[nodiscard]] QStringList memberBetTypeLabels();
[[nodiscard]] QStringList customBetTypeLabels();

} // namespace tandor28
