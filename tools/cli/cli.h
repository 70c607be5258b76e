#pragma once

#include <QStringList>
#include <QTextStream>

namespace tandor28::cli {

// Exit statuses of the companion.
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitNothing = 3; // input that yields nothing, e.g. a feed with fewer than five records

// The streams a command writes to; `in` is only read by commands that take stdin.
struct Io
{
    QTextStream& out;
    QTextStream& err;
    QTextStream& in;
};

// Runs one command line (without the program name) and returns the exit status.
[[nodiscard]] int runCli(const QStringList& arguments, Io io);

} // namespace tandor28::cli
