#pragma once

namespace tandor28 {

// Every text control uses "微软雅黑" at 12 pixels; where that face is missing an installed CJK sans
// stands in, so the Chinese captions always render.
void applyApplicationFont();

} // namespace tandor28
