#include "kenoimport.h"

#include <functional>

namespace tandor28 {

namespace {

// The sorted numbers as the archive keeps them, "3 7 12 ...", written into `text`; its length.
int numbersText(const std::array<int, kKenoNumbers>& numbers, char* text)
{
    int at = 0;
    for (const int n : numbers) {
        if (at > 0)
            text[at++] = ' ';
        if (n >= 10)
            text[at++] = static_cast<char>('0' + n / 10);
        text[at++] = static_cast<char>('0' + n % 10);
    }
    return at;
}

KenoImport import(DrawArchive& archive, LotteryKind lottery, const QString& source,
                  const std::function<KenoCsvTally(const KenoCsvReader::Sink&)>& read)
{
    KenoImport result;
    const std::unique_ptr<ArchiveWriter> writer = archive.writer(lottery, source);
    char text[3 * kKenoNumbers];
    result.read = read([&writer, &text](const KenoCsvDraw& draw) {
        const int length = numbersText(draw.numbers, text);
        return writer->add(ArchiveRecord{draw.issue, draw.drawnUtc, draw.digits[0], draw.digits[1], draw.digits[2],
                                         QByteArrayView(text, length)});
    });
    // A body that turned out damaged at its end (a zip entry whose CRC fails) keeps none of its
    // draws: the writer is dropped without a commit, which rolls them back.
    if (result.read.draws > 0 && !result.read.problem.isEmpty())
        result.add.error = QStringLiteral("nothing was kept: ") + result.read.problem;
    else if (result.read.draws > 0)
        result.add = writer->commit();
    return result;
}

} // namespace

KenoImport importKenoCsvFile(DrawArchive& archive, LotteryKind lottery, const QString& path, KenoScheme scheme,
                             const QString& source)
{
    return import(archive, lottery, source,
                  [&](const KenoCsvReader::Sink& sink) { return streamKenoCsvFile(path, scheme, sink); });
}

KenoImport importKenoCsvBody(DrawArchive& archive, LotteryKind lottery, const QByteArray& body, KenoScheme scheme,
                             const QString& source)
{
    return import(archive, lottery, source,
                  [&](const KenoCsvReader::Sink& sink) { return streamKenoCsvBody(body, scheme, sink); });
}

} // namespace tandor28
