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

// The frame a window of the layout's size `frame` opens at on a screen whose available area (the
// screen less its panels) is `available`: the layout's size where it fits, else no larger than
// the available area, so that no part of the window (the status bar least of all) lies off screen.
[[nodiscard]] constexpr QSize fittedFrameSize(QSize frame, QSize available)
{
    if (available.isEmpty())
        return frame;
    return {frame.width() < available.width() ? frame.width() : available.width(),
            frame.height() < available.height() ? frame.height() : available.height()};
}

} // namespace tandor28
