#include "judgement.h"

#include "model/classification.h"

#include <QStringView>

#include <cstdlib>

namespace tandor28 {

namespace {

// Decimal text of an integer in a caller's buffer, so that the judgement of a row compares texts
// without allocating (the statistics judge thousands of rows per pass).
class IntText
{
public:
    explicit IntText(long long value, bool twoDigitPrefix = false)
    {
        char16_t reversed[24];
        int count = 0;
        const bool negative = value < 0;
        unsigned long long magnitude =
            negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
        do {
            reversed[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (twoDigitPrefix && value < 10)
            m_text[m_size++] = u'0';
        if (negative)
            m_text[m_size++] = u'-';
        while (count > 0)
            m_text[m_size++] = reversed[--count];
    }
    [[nodiscard]] QStringView view() const { return QStringView(m_text, m_size); }

private:
    char16_t m_text[32] = {};
    qsizetype m_size = 0;
};

// Whether the texts x1 + x2 and y1 + y2 are equal.
bool concatEquals(QStringView x1, QStringView x2, QStringView y1, QStringView y2)
{
    if (x1.size() + x2.size() != y1.size() + y2.size())
        return false;
    const qsizetype total = x1.size() + x2.size();
    for (qsizetype i = 0; i < total; ++i) {
        const QChar x = i < x1.size() ? x1[i] : x2[i - x1.size()];
        const QChar y = i < y1.size() ? y1[i] : y2[i - y1.size()];
        if (x != y)
            return false;
    }
    return true;
}

enum class Outcome
{
    ComboRight,      // "组合对"
    ParityRight,     // "单双对"
    SizeRight,       // "大小对"
    Nothing,         // "没有对"
    KillRight,       // "杀组对"
    Kill3Right,      // "杀三余"
    Kill4Right,      // "杀四余"
    DoubleItemRight, // "双项对"
    KillWrong,       // "杀组错"
};

QString outcomeText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::ComboRight:
        return QStringLiteral("组合对");
    case Outcome::ParityRight:
        return QStringLiteral("单双对");
    case Outcome::SizeRight:
        return QStringLiteral("大小对");
    case Outcome::Nothing:
        return QStringLiteral("没有对");
    case Outcome::KillRight:
        return QStringLiteral("杀组对");
    case Outcome::Kill3Right:
        return QStringLiteral("杀三余");
    case Outcome::Kill4Right:
        return QStringLiteral("杀四余");
    case Outcome::DoubleItemRight:
        return QStringLiteral("双项对");
    case Outcome::KillWrong:
        return QStringLiteral("杀组错");
    }
    return {};
}

// The bet part of a judgement: the outcome and the colours of columns 4, 5 and 6.
struct BetOutcome
{
    Outcome outcome = Outcome::Nothing;
    std::array<std::optional<Rgb>, 3> colours;
};

constexpr std::optional<Rgb> R = kHitRed;
constexpr std::optional<Rgb> G = kMissGreen;

BetOutcome betOutcome(BetType betType, const PredictionValues& values, const Draw& draw)
{
    const int s = draw.sum;
    const QString size = sizeLabel(s);
    const QString parity = parityLabel(s);
    const QStringView a = values.a;
    const QStringView b = values.b ? QStringView(*values.b) : QStringView();
    const BetOutcome nothing{Outcome::Nothing, {G, G, G}};

    switch (betType) {
    case BetType::Combo: {
        const bool sizeEqual = size == a;
        const bool parityEqual = parity == b;
        if (sizeEqual && parityEqual)
            return {Outcome::ComboRight, {R, R, R}};
        if (parityEqual)
            return {Outcome::ParityRight, {G, R, R}};
        if (sizeEqual)
            return {Outcome::SizeRight, {R, G, R}};
        return nothing;
    }
    case BetType::Size:
        return size == a ? BetOutcome{Outcome::SizeRight, {G, R, R}} : nothing;
    case BetType::Parity:
        return parity == b ? BetOutcome{Outcome::ParityRight, {G, R, R}} : nothing;
    case BetType::KillCombo: {
        // The draw's combination against the killed one, a + b, compared as whole texts.
        const bool killed = concatEquals(size, parity, a, b);
        return killed ? nothing : BetOutcome{Outcome::KillRight, {R, R, R}};
    }
    case BetType::Kill3N:
        return IntText(sumMod(s, 3)).view() == a ? nothing : BetOutcome{Outcome::Kill3Right, {R, R, R}};
    case BetType::Kill4N:
        return IntText(sumMod(s, 4)).view() == a ? nothing : BetOutcome{Outcome::Kill4Right, {R, R, R}};
    case BetType::DoubleCombo:
        if (concatEquals(a, {}, size, parity))
            return {Outcome::ComboRight, {R, G, R}};
        if (concatEquals(b, {}, size, parity))
            return {Outcome::ComboRight, {G, R, R}};
        return nothing;
    case BetType::DoubleItem: {
        // The judged draw's own issue picks the attribute: odd issues are bet on parity.
        const QString& attribute = issueIsEven(draw.issue) ? size : parity;
        if (attribute == a)
            return {Outcome::DoubleItemRight, {std::nullopt, R, R}};
        return nothing;
    }
    case BetType::KillDoubleCombo:
        if (concatEquals(a, {}, size, parity))
            return {Outcome::KillWrong, {G, R, G}};
        if (concatEquals(b, {}, size, parity))
            return {Outcome::KillWrong, {R, G, G}};
        return {Outcome::KillRight, {R, R, R}};
    }
    return nothing;
}

bool isMiss(Outcome outcome)
{
    return outcome == Outcome::Nothing || outcome == Outcome::KillWrong;
}

} // namespace

bool issueIsEven(const QString& issue)
{
    // Only the last leading digit decides the parity, so any length of issue number works.
    qsizetype i = 0;
    while (i < issue.size() && (issue[i] == u' ' || issue[i] == u'\t'))
        ++i;
    if (i < issue.size() && (issue[i] == u'-' || issue[i] == u'+'))
        ++i;
    int lastDigit = 0;
    for (; i < issue.size() && issue[i] >= u'0' && issue[i] <= u'9'; ++i)
        lastDigit = issue[i].unicode() - u'0';
    return lastDigit % 2 == 0;
}

PredictionValues predictionValues(BetType betType, int n, const QString& newestSourceIssue)
{
    PredictionValues values;
    values.n = n;
    values.special = twoDigit(n);
    switch (betType) {
    case BetType::Combo:
    case BetType::Size:
    case BetType::Parity:
    case BetType::KillCombo:
        values.a = sizeLabel(n);
        values.b = parityLabel(n);
        break;
    case BetType::Kill3N:
        values.a = QString::number(sumMod(n, 3));
        break;
    case BetType::Kill4N:
        values.a = QString::number(sumMod(n, 4));
        break;
    case BetType::DoubleCombo:
    case BetType::KillDoubleCombo:
        values.a = comboLabel(n);
        values.b = partnerCombo(values.a);
        break;
    case BetType::DoubleItem:
        values.a = issueIsEven(newestSourceIssue) ? parityLabel(n) : sizeLabel(n);
        break;
    }
    return values;
}

std::pair<QString, QString> predictionCells(BetType betType, const QString& a, const std::optional<QString>& b)
{
    const QString second = b.value_or(QString());
    switch (betType) {
    case BetType::Combo:
    case BetType::DoubleCombo:
        return {a, second};
    case BetType::Size:
    case BetType::DoubleItem:
        return {QString(), a};
    case BetType::Parity:
        return {QString(), second};
    case BetType::KillCombo:
        return {QStringLiteral("杀") + a + second, killComplementText(a + second, true)};
    case BetType::Kill3N:
        return {QString(), QStringLiteral("杀3N") + a};
    case BetType::Kill4N:
        return {QString(), QStringLiteral("杀4N") + a};
    case BetType::KillDoubleCombo:
        return {QStringLiteral("杀") + a, QStringLiteral("杀") + second};
    }
    return {};
}

RowJudgement judgeRow(BetType betType, const PredictionValues& values, const Draw& draw)
{
    const BetOutcome bet = betOutcome(betType, values, draw);
    RowJudgement judgement;
    judgement.resultText = outcomeText(bet.outcome);
    judgement.verdict = isMiss(bet.outcome) ? Verdict::Miss : Verdict::Hit;
    judgement.colours = {std::nullopt, bet.colours[0], bet.colours[1], bet.colours[2]};
    // The special number is shown over the bet's result but never changes the verdict.
    if (IntText(draw.sum, true).view() == QStringView(values.special)) {
        judgement.colours[0] = kHitRed;
        judgement.colours[3] = kHitRed;
        judgement.resultText = QStringLiteral("特码对");
    } else {
        judgement.colours[0] = kSpecialBlue;
    }
    return judgement;
}

Verdict judgeVerdict(BetType betType, const PredictionValues& values, const Draw& draw)
{
    return isMiss(betOutcome(betType, values, draw).outcome) ? Verdict::Miss : Verdict::Hit;
}

} // namespace tandor28
