// Keno results as the results service sends them (JSON).
#include "kenocheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkKeno(tandor28::parseKenoJson, body);
    return 0;
}
