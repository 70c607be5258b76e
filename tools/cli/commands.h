#pragma once

#include "args.h"
#include "cli.h"

#include "custom/customtable.h"
#include "model/draw.h"
#include "plans/planstats.h"
#include "plans/predictiontable.h"

#include <optional>

namespace tandor28::cli {

// Each command takes the words after its name. Commands live in the file of their subsystem.
int cmdHistory(const QStringList& words, Io& io);
int cmdNotice(const QStringList& words, Io& io);
int cmdCountdown(const QStringList& words, Io& io);
int cmdTable(const QStringList& words, Io& io);
int cmdStats(const QStringList& words, Io& io);
int cmdMark(const QStringList& words, Io& io);
int cmdFormula(const QStringList& words, Io& io);
int cmdStore(const QStringList& words, Io& io);
int cmdPaths(const QStringList& words, Io& io);
int cmdSearch(const QStringList& words, Io& io);
int cmdTrend(const QStringList& words, Io& io);
int cmdAlarm(const QStringList& words, Io& io);
int cmdArchive(const QStringList& words, Io& io);
int cmdDerive(const QStringList& words, Io& io);
int cmdBacktest(const QStringList& words, Io& io);
int cmdMissed(const QStringList& words, Io& io);
int cmdHotCold(const QStringList& words, Io& io);

// The plan tabs' and the custom tab's halves of `table` and `stats` (dispatched on --tab).
int cmdTablePlans(const Args& args, Io& io);
int cmdTableCustom(const Args& args, Io& io);
int cmdStatsPlans(const Args& args, Io& io);
int cmdStatsCustom(const Args& args, Io& io);

// The options of one command line; writes the reason to io.err and returns nullopt when they cannot
// be parsed. `flagNames` are options without a value.
[[nodiscard]] std::optional<Args> commandArgs(const QStringList& words, Io& io, const QStringList& flagNames = {});
// One line per table row, 1..N+1: the row, the seven cell texts, the text colours of columns 3..6.
void printPredictionTable(const PredictionTable& table, Io& io);

// An integer option that must lie in [low, high]; writes the reason to io.err and returns nullopt
// otherwise.
[[nodiscard]] std::optional<int> rangedOption(const Args& args, const QString& name, int low, int high, Io& io);
// An integer option of any value; writes the reason to io.err and returns nullopt when it is missing
// or not a whole number.
[[nodiscard]] std::optional<int> anyIntOption(const Args& args, const QString& name, Io& io);
// right, wrong, accuracy, win streak, loss streak, tab-separated.
[[nodiscard]] QString statsFields(const PlanStats& stats);

// The formulas named by --formulas 'F1|F2|F3', or the formula boxes' defaults without it.
[[nodiscard]] FormulaTriple formulasArg(const Args& args);

// The lottery kind named by --lottery (lucky28 | canada28).
[[nodiscard]] std::optional<LotteryKind> lotteryArg(const Args& args);

// Loads the history named by FEED (--url URL or --file PATH, with --lottery). On failure writes the
// reason to io.err, sets exitCode (2 for bad arguments, 3 for a feed with fewer than five records)
// and returns nullopt.
[[nodiscard]] std::optional<DrawHistory> loadFeedArg(const Args& args, Io& io, int& exitCode);

} // namespace tandor28::cli
