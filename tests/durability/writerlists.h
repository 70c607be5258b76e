#pragma once

#include "custom/algorithmlist.h"
#include "model/dateddraw.h"

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

// The archive writer adds batches of consecutive issues of this size, each in one transaction, so a
// kill can only leave whole batches behind.
inline constexpr int kArchiveBatch = 400;
inline constexpr qint64 kArchiveFirstIssue = 3000000;

// The draw the archive writer stores for an issue: a kept draw can be checked against it.
inline DatedDraw archiveDraw(qint64 issue)
{
    const QDateTime first(QDate(2026, 1, 1), QTime(9, 5));
    const auto index = issue - kArchiveFirstIssue;
    return {issue, first.addSecs(index * 300), int(issue % 10), int(issue / 10 % 10), int(issue / 100 % 10), {}};
}

} // namespace tandor28::durability
