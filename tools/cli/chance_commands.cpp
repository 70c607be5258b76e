// law: the exact law of a lottery's digits, by sum and by bet class.
#include "commands.h"

#include "chance/betclass.h"
#include "chance/chancesettings.h"
#include "chance/lotterylaw.h"
#include "feed/endpoints.h"

namespace tandor28::cli {

namespace {

// The law a lottery's digits follow by tandor28.ini's [chance]; an unreadable entry is said on
// io.err and the default stands.
ChanceScheme lotteryScheme(LotteryKind kind, Io& io)
{
    const ChanceSetting setting = loadChanceScheme(endpointsIniPath(), kind);
    if (!setting.problem.isEmpty())
        io.err << setting.problem << '\n';
    return setting.scheme;
}

} // namespace

const CommandForm& lawForm()
{
    static const CommandForm form{
        QStringLiteral("law"),
        {},
        {lotteryOption(),
         {QStringLiteral("scheme"), QStringLiteral("interleave|block|uniform"), false,
          checks::oneOf({QStringLiteral("interleave"), QStringLiteral("block"), QStringLiteral("uniform")},
                        QStringLiteral("--scheme must be interleave, block or uniform")),
          QStringLiteral("how the digits come about (the lottery's [chance] in tandor28.ini without it)")}},
        QStringLiteral("prints 28 lines sum<TAB>probability, then class<TAB>probability for 大 小 单 双 大单 大双 小单 "
                       "小双 极大 极小 豹子 对子 顺子, probabilities with 10 decimals")};
    return form;
}

int cmdLaw(const QStringList& words, Io& io)
{
    const std::optional<Args> args = commandArgs(words, lawForm(), io);
    if (!args)
        return kExitBadArguments;
    const ChanceScheme scheme = args->has(QStringLiteral("scheme"))
                                    ? *chanceSchemeFromName(args->value(QStringLiteral("scheme")))
                                    : lotteryScheme(*lotteryArg(*args), io);
    const LotteryLaw& law = lotteryLaw(scheme);
    for (int sum = 0; sum < kLawSums; ++sum)
        io.out << sum << '\t' << QString::number(sumProbability(law, sum), 'f', 10) << '\n';
    for (const BetClass betClass : allBetClasses())
        io.out << betClassName(betClass) << '\t' << QString::number(betClassProbability(law, betClass), 'f', 10)
               << '\n';
    return kExitOk;
}

} // namespace tandor28::cli
