// A writer that the kill test stops with SIGKILL at random moments: it replaces a file over and over,
// alternating between two known contents, prints a line after each save and never ends by itself.
//
//   killwriter datafile PATH   saves the two lists of writerlists.h into the saved-algorithms file
#include "writerlists.h"

#include "custom/algorithmstore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace tandor28;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 || args[1] != QLatin1String("datafile")) {
        std::fputs("usage: killwriter datafile PATH\n", stderr);
        return 2;
    }
    AlgorithmStore store{args[2]};
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
