#include "cli.h"

#include "commands.h"

#include "custom/algorithmlist.h"
#include "custom/formula.h"
#include "feed/http.h"
#include "feed/notice.h"
#include "plans/bettype.h"
#include "plans/planrules.h"

#include <functional>

namespace tandor28::cli {

namespace {

// A command: its name, its form or its forms (the tables of its options) and what runs it.
struct Command
{
    const char* name;
    const CommandForm& (*form)();
    const std::vector<CommandForm>& (*forms)();
    int (*run)(const QStringList&, Io&);

    [[nodiscard]] std::vector<CommandForm> allForms() const { return form ? std::vector{form()} : forms(); }
};

// clang-format off
const Command kCommands[] = {
    {"history",   historyForm,   nullptr,      cmdHistory},
    {"table",     tableForm,     nullptr,      cmdTable},
    {"stats",     statsForm,     nullptr,      cmdStats},
    {"mark",      markForm,      nullptr,      cmdMark},
    {"formula",   nullptr,       formulaForms, cmdFormula},
    {"trend",     trendForm,     nullptr,      cmdTrend},
    {"alarm",     alarmForm,     nullptr,      cmdAlarm},
    {"countdown", countdownForm, nullptr,      cmdCountdown},
    {"notice",    noticeForm,    nullptr,      cmdNotice},
    {"store",     nullptr,       storeForms,   cmdStore},
    {"paths",     pathsForm,     nullptr,      cmdPaths},
    {"search",    searchForm,    nullptr,      cmdSearch},
    {"archive",   nullptr,       archiveForms, cmdArchive},
    {"derive",    deriveForm,    nullptr,      cmdDerive},
    {"backtest",  backtestForm,  nullptr,      cmdBacktest},
    {"missed",    missedForm,    nullptr,      cmdMissed},
    {"hotcold",   hotColdForm,   nullptr,      cmdHotCold},
    {"law",       lawForm,       nullptr,      cmdLaw},
};
// clang-format on

// The command's forms joined: "archive import ... | archive export ... | archive gaps ...".
QString commandUsage(const Command& command)
{
    QStringList usages;
    for (const CommandForm& form : command.allForms())
        usages << formUsage(form);
    return usages.join(QLatin1String(" | "));
}

void printUsage(QTextStream& stream)
{
    stream << "usage: tandor28-cli COMMAND [OPTIONS]\n"
           << "FEED is --lottery lucky28|canada28 with --url URL or --file PATH; --verbose logs what happens\n";
    for (const Command& command : kCommands)
        stream << "  " << commandUsage(command) << '\n';
}

void printCommandHelp(const Command& command, QTextStream& out)
{
    const std::vector<CommandForm> forms = command.allForms();
    out << "usage: tandor28-cli " << commandUsage(command) << '\n';
    for (const CommandForm& form : forms) {
        if (forms.size() > 1 && !form.options.empty())
            out << formUsage(form) << ":\n";
        printOptionHelp(form, out);
    }
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
                printCommandHelp(command, io.out);
                io.out.flush();
                return kExitOk;
            }
            clearCookieStoreProblem();
            int status = command.run(arguments.mid(1), io);
            // A fetch whose cookies could not be kept (a full disk) is a command that did not do
            // all it should: it says so and fails.
            if (const QString problem = cookieStoreProblem(); !problem.isEmpty()) {
                io.err << "the cookies could not be saved: " << problem << '\n';
                if (status == kExitOk)
                    status = kExitNothing;
            }
            io.out.flush();
            io.err.flush();
            return status;
        }
    }
    if (arguments.first().startsWith(QLatin1String("--")))
        io.err << "unknown option " << arguments.first() << '\n';
    else
        io.err << "unknown command: " << arguments.first() << '\n';
    printUsage(io.err);
    io.err.flush();
    return kExitBadArguments;
}

bool isTab(const Args& args, const char* tab)
{
    return args.value(QStringLiteral("tab")) == QLatin1String(tab);
}

Option planOption()
{
    return {QStringLiteral("plan"), QStringLiteral("P"), true,
            [](const std::optional<QString>& value, const Args& args) {
                if (isTab(args, "custom"))
                    return QString();
                return checks::wholeNumber(QStringLiteral("plan"), 1,
                                           isTab(args, "free") ? kFreePlanCount : kMemberPlanCount)(value, args);
            },
            QStringLiteral("the plan (free 1..%1, member 1..%2; none on the custom tab)")
                .arg(kFreePlanCount)
                .arg(kMemberPlanCount)};
}

QString betCodesHelp(const QStringList& labels)
{
    QStringList codes;
    for (qsizetype i = 0; i < labels.size(); ++i)
        codes << QStringLiteral("%1 %2").arg(i + 1).arg(labels.at(i));
    return codes.join(u' ');
}

Option betOption()
{
    return {QStringLiteral("bet"), QStringLiteral("CODE"), true,
            checks::wholeNumberIn(QStringLiteral("bet"),
                                  [](const Args& args) {
                                      const int codes = isTab(args, "free")     ? kFreeBetTypeCount
                                                        : isTab(args, "member") ? kMemberBetTypeCount
                                                                                : kCustomBetTypeCount;
                                      return std::pair(1, codes);
                                  }),
            QStringLiteral("the bet type, its code or its name (free: %1; member: %2; custom: %3)")
                .arg(betCodesHelp(freeBetTypeLabels()), betCodesHelp(memberBetTypeLabels()),
                     betCodesHelp(customBetTypeLabels()))};
}

const CommandForm& tableForm()
{
    static const CommandForm form{
        QStringLiteral("table"),
        {},
        joined(feedOptions(),
               {{QStringLiteral("tab"), QStringLiteral("free|member|custom"), true,
                 checks::oneOf({QStringLiteral("free"), QStringLiteral("member"), QStringLiteral("custom")},
                               QStringLiteral("--tab must be free, member or custom")),
                 QStringLiteral("the tab whose table is printed")},
                planOption(),
                betOption(),
                formulasOption()}),
        {}};
    return form;
}

const CommandForm& statsForm()
{
    static const CommandForm form{
        QStringLiteral("stats"),
        {},
        joined(feedOptions(), {{QStringLiteral("tab"), QStringLiteral("member|custom"), true,
                                checks::oneOf({QStringLiteral("member"), QStringLiteral("custom")},
                                              QStringLiteral("--tab must be member or custom")),
                                QStringLiteral("the tab whose statistics are printed")},
                               planOption(),
                               betOption(),
                               rangeOption(QStringLiteral("window"), QStringLiteral("W"), 1, kPeriodCount,
                                           QStringLiteral("how many periods are judged")),
                               formulasOption()}),
        {}};
    return form;
}

int cmdTable(const QStringList& words, Io& io)
{
    const std::optional<Args> args = commandArgs(words, tableForm(), io);
    if (!args)
        return kExitBadArguments;
    return isTab(*args, "custom") ? cmdTableCustom(*args, io) : cmdTablePlans(*args, io);
}

int cmdStats(const QStringList& words, Io& io)
{
    const std::optional<Args> args = commandArgs(words, statsForm(), io);
    if (!args)
        return kExitBadArguments;
    return isTab(*args, "custom") ? cmdStatsCustom(*args, io) : cmdStatsPlans(*args, io);
}

namespace {

// The bet types of the tab a command line works on: its --tab, or the tab of the command itself.
QStringList betLabelsOf(const QStringList& words, const CommandForm& form)
{
    if (form.words == QLatin1String("mark"))
        return memberBetTypeLabels();
    if (form.words == QLatin1String("search"))
        return customBetTypeLabels();
    const qsizetype tab = words.indexOf(QStringLiteral("--tab"));
    const QString name = tab >= 0 ? words.value(tab + 1) : QString();
    if (name == QLatin1String("free"))
        return freeBetTypeLabels();
    if (name == QLatin1String("member"))
        return memberBetTypeLabels();
    if (name == QLatin1String("custom"))
        return customBetTypeLabels();
    return {};
}

// "--bet 组合" as "--bet 1": a bet type is given by its code or by the name on its button.
QStringList withBetCodes(QStringList words, const CommandForm& form)
{
    const qsizetype bet = words.indexOf(QStringLiteral("--bet"));
    if (bet < 0 || bet + 1 >= words.size())
        return words;
    const qsizetype code = betLabelsOf(words, form).indexOf(words.at(bet + 1));
    if (code >= 0)
        words[bet + 1] = QString::number(code + 1);
    return words;
}

} // namespace

std::optional<Args> commandArgs(const QStringList& words, const CommandForm& form, Io& io)
{
    return parseForm(withBetCodes(words, form), form, io.err);
}

std::vector<Option> feedOptions()
{
    const QString feed = QStringLiteral("FEED");
    Option lottery = lotteryOption();
    lottery.group = feed;
    lottery.help = QStringLiteral("FEED is --lottery lucky28|canada28 with --url URL or --file PATH");
    return {
        lottery,
        {QStringLiteral("url"), QStringLiteral("URL"), false, {}, QStringLiteral("the feed fetched"), feed},
        {QStringLiteral("file"), QStringLiteral("PATH"), false, {}, QStringLiteral("the feed read from a file"), feed}};
}

Option lotteryOption()
{
    return {QStringLiteral("lottery"), QStringLiteral("K"), true,
            [](const std::optional<QString>&, const Args& args) {
                return lotteryArg(args) ? QString() : QStringLiteral("--lottery must be lucky28 or canada28");
            },
            QStringLiteral("lucky28 or canada28")};
}

Option dbOption()
{
    return {QStringLiteral("db"), QStringLiteral("PATH"), true, checks::given(QStringLiteral("give --db PATH")),
            QStringLiteral("the draw archive (SQLite)")};
}

Option formulasOption()
{
    // A formula outside the formula language is refused with its reason, never run.
    return {QStringLiteral("formulas"), QStringLiteral("'F1|F2|F3'"), false,
            [](const std::optional<QString>& value, const Args&) {
                const std::array<QString, 3> formulas = splitFormulas(value.value_or(QString()));
                for (std::size_t i = 0; i < formulas.size(); ++i) {
                    if (const std::optional<QString> refusal = formulaRefusal(formulas[i]))
                        return QStringLiteral("--formulas: formula %1 is refused: %2").arg(i + 1).arg(*refusal);
                }
                return QString();
            },
            QStringLiteral("the custom tab's three formulas (its defaults without it)")};
}

Option schemeOption()
{
    return {QStringLiteral("scheme"), QStringLiteral("interleave|block"), false,
            checks::oneOf({QStringLiteral("interleave"), QStringLiteral("block")},
                          QStringLiteral("--scheme must be interleave or block")),
            QStringLiteral("how three digits are taken from 20 Keno numbers (interleave without it)")};
}

Option rangeOption(const QString& name, const QString& value, int low, int high, const QString& help)
{
    return {name, value, true, checks::wholeNumber(name, low, high), help};
}

std::vector<Option> joined(std::vector<Option> first, const std::vector<Option>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

void printPredictionTable(const PredictionTable& table, Io& io)
{
    for (std::size_t i = 0; i < table.rows.size(); ++i)
        io.out << predictionRowLine(static_cast<int>(i) + 1, table.rows[i]) << '\n';
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
