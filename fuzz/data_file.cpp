// Saved-algorithms data file contents.
#include "fuzzcheck.h"

#include "custom/algorithmstore.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tandor28;
    const QByteArray content =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const DecodedStore decoded = decodeStore(content);
    if (decoded.unreadable) {
        FUZZ_CHECK(decoded.algorithms.empty());
        return 0;
    }
    // What was read is written back as a file that reads back; after one pass the file is stable.
    const QByteArray written = encodeStore(decoded.algorithms);
    FUZZ_CHECK(written.size() % 16 == 0);
    const DecodedStore again = decodeStore(written);
    FUZZ_CHECK(!again.unreadable);
    FUZZ_CHECK(encodeStore(again.algorithms) == written);
    return 0;
}
