#pragma once

#include "model/dateddraw.h"

#include <QDateTime>

#include <vector>

// Draws first..last (issues), 210 s apart from a fixed local moment, digits from the issue: d1 the
// last digit, d2 the tens digit, d3 the hundreds digit.
inline std::vector<tandor28::DatedDraw> archiveDraws(qint64 first, qint64 last)
{
    std::vector<tandor28::DatedDraw> draws;
    const QDateTime start(QDate(2026, 7, 31), QTime(0, 0));
    for (qint64 issue = first; issue <= last; ++issue) {
        draws.push_back(tandor28::DatedDraw{issue,
                                            start.addSecs((issue - first) * 210),
                                            static_cast<int>(issue % 10),
                                            static_cast<int>(issue / 10 % 10),
                                            static_cast<int>(issue / 100 % 10),
                                            {}});
    }
    return draws;
}
