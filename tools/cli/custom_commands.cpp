// formula, store, search, and the custom tab's halves of table and stats.
#include "commands.h"

namespace tandor28::cli {

int cmdTableCustom(const Args&, Io& io)
{
    io.err << "table --tab custom: not built yet\n";
    return kExitBadArguments;
}

int cmdStatsCustom(const Args&, Io& io)
{
    io.err << "stats --tab custom: not built yet\n";
    return kExitBadArguments;
}

int cmdFormula(const QStringList&, Io& io)
{
    io.err << "formula: not built yet\n";
    return kExitBadArguments;
}

int cmdStore(const QStringList&, Io& io)
{
    io.err << "store: not built yet\n";
    return kExitBadArguments;
}

int cmdSearch(const QStringList&, Io& io)
{
    io.err << "search: not built yet\n";
    return kExitBadArguments;
}

} // namespace tandor28::cli
