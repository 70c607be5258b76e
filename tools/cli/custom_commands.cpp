// formula, store, search, and the custom tab's halves of table and stats.
#include "commands.h"

#include "custom/algorithmstore.h"
#include "custom/customtable.h"
#include "custom/formula.h"
#include "custom/search.h"
#include "paths/filelocations.h"

#include <QFile>

namespace tandor28::cli {

namespace {

// The formula boxes as the tab starts with them.
const FormulaTriple kDefaultFormulas = {QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"), QString(),
                                        QStringLiteral("[1]*[9]+[5]/[2]+[10]")};

// "V1,...,V18": eighteen whole numbers.
std::optional<WorkingValues> parseValues(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 18)
        return std::nullopt;
    WorkingValues values{};
    for (int i = 0; i < 18; ++i) {
        bool ok = false;
        values[static_cast<std::size_t>(i)] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return values;
}

// Keeps one record a line whatever the texts hold.
QString escaped(QString text)
{
    return text.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\t', QStringLiteral("\\t"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
}

// Prints the value text and the digit; a formula outside the language prints an empty value and 0,
// and its reason goes to stderr after `where`. Returns whether the formula was in the language.
bool printFormulaValue(FormulaEvaluator& evaluator, const QString& formula, const WorkingValues& values, Io& io,
                       const QString& where = QString())
{
    const std::shared_ptr<const CompiledFormula> compiled = evaluator.compiled(formula);
    const FormulaValue value = evaluator.evaluate(*compiled, values);
    io.out << value.valueText() << '\t' << value.digit() << '\n';
    if (compiled->mode != CompiledFormula::Mode::Refused)
        return true;
    io.err << where << "refused: " << compiled->refusal << '\n';
    return false;
}

} // namespace

int cmdTableCustom(const Args& args, Io& io)
{
    const int code = *args.intValue(QStringLiteral("bet"));
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;
    FormulaEvaluator evaluator;
    std::optional<PredictionTable> table =
        generateCustomTable(evaluator, *history, formulasArg(args), code, kPeriodCount);
    if (!table) {
        io.err << "the history holds fewer than " << kMinimumDrawsForCustom << " draws\n";
        return kExitNothing;
    }
    // As the window shows it: the free plans generator writes columns 0..2 of the next-issue row.
    const std::array<QString, 3> head = nextIssueCells(*history);
    for (std::size_t column = 0; column < 3; ++column)
        table->rows[0][column].text = head[column];
    printPredictionTable(*table, io);
    return kExitOk;
}

int cmdStatsCustom(const Args& args, Io& io)
{
    const int code = *args.intValue(QStringLiteral("bet"));
    const int window = *args.intValue(QStringLiteral("window"));
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;
    FormulaEvaluator evaluator;
    const std::optional<PlanStats> stats =
        evaluateCustomAlgorithm(evaluator, *history, formulasArg(args), code, window);
    if (!stats) {
        io.err << "the history holds fewer than " << kMinimumDrawsForCustom << " draws\n";
        return kExitNothing;
    }
    io.out << statsFields(*stats) << '\n';
    return kExitOk;
}

const QString kFormulaUsage = QStringLiteral("usage: formula --values V1,...,V18 'FORMULA' | formula --batch");

const std::vector<CommandForm>& formulaForms()
{
    static const std::vector<CommandForm> forms{
        {QStringLiteral("formula"),
         QStringLiteral("'FORMULA'"),
         {{QStringLiteral("values"), QStringLiteral("V1,...,V18"), true,
           [](const std::optional<QString>& value, const Args& args) {
               if (!value || args.positional.size() != 1)
                   return kFormulaUsage;
               return parseValues(*value) ? QString()
                                          : QStringLiteral("--values must be 18 whole numbers separated by commas");
           },
           QStringLiteral("the eighteen working values [1]..[18]")}},
         {}},
        {QStringLiteral("formula"),
         {},
         {{QStringLiteral("batch"),
           {},
           true,
           {},
           QStringLiteral("reads FORMULA<TAB>V1,...,V18 lines on stdin, prints value and digit per line")}},
         {}},
    };
    return forms;
}

int cmdFormula(const QStringList& words, Io& io)
{
    FormulaEvaluator evaluator;
    if (words.contains(QStringLiteral("--batch"))) {
        const Args plain = parseArgs(words, {QStringLiteral("batch")});
        if (!plain.positional.isEmpty() || plain.has(QStringLiteral("values"))) {
            io.err << "formula --batch reads FORMULA<TAB>V1,...,V18 lines on stdin and takes no other arguments\n";
            return kExitBadArguments;
        }
        if (!commandArgs(words, formulaForms()[1], io))
            return kExitBadArguments;
        int lineNumber = 0;
        bool allAdmitted = true;
        while (!io.in.atEnd()) {
            const QString line = io.in.readLine();
            ++lineNumber;
            if (line.isEmpty())
                continue;
            const qsizetype tab = line.lastIndexOf(u'\t');
            const std::optional<WorkingValues> values = tab < 0 ? std::nullopt : parseValues(line.mid(tab + 1));
            if (!values) {
                io.err << "line " << lineNumber << ": expected FORMULA<TAB>V1,...,V18 with 18 whole numbers\n";
                return kExitBadArguments;
            }
            if (!printFormulaValue(evaluator, line.left(tab), *values, io, QStringLiteral("line %1: ").arg(lineNumber)))
                allAdmitted = false;
        }
        return allAdmitted ? kExitOk : kExitNothing;
    }
    const std::optional<Args> args = commandArgs(words, formulaForms()[0], io);
    if (!args)
        return kExitBadArguments;
    return printFormulaValue(evaluator, args->positional.first(), *parseValues(args->value(QStringLiteral("values"))),
                             io)
               ? kExitOk
               : kExitNothing;
}

const std::vector<CommandForm>& storeForms()
{
    static const std::vector<CommandForm> forms{
        {QStringLiteral("store decode"), QStringLiteral("[PATH]"), {}, {}},
        {QStringLiteral("store encode"),
         QStringLiteral("[PATH]"),
         {},
         QStringLiteral("without PATH: the program's data file")},
    };
    return forms;
}

int cmdStore(const QStringList& words, Io& io)
{
    // The action is the first positional word; the store takes no options.
    const Args args = parseArgs(words);
    if (!args.error.isEmpty() || !args.options.isEmpty() || args.positional.isEmpty() || args.positional.size() > 2 ||
        (args.positional[0] != QLatin1String("decode") && args.positional[0] != QLatin1String("encode"))) {
        QStringList usages;
        for (const CommandForm& form : storeForms())
            usages << form.words + u' ' + form.positional;
        io.err << "usage: " << usages.join(QLatin1String(" | ")) << '\n';
        return kExitBadArguments;
    }
    // Without a PATH: the data file the desktop program uses, carried over from beside an installed
    // program first, as the program's own start does.
    const bool programFile = args.positional.size() == 1;
    if (programFile) {
        QString reason;
        if (adoptOldDataFile(fileLocations(), &reason) == AdoptOutcome::Failed)
            io.err << "could not copy the data file beside the program: " << reason << '\n';
    }
    AlgorithmStore store{programFile ? fileLocations().dataFile : args.positional[1]};
    if (!storeCodecAvailable(store)) {
        io.err << "the " << store.codec << " codec is not available; the data file is left as it is\n";
        return kExitNothing;
    }
    if (args.positional[0] == QLatin1String("decode")) {
        if (!programFile && !QFile::exists(store.path)) {
            io.err << "no such file: " << store.path << '\n';
            return kExitBadArguments;
        }
        const std::vector<CustomAlgorithm> algorithms = loadAlgorithms(store);
        if (store.unreadableOnDisk) {
            io.err << "not a data file of saved algorithms (wrong key, damaged or not hexadecimal)\n";
            return kExitNothing;
        }
        for (const CustomAlgorithm& algorithm : algorithms)
            io.out << escaped(algorithm.name) << '\t' << escaped(algorithm.formulas) << '\n';
        return kExitOk;
    }
    std::vector<CustomAlgorithm> algorithms;
    while (!io.in.atEnd()) {
        const QString line = io.in.readLine();
        if (line.isEmpty())
            continue;
        const qsizetype separator = line.indexOf(QStringLiteral("----"));
        CustomAlgorithm algorithm;
        algorithm.name = separator < 0 ? line : line.left(separator);
        algorithm.formulas = separator < 0 ? QString() : line.mid(separator + 4);
        algorithms.push_back(std::move(algorithm));
    }
    QString reason;
    if (!saveAlgorithms(store, algorithms, &reason)) {
        io.err << "could not write " << store.path << ": " << reason << '\n';
        if (!storeCodecAvailable(store)) {
            io.err << "the " << store.codec << " codec is not available; the data file is left as it is\n";
            return kExitNothing;
        }
        return kExitBadArguments;
    }
    return kExitOk;
}

const CommandForm& searchForm()
{
    static const CommandForm form{
        QStringLiteral("search"),
        {},
        joined(feedOptions(),
               {{QStringLiteral("mode"), QStringLiteral("mixed|simple"), true,
                 checks::oneOf({QStringLiteral("mixed"), QStringLiteral("simple")},
                               QStringLiteral("--mode must be mixed or simple")),
                 QStringLiteral("mixed: + - * / between the tokens; simple: + only")},
                rangeOption(
                    QStringLiteral("criterion"), QStringLiteral("0..3"), 0, 3,
                    QStringLiteral("what must reach the threshold: 0 right, 1 wrong, 2 win streak, 3 loss streak")),
                {QStringLiteral("threshold"), QStringLiteral("T"), true,
                 checks::anyWholeNumber(QStringLiteral("threshold")),
                 QStringLiteral("the value the criterion must reach")},
                rangeOption(QStringLiteral("window"), QStringLiteral("W"), 1, kPeriodCount,
                            QStringLiteral("how many periods are judged")),
                rangeOption(QStringLiteral("bet"), QStringLiteral("CODE"), 1, kCustomBetTypeCount,
                            QStringLiteral("the custom bet type")),
                {QStringLiteral("seed"), QStringLiteral("S"), false,
                 [](const std::optional<QString>& value, const Args&) {
                     bool ok = false;
                     value.value_or(QString()).toULongLong(&ok);
                     return ok ? QString()
                               : QStringLiteral("--seed must be a whole number from 0 to 18446744073709551615");
                 },
                 QStringLiteral("the random seed (from the clock without it)")},
                {QStringLiteral("max-attempts"), QStringLiteral("N"), false,
                 [](const std::optional<QString>& value, const Args&) {
                     bool ok = false;
                     const long long attempts = value.value_or(QString()).toLongLong(&ok);
                     return ok && attempts >= 1 ? QString()
                                                : QStringLiteral("--max-attempts must be a positive whole number");
                 },
                 QStringLiteral("gives up after this many formulas")},
                {QStringLiteral("threads"), QStringLiteral("N"), false,
                 checks::wholeNumber(QStringLiteral("threads"), 1, 256),
                 QStringLiteral("how many threads search (1..256)")}}),
        {}};
    return form;
}

int cmdSearch(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, searchForm(), io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    SearchSettings settings;
    settings.mode =
        args.value(QStringLiteral("mode")) == QLatin1String("mixed") ? SearchMode::Mixed : SearchMode::Simple;
    settings.criterion = *args.intValue(QStringLiteral("criterion"));
    settings.threshold = *args.intValue(QStringLiteral("threshold"));
    settings.window = *args.intValue(QStringLiteral("window"));
    settings.code = *args.intValue(QStringLiteral("bet"));
    if (args.has(QStringLiteral("seed")))
        settings.seed = args.value(QStringLiteral("seed")).toULongLong();
    if (args.has(QStringLiteral("max-attempts")))
        settings.maxAttempts = args.value(QStringLiteral("max-attempts")).toLongLong();
    if (args.has(QStringLiteral("threads")))
        settings.threads = *args.intValue(QStringLiteral("threads"));
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;

    const SearchResult result = runSearch(*history, settings, std::stop_token());
    const double rate = result.seconds > 0 ? static_cast<double>(result.attempts) / result.seconds : 0.0;
    const QString rateText = QString::number(rate, 'f', 0);
    if (result.outcome != SearchResult::Outcome::Found) {
        // Still the one line, with empty formulas and the best statistics seen, so scripts read a
        // fruitless run the same way.
        io.out << "\t\t\t" << statsFields(result.stats) << '\t' << result.attempts << '\t' << rateText << '\n';
        io.err << "no formulas met the criterion in " << result.attempts << " attempts (" << rateText
               << " attempts per second)\n";
        return kExitNothing;
    }
    io.out << result.formulas[0] << '\t' << result.formulas[1] << '\t' << result.formulas[2] << '\t'
           << statsFields(result.stats) << '\t' << result.attempts << '\t' << rateText << '\n';
    return kExitOk;
}

const CommandForm& pathsForm()
{
    static const CommandForm form{
        QStringLiteral("paths"),
        {},
        {},
        QStringLiteral("where the program keeps its data file, settings, cookies and draw archive")};
    return form;
}

int cmdPaths(const QStringList& words, Io& io)
{
    if (!words.isEmpty()) {
        io.err << "usage: paths\n";
        return kExitBadArguments;
    }
    const FileLocations locations = fileLocations();
    io.out << "mode\t" << (locations.portable ? "portable" : "user") << '\n'
           << "data\t" << locations.dataFile << '\n'
           << "settings\t" << locations.settingsFile << '\n'
           << "cookies\t" << locations.cookieStore << '\n'
           << "archive\t" << locations.drawArchive << '\n';
    return kExitOk;
}

FormulaTriple formulasArg(const Args& args)
{
    if (!args.has(QStringLiteral("formulas")))
        return kDefaultFormulas;
    return splitFormulas(args.value(QStringLiteral("formulas")));
}

} // namespace tandor28::cli
