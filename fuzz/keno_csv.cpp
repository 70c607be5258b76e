// Keno yearly results: the published body, a zip archive holding the CSV or the CSV text itself.
#include "kenocheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkKeno(tandor28::parseKenoCsvBody, body);
    return 0;
}
