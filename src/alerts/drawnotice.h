#pragma once

#include "model/draw.h"

#include <QPoint>
#include <QSize>
#include <QString>

namespace tandor28 {

// The draw notification popup: a 325 x 159 window that counts down once a second and closes itself.
inline constexpr QSize kDrawPopupSize{325, 159};
inline constexpr int kDrawPopupCloseTick = 11;
inline constexpr int kDrawPopupTickMs = 1000;

// The issue label before the first refresh; also the popup's initial issue label.
[[nodiscard]] QString initialIssueLabelText();

// The issue inside a headline title such as "幸运28 第123期": the text between "第" and the next
// "期", or the empty text when either marker is missing.
[[nodiscard]] QString issueOfTitle(const QString& title);
// True when the newest draw's issue differs from the issue the headline showed before the refresh.
// An empty history has no newest draw: never new.
[[nodiscard]] bool isNewDraw(const QString& oldIssue, const DrawHistory& history);

// "3 + 5 + 7 = 15 大单": the newest draw's result text, a space and its combination.
[[nodiscard]] QString drawPopupDrawText(const Draw& newest);
// "历史：" and the two-digit sums of positions 10..1 (oldest first), each followed by a space.
[[nodiscard]] QString drawPopupHistoryText(const DrawHistory& history);
// The title after `tick` seconds: "  Tandor28开奖提示:  双击关闭 " + (10 - tick) + "s后自动关闭".
[[nodiscard]] QString drawPopupTitle(int tick);
// The popup is closed once the tick counter reaches 11.
[[nodiscard]] constexpr bool drawPopupClosesAt(int tick)
{
    return tick >= kDrawPopupCloseTick;
}
// Top-left corner of the popup: 20 pixels from the right edge and 80 from the bottom edge.
[[nodiscard]] QPoint drawPopupPosition(QSize screen);

// The texts a freshly opened popup shows.
struct DrawPopupTexts
{
    QString title;
    QString issue;
    QString draw;
    QString history;
};
[[nodiscard]] DrawPopupTexts drawPopupTexts(const QString& issueLabel, const DrawHistory& history);

// Where the alarm's balloon tip stands: at the right edge of the screen, 80 pixels above the bottom.
[[nodiscard]] QPoint balloonPosition(QSize screen);

} // namespace tandor28
