#include "predictiontable.h"

#include <QStringList>

#include <limits>

namespace tandor28 {

QString nextIssueText(const QString& newestIssue)
{
    // Read wide and saturating, so a long or hostile issue text can never overflow.
    qsizetype i = 0;
    while (i < newestIssue.size() && (newestIssue[i] == u' ' || newestIssue[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < newestIssue.size() && (newestIssue[i] == u'-' || newestIssue[i] == u'+')) {
        negative = newestIssue[i] == u'-';
        ++i;
    }
    constexpr long long kMax = std::numeric_limits<long long>::max();
    long long value = 0;
    for (; i < newestIssue.size() && newestIssue[i] >= u'0' && newestIssue[i] <= u'9'; ++i) {
        const int digit = newestIssue[i].unicode() - u'0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    if (negative)
        value = -value;
    return QString::number(value < kMax ? value + 1 : value);
}

std::array<QString, 3> nextIssueCells(const DrawHistory& history)
{
    // Without a newest draw there is no coming issue to name.
    if (history.at(1).isEmpty())
        return {};
    return {nextIssueText(history.at(1).issue), QStringLiteral("00:00"), QStringLiteral("  ?")};
}

PredictionRow nextIssueRow(const DrawHistory& history, BetType betType, const PredictionValues& values)
{
    PredictionRow row;
    const std::array<QString, 3> head = nextIssueCells(history);
    for (int column = 0; column < 3; ++column)
        row[column].text = head[column];
    row[3].text = values.special;
    const auto [first, second] = predictionCells(betType, values.a, values.b);
    row[4].text = first;
    row[5].text = second;
    return row;
}

PredictionRow unjudgedRow(const Draw& draw)
{
    PredictionRow row;
    row[0].text = draw.issue;
    row[1].text = draw.time.left(5);
    row[2].text = draw.resultText;
    for (int column = 3; column < kPredictionColumns; ++column) {
        row[static_cast<std::size_t>(column)].text = QString();
        row[static_cast<std::size_t>(column)].colour = kBlack;
    }
    return row;
}

PredictionRow judgedRow(const Draw& draw, BetType betType, const PredictionValues& values, Verdict* verdict)
{
    PredictionRow row;
    row[0].text = draw.issue;
    row[1].text = draw.time.left(5);
    row[2].text = draw.resultText;
    row[3].text = values.special;
    const auto [first, second] = predictionCells(betType, values.a, values.b);
    row[4].text = first;
    row[5].text = second;
    const RowJudgement judgement = judgeRow(betType, values, draw);
    row[6].text = judgement.resultText;
    for (int i = 0; i < 4; ++i)
        row[3 + i].colour = judgement.colours[i];
    if (verdict)
        *verdict = judgement.verdict;
    return row;
}

QString predictionRowLine(int gridRow, const PredictionRow& row)
{
    QStringList fields{QString::number(gridRow)};
    for (const PredictionCell& cell : row)
        fields.append(cell.text.value_or(QString()));
    for (int column = 3; column < kPredictionColumns; ++column) {
        const std::optional<Rgb>& colour = row[static_cast<std::size_t>(column)].colour;
        fields.append(colour ? colour->toHex() : QStringLiteral("-"));
    }
    return fields.join(u'\t');
}

} // namespace tandor28
