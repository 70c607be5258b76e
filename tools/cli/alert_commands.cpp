// trend, alarm.
#include "commands.h"

namespace tandor28::cli {

int cmdTrend(const QStringList&, Io& io)
{
    io.err << "trend: not built yet\n";
    return kExitBadArguments;
}

int cmdAlarm(const QStringList&, Io& io)
{
    io.err << "alarm: not built yet\n";
    return kExitBadArguments;
}

} // namespace tandor28::cli
