// history, notice, countdown, and the FEED argument shared by every command that reads a feed.
#include "commands.h"

namespace tandor28::cli {

int cmdHistory(const QStringList&, Io& io)
{
    io.err << "history: not built yet\n";
    return kExitBadArguments;
}

int cmdNotice(const QStringList&, Io& io)
{
    io.err << "notice: not built yet\n";
    return kExitBadArguments;
}

int cmdCountdown(const QStringList&, Io& io)
{
    io.err << "countdown: not built yet\n";
    return kExitBadArguments;
}

std::optional<DrawHistory> loadFeedArg(const Args&, Io& io, int& exitCode)
{
    io.err << "feeds: not built yet\n";
    exitCode = kExitBadArguments;
    return std::nullopt;
}

} // namespace tandor28::cli
