#pragma once

#include "custom/algorithmlist.h"

#include <QString>

#include <vector>

namespace tandor28::durability {

// The two lists the data-file writer alternates between, of different lengths so that a half-written
// file can never pass for either.
inline std::vector<CustomAlgorithm> writerList(bool second)
{
    std::vector<CustomAlgorithm> list;
    const int count = second ? 260 : 240;
    for (int i = 0; i < count; ++i) {
        CustomAlgorithm item;
        item.name = (second ? QStringLiteral("乙%1") : QStringLiteral("甲%1")).arg(i);
        item.formulas = QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]|[%1]*[9]+[5]/[2]|[10]-[3]").arg(i % 18 + 1);
        list.push_back(std::move(item));
    }
    return list;
}

} // namespace tandor28::durability
