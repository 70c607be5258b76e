// Lucky 28 plain-text feed bodies.
#include "feedcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkFeed(tandor28::LotteryKind::Lucky28, data, size);
    return 0;
}
