#pragma once

#include "args.h"
#include "cli.h"

#include "custom/customtable.h"
#include "feed/http.h"
#include "model/draw.h"
#include "plans/bettype.h"
#include "plans/planstats.h"
#include "plans/predictiontable.h"

#include <optional>
#include <vector>

namespace tandor28::cli {

// Each command takes the words after its name. Commands live in the file of their subsystem, each
// with the table of its options (its forms: "archive import", "archive export", ...).
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
int cmdLaw(const QStringList& words, Io& io);

[[nodiscard]] const CommandForm& historyForm();
[[nodiscard]] const CommandForm& noticeForm();
[[nodiscard]] const CommandForm& countdownForm();
[[nodiscard]] const CommandForm& tableForm();
[[nodiscard]] const CommandForm& statsForm();
[[nodiscard]] const CommandForm& markForm();
[[nodiscard]] const std::vector<CommandForm>& formulaForms();
[[nodiscard]] const std::vector<CommandForm>& storeForms();
[[nodiscard]] const CommandForm& pathsForm();
[[nodiscard]] const CommandForm& searchForm();
[[nodiscard]] const CommandForm& trendForm();
[[nodiscard]] const CommandForm& alarmForm();
[[nodiscard]] const std::vector<CommandForm>& archiveForms();
[[nodiscard]] const CommandForm& deriveForm();
[[nodiscard]] const CommandForm& backtestForm();
[[nodiscard]] const CommandForm& missedForm();
[[nodiscard]] const CommandForm& hotColdForm();
[[nodiscard]] const CommandForm& lawForm();

// The plan tabs' and the custom tab's halves of `table` and `stats` (dispatched on --tab).
int cmdTablePlans(const Args& args, Io& io);
int cmdTableCustom(const Args& args, Io& io);
int cmdStatsPlans(const Args& args, Io& io);
int cmdStatsCustom(const Args& args, Io& io);

// A fetch failure in English words, for the companion's messages ("connection refused",
// "HTTP status 404").
[[nodiscard]] QString fetchFailureWords(FetchFailure failure, int status);
// Readers of an archive refuse a path where none exists rather than create an empty one; false
// after saying so.
[[nodiscard]] bool archiveExistsArg(const Args& args, Io& io);

// The options of one command line, parsed and checked by the form's table; writes the reason to
// io.err and returns nullopt when they do not pass.
[[nodiscard]] std::optional<Args> commandArgs(const QStringList& words, const CommandForm& form, Io& io);
// One line per table row, 1..N+1: the row, the seven cell texts, the text colours of columns 3..6.
void printPredictionTable(const PredictionTable& table, Io& io);

// Options several commands declare alike.
// FEED: --lottery with --url or --file (which of the two is checked when the feed is read).
[[nodiscard]] std::vector<Option> feedOptions();
[[nodiscard]] Option lotteryOption();
[[nodiscard]] Option dbOption();
[[nodiscard]] Option formulasOption();
[[nodiscard]] Option schemeOption();
// Whether --tab names `tab`.
[[nodiscard]] bool isTab(const Args& args, const char* tab);
// --plan P of the plan tabs (not checked on the custom tab) and --bet CODE of the tab's bet types.
[[nodiscard]] Option planOption();
[[nodiscard]] Option betOption();
// "1 组合 2 大小 ...": the codes and names of a tab's bet types, for the help.
[[nodiscard]] QString betCodesHelp(const QStringList& labels);
// --NAME N, required, a whole number in [low, high].
[[nodiscard]] Option rangeOption(const QString& name, const QString& value, int low, int high, const QString& help);
// The forms' options one after the other, for tables that start from shared ones.
[[nodiscard]] std::vector<Option> joined(std::vector<Option> first, const std::vector<Option>& second);

// right, wrong, accuracy, win streak, loss streak, tab-separated.
[[nodiscard]] QString statsFields(const PlanStats& stats);

// The formulas named by --formulas 'F1|F2|F3', or the formula boxes' defaults without it.
[[nodiscard]] FormulaTriple formulasArg(const Args& args);

// The lottery kind named by --lottery (lucky28 | canada28).
[[nodiscard]] std::optional<LotteryKind> lotteryArg(const Args& args);

// Whether exactly one of --url and --file is given; says so on io.err otherwise.
[[nodiscard]] bool oneSourceArg(const Args& args, Io& io);

// Loads the history named by FEED (--url URL or --file PATH, with --lottery checked by the table). On
// failure writes the reason to io.err, sets exitCode (2 for bad arguments, 3 for a feed with fewer
// than five records) and returns nullopt.
[[nodiscard]] std::optional<DrawHistory> loadFeedArg(const Args& args, Io& io, int& exitCode);

} // namespace tandor28::cli
