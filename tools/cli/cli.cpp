#include "cli.h"

#include "commands.h"

#include "feed/notice.h"

#include <functional>

namespace tandor28::cli {

namespace {

struct Command
{
    const char* name;
    const char* usage;
    int (*run)(const QStringList&, Io&);
};

const Command kCommands[] = {
    {"history", "history FEED", cmdHistory},
    {"table", "table FEED --tab free|member|custom --plan P --bet CODE [--formulas 'F1|F2|F3']", cmdTable},
    {"stats", "stats FEED --tab member|custom --plan P --bet CODE --window W [--formulas ...]", cmdStats},
    {"mark", "mark FEED --bet CODE --window W --criterion 0..4 --compare 0..3 --threshold T", cmdMark},
    {"formula", "formula --values V1,...,V18 'FORMULA' | formula --batch", cmdFormula},
    {"trend", "trend FEED", cmdTrend},
    {"alarm", "alarm FEED --threshold N [--categories 大小,单双,...]", cmdAlarm},
    {"countdown", "countdown --lottery K --newest HH:MM[:SS] --now HH:MM:SS", cmdCountdown},
    {"notice", "notice --file PATH", cmdNotice},
    {"store", "store decode [PATH] | store encode [PATH] (without PATH: the program's data file)", cmdStore},
    {"paths", "paths (where the program keeps its data file, settings, cookies and draw archive)", cmdPaths},
    {"search",
     "search FEED --mode mixed|simple --criterion 0..3 --threshold T --window W --bet CODE [--seed S] "
     "[--max-attempts N] [--threads N]",
     cmdSearch},
    {"archive",
     "archive import --db PATH FEED [--format feed|keno-json|keno-csv] [--scheme interleave|block] | "
     "archive export --db PATH --lottery K | archive gaps --db PATH --lottery K",
     cmdArchive},
    {"derive", "derive [--scheme interleave|block] N1 ... N20", cmdDerive},
    {"backtest",
     "backtest --db PATH --lottery K --tab free|member|custom --plan P --bet CODE [--formulas 'F1|F2|F3'] "
     "[--last K]",
     cmdBacktest},
    {"missed", "missed --db PATH --lottery K", cmdMissed},
    {"hotcold", "hotcold --db PATH --lottery K --last N", cmdHotCold},
};

void printUsage(QTextStream& stream)
{
    stream << "usage: tandor28-cli COMMAND [OPTIONS]\n"
           << "FEED is --lottery lucky28|canada28 with --url URL or --file PATH; --verbose logs what happens\n";
    for (const Command& command : kCommands)
        stream << "  " << QString::fromUtf8(command.usage) << '\n';
}

} // namespace

int runCli(const QStringList& arguments, Io io)
{
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("--version")) {
        io.out << "tandor28-cli " << kCurrentVersion << '\n';
        io.out.flush();
        return kExitOk;
    }
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")) {
        printUsage(arguments.isEmpty() ? io.err : io.out);
        io.out.flush();
        io.err.flush();
        return arguments.isEmpty() ? kExitBadArguments : kExitOk;
    }
    for (const Command& command : kCommands) {
        if (arguments.first() == QLatin1String(command.name)) {
            if (arguments.contains(QLatin1String("--help"))) {
                io.out << "usage: tandor28-cli " << QString::fromUtf8(command.usage) << '\n';
                if (QString::fromUtf8(command.usage).contains(QLatin1String("FEED")))
                    io.out << "FEED is --lottery lucky28|canada28 with --url URL or --file PATH\n";
                io.out.flush();
                return kExitOk;
            }
            const int status = command.run(arguments.mid(1), io);
            io.out.flush();
            io.err.flush();
            return status;
        }
    }
    io.err << "unknown command: " << arguments.first() << '\n';
    printUsage(io.err);
    io.err.flush();
    return kExitBadArguments;
}

int cmdTable(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    const QString tab = args.value(QStringLiteral("tab"));
    if (tab == QLatin1String("free") || tab == QLatin1String("member"))
        return cmdTablePlans(args, io);
    if (tab == QLatin1String("custom"))
        return cmdTableCustom(args, io);
    io.err << "--tab must be free, member or custom\n";
    return kExitBadArguments;
}

int cmdStats(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    const QString tab = args.value(QStringLiteral("tab"));
    if (tab == QLatin1String("member"))
        return cmdStatsPlans(args, io);
    if (tab == QLatin1String("custom"))
        return cmdStatsCustom(args, io);
    io.err << "--tab must be member or custom\n";
    return kExitBadArguments;
}

std::optional<Args> commandArgs(const QStringList& words, Io& io, const QStringList& flagNames)
{
    Args args = parseArgs(words, flagNames);
    if (!args.error.isEmpty()) {
        io.err << args.error << '\n';
        return std::nullopt;
    }
    return args;
}

void printPredictionTable(const PredictionTable& table, Io& io)
{
    for (std::size_t i = 0; i < table.rows.size(); ++i)
        io.out << predictionRowLine(static_cast<int>(i) + 1, table.rows[i]) << '\n';
}

std::optional<int> rangedOption(const Args& args, const QString& name, int low, int high, Io& io)
{
    const std::optional<int> value = args.intValue(name);
    if (!value || *value < low || *value > high) {
        io.err << "--" << name << " must be a whole number from " << low << " to " << high << '\n';
        return std::nullopt;
    }
    return value;
}

std::optional<int> anyIntOption(const Args& args, const QString& name, Io& io)
{
    const std::optional<int> value = args.intValue(name);
    if (!value)
        io.err << "--" << name << " must be a whole number\n";
    return value;
}

QString statsFields(const PlanStats& stats)
{
    return QStringLiteral("%1\t%2\t%3\t%4\t%5")
        .arg(stats.right)
        .arg(stats.wrong)
        .arg(stats.accuracy)
        .arg(stats.winStreak)
        .arg(stats.lossStreak);
}

std::optional<LotteryKind> lotteryArg(const Args& args)
{
    const QString name = args.value(QStringLiteral("lottery"));
    if (name == QLatin1String("lucky28"))
        return LotteryKind::Lucky28;
    if (name == QLatin1String("canada28"))
        return LotteryKind::Canada28Night;
    return std::nullopt;
}

} // namespace tandor28::cli
