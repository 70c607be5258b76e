// table (free and member tabs), stats (member tab), mark.
#include "commands.h"

namespace tandor28::cli {

int cmdTablePlans(const Args&, Io& io)
{
    io.err << "table: not built yet\n";
    return kExitBadArguments;
}

int cmdStatsPlans(const Args&, Io& io)
{
    io.err << "stats: not built yet\n";
    return kExitBadArguments;
}

int cmdMark(const QStringList&, Io& io)
{
    io.err << "mark: not built yet\n";
    return kExitBadArguments;
}

} // namespace tandor28::cli
