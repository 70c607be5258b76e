#pragma once

#include "lotterylaw.h"

#include "model/draw.h"

#include <QString>

namespace tandor28 {

// The ini key of a lottery in [chance]: lucky28, canada28.
[[nodiscard]] QString chanceKey(LotteryKind kind);

// The scheme a lottery's digits come by: Lucky 28 block, Canada 28 interleave.
[[nodiscard]] ChanceScheme defaultChanceScheme(LotteryKind kind);

struct ChanceSetting
{
    ChanceScheme scheme = ChanceScheme::Uniform;
    QString problem; // why the ini's entry was not used (empty when it was, or when there is none)
};

// The [chance] group of tandor28.ini (lucky28=block|interleave|uniform, same for canada28); a
// missing file or key gives the default, an unreadable entry too, with the reason.
[[nodiscard]] ChanceSetting loadChanceScheme(const QString& iniPath, LotteryKind kind);

} // namespace tandor28
