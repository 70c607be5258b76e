#pragma once

#include <QSize>

namespace tandor28 {

// The window sizes of the layout are outer sizes, frame included, as a desktop with a usual title
// bar draws them: 31 px above the client area (title bar and top border) and a 3 px border on the
// other sides. A window sizes its client area so that its frame comes out at the size of the layout.
inline constexpr int kTitleBarHeight = 31;
inline constexpr int kFrameBorder = 3;

[[nodiscard]] constexpr QSize clientSizeForFrame(QSize frame)
{
    return {frame.width() - 2 * kFrameBorder, frame.height() - kTitleBarHeight - kFrameBorder};
}

} // namespace tandor28
