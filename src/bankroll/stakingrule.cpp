#include "stakingrule.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

namespace tandor28 {

namespace {

// F(0..kFibonacciSteps-1) = 1, 1, 2, 3, 5, ...; the index stops at the last one, whose stake is
// already far beyond any balance.
constexpr int kFibonacciSteps = 90;

constexpr std::array<double, kFibonacciSteps> fibonacciTable()
{
    std::array<double, kFibonacciSteps> table{};
    table[0] = 1;
    table[1] = 1;
    for (int i = 2; i < kFibonacciSteps; ++i)
        table[i] = table[i - 1] + table[i - 2];
    return table;
}

constexpr std::array<double, kFibonacciSteps> kFibonacci = fibonacciTable();

// A finite number in (0, limit]; nullopt for anything else (a sign, letters, inf, nan).
std::optional<double> positiveAmount(const QString& word, double limit)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(word.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || value <= 0 || value > limit)
        return std::nullopt;
    return value;
}

StakingRuleParse refused(StakingProblem problem, QString word, int entry = 0)
{
    StakingRuleParse parse;
    parse.problem = problem;
    parse.word = std::move(word);
    parse.entry = entry;
    return parse;
}

StakingRuleParse accepted(StakingRule rule)
{
    StakingRuleParse parse;
    parse.rule = std::move(rule);
    return parse;
}

// "10" or "10,top=6" after "double:".
StakingRuleParse parseDouble(const QString& body)
{
    const QStringList parts = body.split(u',');
    StakingRule rule;
    rule.kind = StakingKind::Double;
    const std::optional<double> stake = positiveAmount(parts.first(), kMaxMoney);
    if (!stake)
        return refused(StakingProblem::BadAmount, parts.first().trimmed());
    rule.stake = *stake;
    if (parts.size() < 2)
        return refused(StakingProblem::MissingTop, body);
    const QString top = parts[1].trimmed();
    if (parts.size() > 2 || !top.startsWith(QLatin1String("top=")))
        return refused(StakingProblem::MissingTop, body);
    bool ok = false;
    const QString number = top.mid(4).trimmed();
    rule.top = number.toInt(&ok);
    if (!ok || rule.top < 0 || rule.top > kMaxDoublingTop)
        return refused(StakingProblem::BadTop, number);
    return accepted(rule);
}

StakingRuleParse parseLadder(const QString& body)
{
    StakingRule rule;
    rule.kind = StakingKind::Ladder;
    if (body.trimmed().isEmpty())
        return refused(StakingProblem::EmptyLadder, body);
    const QStringList steps = body.split(u',');
    if (steps.size() > kMaxLadderSteps)
        return refused(StakingProblem::LongLadder, QString::number(steps.size()));
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const std::optional<double> stake = positiveAmount(steps[i], kMaxMoney);
        if (!stake)
            return refused(StakingProblem::BadLadderEntry, steps[i].trimmed(), int(i) + 1);
        rule.ladder.push_back(*stake);
    }
    return accepted(rule);
}

QString amountText(double value)
{
    return QLocale::c().toString(value, 'g', 15);
}

} // namespace

StakingRuleParse parseStakingRule(const QString& text)
{
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.indexOf(u':');
    if (colon < 0)
        return refused(StakingProblem::UnknownRule, trimmed);
    const QString name = trimmed.left(colon).trimmed();
    const QString body = trimmed.mid(colon + 1);
    if (name == QLatin1String("double"))
        return parseDouble(body);
    if (name == QLatin1String("ladder"))
        return parseLadder(body);
    StakingRule rule;
    if (name == QLatin1String("flat") || name == QLatin1String("fib")) {
        rule.kind = name == QLatin1String("flat") ? StakingKind::Flat : StakingKind::Fibonacci;
        const std::optional<double> stake = positiveAmount(body, kMaxMoney);
        if (!stake)
            return refused(StakingProblem::BadAmount, body.trimmed());
        rule.stake = *stake;
        return accepted(rule);
    }
    if (name == QLatin1String("fraction")) {
        rule.kind = StakingKind::Fraction;
        const std::optional<double> fraction = positiveAmount(body, 1);
        if (!fraction)
            return refused(StakingProblem::BadFraction, body.trimmed());
        rule.fraction = *fraction;
        return accepted(rule);
    }
    return refused(StakingProblem::UnknownRule, trimmed);
}

QString stakingProblemText(const StakingRuleParse& parse)
{
    switch (parse.problem) {
    case StakingProblem::None:
        return {};
    case StakingProblem::UnknownRule:
        return QStringLiteral("unknown staking rule \"%1\" (flat:S, double:S,top=K, ladder:A1,...,AM, fib:S or "
                              "fraction:F)")
            .arg(parse.word);
    case StakingProblem::BadAmount:
        return QStringLiteral("the stake \"%1\" must be a number above 0 and at most %2")
            .arg(parse.word, amountText(kMaxMoney));
    case StakingProblem::MissingTop:
        return QStringLiteral("double needs its top: double:S,top=K");
    case StakingProblem::BadTop:
        return QStringLiteral("the top \"%1\" of double must be a whole number from 0 to %2")
            .arg(parse.word)
            .arg(kMaxDoublingTop);
    case StakingProblem::BadFraction:
        return QStringLiteral("the fraction \"%1\" must be a number above 0 and at most 1").arg(parse.word);
    case StakingProblem::EmptyLadder:
        return QStringLiteral("the ladder has no step: ladder:A1,...,AM");
    case StakingProblem::LongLadder:
        return QStringLiteral("the ladder has %1 steps, at most %2 are taken").arg(parse.word).arg(kMaxLadderSteps);
    case StakingProblem::BadLadderEntry:
        return QStringLiteral("ladder step %1 (\"%2\") must be a number above 0 and at most %3")
            .arg(parse.entry)
            .arg(parse.word, amountText(kMaxMoney));
    }
    return {};
}

QString stakingProblemTextZh(const StakingRuleParse& parse)
{
    switch (parse.problem) {
    case StakingProblem::None:
        return {};
    case StakingProblem::UnknownRule:
        return QStringLiteral("未知的投注方式“%1”（flat:S、double:S,top=K、ladder:A1,...,AM、fib:S 或 fraction:F）")
            .arg(parse.word);
    case StakingProblem::BadAmount:
        return QStringLiteral("注额“%1”须为大于 0、不超过 %2 的数").arg(parse.word, amountText(kMaxMoney));
    case StakingProblem::MissingTop:
        return QStringLiteral("倍投须写明封顶：double:S,top=K");
    case StakingProblem::BadTop:
        return QStringLiteral("倍投封顶“%1”须为 0 到 %2 的整数").arg(parse.word).arg(kMaxDoublingTop);
    case StakingProblem::BadFraction:
        return QStringLiteral("比例“%1”须为大于 0、不超过 1 的数").arg(parse.word);
    case StakingProblem::EmptyLadder:
        return QStringLiteral("注额序列为空：ladder:A1,...,AM");
    case StakingProblem::LongLadder:
        return QStringLiteral("注额序列有 %1 步，最多 %2 步").arg(parse.word).arg(kMaxLadderSteps);
    case StakingProblem::BadLadderEntry:
        return QStringLiteral("注额序列第 %1 步（“%2”）须为大于 0、不超过 %3 的数")
            .arg(parse.entry)
            .arg(parse.word, amountText(kMaxMoney));
    }
    return {};
}

QString stakingRuleText(const StakingRule& rule)
{
    switch (rule.kind) {
    case StakingKind::Flat:
        return QLatin1String("flat:") + amountText(rule.stake);
    case StakingKind::Double:
        return QStringLiteral("double:%1,top=%2").arg(amountText(rule.stake)).arg(rule.top);
    case StakingKind::Ladder: {
        QStringList steps;
        for (const double step : rule.ladder)
            steps << amountText(step);
        return QLatin1String("ladder:") + steps.join(u',');
    }
    case StakingKind::Fibonacci:
        return QLatin1String("fib:") + amountText(rule.stake);
    case StakingKind::Fraction:
        return QLatin1String("fraction:") + amountText(rule.fraction);
    }
    return {};
}

double ruleStake(const StakingRule& rule, const StakingState& state, double balance)
{
    switch (rule.kind) {
    case StakingKind::Flat:
        return rule.stake;
    case StakingKind::Double:
        return std::ldexp(rule.stake, std::min(state.missRun, rule.top));
    case StakingKind::Ladder:
        return rule.ladder.empty() ? 0 : rule.ladder[std::size_t(state.step)];
    case StakingKind::Fibonacci:
        return rule.stake * kFibonacci[std::size_t(state.step)];
    case StakingKind::Fraction:
        return rule.fraction * balance;
    }
    return 0;
}

void advanceStaking(const StakingRule& rule, StakingState& state, bool hit)
{
    state.missRun = hit ? 0 : state.missRun + 1;
    switch (rule.kind) {
    case StakingKind::Ladder:
        state.step = hit || state.step + 1 >= int(rule.ladder.size()) ? 0 : state.step + 1;
        break;
    case StakingKind::Fibonacci:
        state.step = hit ? std::max(0, state.step - 2) : std::min(kFibonacciSteps - 1, state.step + 1);
        break;
    case StakingKind::Flat:
    case StakingKind::Double:
    case StakingKind::Fraction:
        break;
    }
}

} // namespace tandor28
