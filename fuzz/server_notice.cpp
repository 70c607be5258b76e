// Server notice documents.
#include "fuzzcheck.h"

#include "feed/notice.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tandor28;
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ServerNotice notice = parseServerNotice(body);
    // A value ends at the first closing marker after its key, so it never holds that marker.
    FUZZ_CHECK(!notice.latestVersion.contains(QLatin1String("]1")));
    FUZZ_CHECK(!notice.announcement.contains(QLatin1String("]4")));
    FUZZ_CHECK(!notice.updateText.contains(QLatin1String("]5")));
    FUZZ_CHECK(!notice.luckyFeedEndpoint.contains(QLatin1String("]7")));
    const NoticeOutcome expected = body.isEmpty() ? NoticeOutcome::Unreachable
                                   : notice.latestVersion == QLatin1String(kCurrentVersion)
                                       ? NoticeOutcome::GoOn
                                       : NoticeOutcome::UpdateNeeded;
    FUZZ_CHECK(noticeOutcome(body, notice) == expected);
    return 0;
}
