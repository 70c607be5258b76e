// Canada 28 JSON feed bodies.
#include "feedcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkFeed(tandor28::LotteryKind::Canada28Night, data, size);
    return 0;
}
