#pragma once

#include "model/dateddraw.h"
#include "model/draw.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The fixture files under tests/data and the small readers the tests compare against.
namespace tandor28::testsupport {

// The path of a file under tests/data, e.g. "feeds/lucky28_120.txt".
[[nodiscard]] QString fixturePath(const QString& relative);
// A feed fixture's path: feedPath("canada28_5.json") is tests/data/feeds/canada28_5.json.
[[nodiscard]] QString feedPath(const char* name);
// A feed fixture's bytes. A missing fixture stops the run: a test without its data would prove nothing.
[[nodiscard]] QByteArray feedBytes(const char* name);
// A feed fixture read as the feed parser reads it; empty when it does not parse.
[[nodiscard]] DrawHistory feedHistory(LotteryKind kind, const char* name);

// "issue time d1d2d3" a draw (digits joined by `digitSeparator`), for compact comparisons;
// `timeFormat` as QDateTime::toString takes it.
[[nodiscard]] QStringList datedDrawLines(const std::vector<DatedDraw>& draws,
                                         const QString& timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss"),
                                         const QString& digitSeparator = QString());

} // namespace tandor28::testsupport
