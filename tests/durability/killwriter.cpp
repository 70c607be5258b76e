// A writer that the kill test stops with SIGKILL at random moments: it replaces a file over and over,
// alternating between two known contents, prints a line after each save and never ends by itself.
//
//   killwriter datafile PATH   saves the two lists of writerlists.h into the saved-algorithms file
//   killwriter archive PATH    adds the next batch of draws of writerlists.h to the draw archive
#include "writerlists.h"

#include "archive/drawarchive.h"
#include "custom/algorithmstore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace tandor28;

namespace {

int writeDataFile(const QString& path)
{
    AlgorithmStore store{path};
    const std::vector<CustomAlgorithm> lists[2] = {durability::writerList(false), durability::writerList(true)};
    for (unsigned n = 1;; ++n) {
        if (!saveAlgorithms(store, lists[n % 2])) {
            std::fputs("killwriter: a save failed\n", stderr);
            return 1;
        }
        std::printf("saved %u\n", n);
        std::fflush(stdout);
    }
}

int writeArchive(const QString& path)
{
    const ArchiveOpening opening = DrawArchive::open(path);
    if (!opening.archive || !opening.problem.isEmpty()) {
        std::fprintf(stderr, "killwriter: the archive did not open cleanly: %s\n", qPrintable(opening.problem));
        return 1;
    }
    DrawArchive& archive = *opening.archive;
    for (unsigned n = 1;; ++n) {
        const qint64 next = archive.newestIssue(LotteryKind::Lucky28).value_or(durability::kArchiveFirstIssue - 1) + 1;
        std::vector<DatedDraw> batch;
        for (qint64 issue = next; issue < next + durability::kArchiveBatch; ++issue)
            batch.push_back(durability::archiveDraw(issue));
        const ArchiveAdd add = archive.addDraws(LotteryKind::Lucky28, batch, QStringLiteral("killwriter"));
        if (!add.ok || add.added != durability::kArchiveBatch) {
            std::fprintf(stderr, "killwriter: a batch was not added: %s\n", qPrintable(add.error));
            return 1;
        }
        std::printf("saved %u\n", n);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("datafile"))
        return writeDataFile(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("archive"))
        return writeArchive(args[2]);
    std::fputs("usage: killwriter datafile|archive PATH\n", stderr);
    return 2;
}
