// The cookie merge, the request header lines and the response header lines. The input is split at
// its first zero byte: the part before is the old text or the header text, the part after the new one.
#include "fuzzcheck.h"

#include "feed/http.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

bool isHeaderNameByte(char c)
{
    return static_cast<unsigned char>(c) > ' ' && static_cast<unsigned char>(c) < 127;
}

void checkMerged(const QString& merged)
{
    FUZZ_CHECK(merged == merged.trimmed());
    if (merged.isEmpty())
        return;
    for (const QString& entry : merged.split(QStringLiteral("; "))) {
        FUZZ_CHECK(!entry.endsWith(u'='));
        FUZZ_CHECK(!entry.endsWith(QLatin1String("=deleted")));
    }
    // Merging nothing new changes nothing.
    FUZZ_CHECK(tandor28::mergeCookies(merged, QString()) == merged);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tandor28;
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype zero = input.indexOf('\0');
    const QString first = QString::fromUtf8(zero < 0 ? input : input.left(zero));
    const QString second = zero < 0 ? QString() : QString::fromUtf8(input.mid(zero + 1));

    checkMerged(mergeCookies(first, second));

    for (const auto& [name, value] : requestHeaderPairs(first)) {
        FUZZ_CHECK(!name.isEmpty());
        FUZZ_CHECK(std::all_of(name.begin(), name.end(), isHeaderNameByte));
        FUZZ_CHECK(!value.contains('\r') && !value.contains('\n'));
    }

    const ReceivedHeaders received = readResponseHeaders(first.split(QStringLiteral("\r\n")));
    FUZZ_CHECK(received.cookies.isEmpty() || received.cookies.endsWith(QLatin1String("; ")));
    checkMerged(mergeCookies(second, received.cookies));
    return 0;
}
