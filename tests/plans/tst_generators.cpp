#include "plans/generators.h"

#include "model/classification.h"

#include "drawbuilders.h"

#include <QTest>

using namespace tandor28;
using testsupport::drawWithDigits;
using testsupport::sampleHistory;

namespace {

// Plan 1 predicts the sum of the newest source draw, so the prediction judged against the draw at
// position k is the sum of the draw at position k + 1. The other plans fill the list.
QStringList sumOfSourceRules(int count)
{
    QStringList rules{QStringLiteral("S----1|2|3")};
    while (rules.size() < count)
        rules.append(QStringLiteral("P----1+4+7|2+5+8|3+6+9+12"));
    return rules;
}

std::optional<PredictionTable> generate(const QString& tab, const DrawHistory& history, const QStringList& rules,
                                        int plan, int code, int periods)
{
    return tab == "free" ? generateFreeTable(history, rules, plan, code, periods)
                         : generateMemberTable(history, rules, plan, code, periods);
}

QString text(const PredictionRow& row, int column)
{
    return row[static_cast<std::size_t>(column)].text.value_or(QStringLiteral("<unwritten>"));
}

} // namespace

class TestGenerators : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void needsTenDraws_data();
    void needsTenDraws();
    void rejectsPlansAndCodesTheTabLacks_data();
    void rejectsPlansAndCodesTheTabLacks();
    void nextIssueRow_data();
    void nextIssueRow();
    void noNewestDrawNoComingIssue();
    void judgedRowsUseTheFourEarlierDraws_data();
    void judgedRowsUseTheFourEarlierDraws();
    void periodCountSetsRows_data();
    void periodCountSetsRows();
    void freeKill3NKeepsParityList();
    void memberSecondListOnlyWhereShown_data();
    void memberSecondListOnlyWhereShown();
    void memberDoubleItemFollowsIssueParity();
    void timeCellTakesFiveCharacters();
    void shippedRulesEvaluateTheirOwnLine();
};

void TestGenerators::needsTenDraws_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("draws");
    QTest::addColumn<bool>("generated");
    QTest::newRow("free 9 draws") << "free" << 9 << false;
    QTest::newRow("free 10 draws") << "free" << 10 << true;
    QTest::newRow("member 0 draws") << "member" << 0 << false;
    QTest::newRow("member 9 draws") << "member" << 9 << false;
    QTest::newRow("member 10 draws") << "member" << 10 << true;
}

void TestGenerators::needsTenDraws()
{
    QFETCH(QString, tab);
    QFETCH(int, draws);
    QFETCH(bool, generated);
    const std::optional<PredictionTable> table = generate(tab, sampleHistory(draws), sumOfSourceRules(56), 1, 1, 100);
    QCOMPARE(table.has_value(), generated);
    if (table) // a short history reads empty draws beyond its end: still a full table
        QCOMPARE(table->rows.size(), std::size_t(101));
}

void TestGenerators::rejectsPlansAndCodesTheTabLacks_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("generated");
    QTest::newRow("free plan 16") << "free" << 16 << 5 << true;
    QTest::newRow("free plan 17") << "free" << 17 << 1 << false;
    QTest::newRow("free plan 0") << "free" << 0 << 1 << false;
    QTest::newRow("free code 6") << "free" << 1 << 6 << false;
    QTest::newRow("member plan 56 code 9") << "member" << 56 << 9 << true;
    QTest::newRow("member plan 57") << "member" << 57 << 1 << false;
    QTest::newRow("member code 10") << "member" << 1 << 10 << false;
    QTest::newRow("member code 0") << "member" << 1 << 0 << false;
}

void TestGenerators::rejectsPlansAndCodesTheTabLacks()
{
    QFETCH(QString, tab);
    QFETCH(int, plan);
    QFETCH(int, code);
    QFETCH(bool, generated);
    QCOMPARE(generate(tab, sampleHistory(110), sumOfSourceRules(56), plan, code, 100).has_value(), generated);
}

void TestGenerators::nextIssueRow_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("newestIssue");
    QTest::addColumn<QString>("nextIssue");
    QTest::addColumn<QString>("column4");
    QTest::addColumn<QString>("column5");

    // The newest draw is 4 + 5 + 8 = 17, so prediction 1 is 17 (大单).
    QTest::newRow("free combo") << "free" << 1 << "3255100"
                                << "3255101"
                                << "大"
                                << "单";
    QTest::newRow("free kill3n") << "free" << 5 << "3255100"
                                 << "3255101"
                                 << ""
                                 << "杀3N2";
    QTest::newRow("member kill combo") << "member" << 4 << "3255100"
                                       << "3255101"
                                       << "杀大单"
                                       << "双 + 小单";
    QTest::newRow("member kill4n") << "member" << 6 << "3255100"
                                   << "3255101"
                                   << ""
                                   << "杀4N1";
    QTest::newRow("member double item even newest bets parity") << "member" << 8 << "3255100"
                                                                << "3255101"
                                                                << ""
                                                                << "单";
    QTest::newRow("member double item odd newest bets size") << "member" << 8 << "3255101"
                                                             << "3255102"
                                                             << ""
                                                             << "大";
    QTest::newRow("issue without digits gives 1") << "member" << 1 << "abc"
                                                  << "1"
                                                  << "大"
                                                  << "单";
    QTest::newRow("issue beyond 32 bits") << "free" << 1 << "99999999999"
                                          << "100000000000"
                                          << "大"
                                          << "单";
}

void TestGenerators::nextIssueRow()
{
    QFETCH(QString, tab);
    QFETCH(int, code);
    QFETCH(QString, newestIssue);
    QFETCH(QString, nextIssue);
    QFETCH(QString, column4);
    QFETCH(QString, column5);
    std::vector<Draw> draws = sampleHistory(110).draws();
    draws[0] = drawWithDigits(newestIssue, 4, 5, 8);
    const std::optional<PredictionTable> table = generate(tab, DrawHistory(draws), sumOfSourceRules(56), 1, code, 100);
    QVERIFY(table);
    const PredictionRow& row = table->rows.front();
    QCOMPARE(text(row, 0), nextIssue);
    QCOMPARE(text(row, 1), QStringLiteral("00:00"));
    QCOMPARE(text(row, 2), QStringLiteral("  ?"));
    QCOMPARE(text(row, 3), QStringLiteral("17"));
    QCOMPARE(text(row, 4), column4);
    QCOMPARE(text(row, 5), column5);
    QCOMPARE(text(row, 6), QStringLiteral("<unwritten>"));
    for (const PredictionCell& cell : row)
        QVERIFY(!cell.colour.has_value());
    QCOMPARE(nextIssueCells(DrawHistory(draws)), (std::array<QString, 3>{nextIssue, "00:00", "  ?"}));
}

void TestGenerators::noNewestDrawNoComingIssue()
{
    // Position 1 without a draw (no issue): nothing is predicted for a coming issue nobody can name.
    std::vector<Draw> draws = sampleHistory(110).draws();
    draws[0] = Draw{};
    const DrawHistory history(draws);
    QCOMPARE(nextIssueCells(history), (std::array<QString, 3>{}));
    for (const QString& tab : {QStringLiteral("free"), QStringLiteral("member")}) {
        const std::optional<PredictionTable> table = generate(tab, history, sumOfSourceRules(56), 1, 1, 100);
        QVERIFY(table);
        for (int column = 0; column < 7; ++column)
            QCOMPARE(text(table->rows.front(), column), QString());
        QVERIFY(!table->verdicts.front().has_value());
    }
}

void TestGenerators::judgedRowsUseTheFourEarlierDraws_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("code");
    for (int code = 1; code <= 5; ++code)
        QTest::addRow("free code %d", code) << "free" << code;
    for (int code = 1; code <= 9; ++code)
        QTest::addRow("member code %d", code) << "member" << code;
}

void TestGenerators::judgedRowsUseTheFourEarlierDraws()
{
    QFETCH(QString, tab);
    QFETCH(int, code);
    const DrawHistory history = sampleHistory(110);
    const std::optional<PredictionTable> table = generate(tab, history, sumOfSourceRules(56), 1, code, 100);
    QVERIFY(table);
    QCOMPARE(table->rows.size(), std::size_t(101));
    QCOMPARE(table->verdicts.size(), std::size_t(100));
    const BetType betType = *(tab == "free" ? freeBetType(code) : memberBetType(code));
    int hits = 0;
    for (int k = 1; k <= 100; ++k) {
        const Draw& draw = history.at(k);
        const Draw& source = history.at(k + 1);
        const PredictionRow& row = table->rows[static_cast<std::size_t>(k)];
        QCOMPARE(text(row, 0), draw.issue);
        QCOMPARE(text(row, 1), draw.time);
        QCOMPARE(text(row, 2), draw.resultText);
        QCOMPARE(text(row, 3), twoDigit(source.sum));
        PredictionValues values = predictionValues(betType, source.sum, source.issue);
        if (tab == "free")
            values.b = parityLabel(source.sum);
        const auto [first, second] = predictionCells(betType, values.a, values.b);
        QCOMPARE(text(row, 4), first);
        QCOMPARE(text(row, 5), second);
        const RowJudgement judgement = judgeRow(betType, values, draw);
        QCOMPARE(text(row, 6), judgement.resultText);
        QVERIFY(!row[0].colour && !row[1].colour && !row[2].colour);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(row[static_cast<std::size_t>(3 + i)].colour, judgement.colours[static_cast<std::size_t>(i)]);
        QCOMPARE(table->verdicts[static_cast<std::size_t>(k - 1)], std::optional<Verdict>(judgement.verdict));
        hits += judgement.verdict == Verdict::Hit ? 1 : 0;
    }
    QVERIFY(hits > 0 && hits < 100);
}

void TestGenerators::periodCountSetsRows_data()
{
    QTest::addColumn<int>("periods");
    QTest::addColumn<int>("rows");
    QTest::newRow("100") << 100 << 101;
    QTest::newRow("20") << 20 << 21;
    QTest::newRow("0 writes only the next-issue row") << 0 << 1;
    QTest::newRow("negative counts as 0") << -5 << 1;
}

void TestGenerators::periodCountSetsRows()
{
    QFETCH(int, periods);
    QFETCH(int, rows);
    for (const QString tab : {"free", "member"}) {
        const std::optional<PredictionTable> table =
            generate(tab, sampleHistory(110), sumOfSourceRules(56), 1, 1, periods);
        QVERIFY(table);
        QCOMPARE(int(table->rows.size()), rows);
        QCOMPARE(int(table->predictions.size()), rows);
    }
}

void TestGenerators::freeKill3NKeepsParityList()
{
    const DrawHistory history = sampleHistory(110);
    const std::optional<PredictionTable> table = generateFreeTable(history, sumOfSourceRules(16), 1, 5, 100);
    QVERIFY(table);
    for (int k = 1; k <= 101; ++k) {
        const PredictionValues& values = table->predictions[static_cast<std::size_t>(k - 1)];
        const int n = history.at(k).sum;
        QCOMPARE(values.n, n);
        QCOMPARE(values.a, QString::number(n % 3));
        QCOMPARE(values.b, std::optional<QString>(parityLabel(n)));
        QCOMPARE(text(table->rows[static_cast<std::size_t>(k - 1)], 5), QStringLiteral("杀3N") + values.a);
    }
}

void TestGenerators::memberSecondListOnlyWhereShown_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("hasSecond");
    const bool expected[] = {true, true, true, true, false, false, true, false, true};
    for (int code = 1; code <= 9; ++code)
        QTest::addRow("code %d", code) << code << expected[code - 1];
}

void TestGenerators::memberSecondListOnlyWhereShown()
{
    QFETCH(int, code);
    QFETCH(bool, hasSecond);
    const DrawHistory history = sampleHistory(110);
    const std::optional<PredictionTable> table = generateMemberTable(history, sumOfSourceRules(56), 1, code, 100);
    QVERIFY(table);
    for (const PredictionValues& values : table->predictions) {
        QCOMPARE(values.b.has_value(), hasSecond);
        if (code == 7 || code == 9) {
            QCOMPARE(values.a, comboLabel(values.n));
            QCOMPARE(*values.b, partnerCombo(values.a));
        }
    }
}

void TestGenerators::memberDoubleItemFollowsIssueParity()
{
    // Consecutive issues: a row whose source issue is even bets on parity and is judged on parity.
    const DrawHistory history = sampleHistory(110, 3255100);
    const std::optional<PredictionTable> table = generateMemberTable(history, sumOfSourceRules(56), 1, 8, 100);
    QVERIFY(table);
    int parityRows = 0;
    int sizeRows = 0;
    for (int k = 1; k <= 100; ++k) {
        const Draw& draw = history.at(k);
        const Draw& source = history.at(k + 1);
        const PredictionRow& row = table->rows[static_cast<std::size_t>(k)];
        const bool sourceEven = source.issue.toLongLong() % 2 == 0;
        const QString bet = sourceEven ? parityLabel(source.sum) : sizeLabel(source.sum);
        const QString drawn = sourceEven ? parityLabel(draw.sum) : sizeLabel(draw.sum);
        QCOMPARE(text(row, 5), bet);
        QCOMPARE(table->verdicts[static_cast<std::size_t>(k - 1)] == Verdict::Hit, bet == drawn);
        (sourceEven ? parityRows : sizeRows) += 1;
    }
    QCOMPARE(parityRows, 50);
    QCOMPARE(sizeRows, 50);
}

void TestGenerators::timeCellTakesFiveCharacters()
{
    std::vector<Draw> draws = sampleHistory(110).draws();
    draws[0] = drawWithDigits("3255100", 1, 2, 3, "12:05:33");
    const std::optional<PredictionTable> table =
        generateMemberTable(DrawHistory(draws), sumOfSourceRules(56), 1, 1, 100);
    QVERIFY(table);
    QCOMPARE(text(table->rows[1], 1), QStringLiteral("12:05"));
}

void TestGenerators::shippedRulesEvaluateTheirOwnLine()
{
    // Member plans 29 to 32 evaluate lines 29 to 32 of the shipped list.
    const PlanRules rules = loadPlanRules();
    const DrawHistory history = sampleHistory(110);
    for (int plan = 29; plan <= 32; ++plan) {
        const std::optional<PredictionTable> table = generateMemberTable(history, rules.member, plan, 1, 100);
        QVERIFY(table);
        WorkingValues values{};
        for (int k = 1; k <= 101; ++k) {
            fillPlanSlots(values, history, k);
            QCOMPARE(table->predictions[static_cast<std::size_t>(k - 1)].n,
                     planNumber(rules.member.at(plan - 1), values));
        }
    }
}

QTEST_APPLESS_MAIN(TestGenerators)
#include "tst_generators.moc"
