#include "plans/bettype.h"
#include "plans/judgement.h"

#include "model/classification.h"

#include "drawbuilders.h"

#include <QTest>

using namespace tandor28;
using testsupport::drawWithSum;

Q_DECLARE_METATYPE(tandor28::BetType)

namespace {

// Colours of columns 3..6 as letters: R hit red, G miss green, B special blue, - unchanged.
QString colourLetters(const RowJudgement& judgement)
{
    QString letters;
    for (const std::optional<Rgb>& colour : judgement.colours) {
        if (!colour)
            letters += u'-';
        else if (*colour == kHitRed)
            letters += u'R';
        else if (*colour == kMissGreen)
            letters += u'G';
        else if (*colour == kSpecialBlue)
            letters += u'B';
        else
            letters += u'?';
    }
    return letters;
}

const QString kNone = QStringLiteral("<none>");

} // namespace

class TestJudgement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void betTypeCodes_data();
    void betTypeCodes();
    void betTypeLabels();
    void predictionValues_data();
    void predictionValues();
    void predictionCells_data();
    void predictionCells();
    void judgeRow_data();
    void judgeRow();
    void verdictAloneMatchesJudgement_data();
    void verdictAloneMatchesJudgement();
    void specialNeverChangesVerdict();
    void issueParity_data();
    void issueParity();
};

void TestJudgement::betTypeCodes_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("label"); // empty: the tab does not offer the code

    QTest::newRow("free 1 combo") << "free" << 1 << "组合";
    QTest::newRow("free 5 kill3n") << "free" << 5 << "杀3N";
    QTest::newRow("free 6 not offered") << "free" << 6 << "";
    QTest::newRow("free 0 not offered") << "free" << 0 << "";
    QTest::newRow("member 6 kill4n") << "member" << 6 << "杀4N";
    QTest::newRow("member 7 double combo") << "member" << 7 << "双组";
    QTest::newRow("member 8 double item") << "member" << 8 << "双项";
    QTest::newRow("member 9 kill double combo") << "member" << 9 << "杀双组";
    QTest::newRow("member 10 not offered") << "member" << 10 << "";
    QTest::newRow("custom 7 kill double combo") << "custom" << 7 << "杀双组";
    QTest::newRow("custom 8 double item") << "custom" << 8 << "双项";
    QTest::newRow("custom 9 not offered") << "custom" << 9 << "";
    QTest::newRow("custom -1 not offered") << "custom" << -1 << "";
}

void TestJudgement::betTypeCodes()
{
    QFETCH(QString, tab);
    QFETCH(int, code);
    QFETCH(QString, label);
    const std::optional<BetType> betType = tab == "free"     ? freeBetType(code)
                                           : tab == "member" ? memberBetType(code)
                                                             : customBetType(code);
    QCOMPARE(betType.has_value(), !label.isEmpty());
    if (betType)
        QCOMPARE(betTypeLabel(*betType), label);
}

void TestJudgement::betTypeLabels()
{
    QCOMPARE(freeBetTypeLabels(), QStringList({"组合", "大小", "单双", "杀组", "杀3N"}));
    QCOMPARE(memberBetTypeLabels(),
             QStringList({"组合", "大小", "单双", "杀组", "杀3N", "杀4N", "双组", "双项", "杀双组"}));
    QCOMPARE(customBetTypeLabels(), QStringList({"组合", "大小", "单双", "杀组", "杀3N", "杀4N", "杀双组", "双项"}));
}

void TestJudgement::predictionValues_data()
{
    QTest::addColumn<BetType>("betType");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("sourceIssue");
    QTest::addColumn<QString>("special");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");

    QTest::newRow("combo 13") << BetType::Combo << 13 << ""
                              << "13"
                              << "小"
                              << "单";
    QTest::newRow("size 14") << BetType::Size << 14 << ""
                             << "14"
                             << "大"
                             << "双";
    QTest::newRow("parity 0") << BetType::Parity << 0 << ""
                              << "00"
                              << "小"
                              << "双";
    QTest::newRow("kill combo 20") << BetType::KillCombo << 20 << ""
                                   << "20"
                                   << "大"
                                   << "双";
    QTest::newRow("kill3n 7") << BetType::Kill3N << 7 << ""
                              << "07"
                              << "1" << kNone;
    QTest::newRow("kill3n 27") << BetType::Kill3N << 27 << ""
                               << "27"
                               << "0" << kNone;
    QTest::newRow("kill4n 7") << BetType::Kill4N << 7 << ""
                              << "07"
                              << "3" << kNone;
    QTest::newRow("kill4n 26") << BetType::Kill4N << 26 << ""
                               << "26"
                               << "2" << kNone;
    QTest::newRow("double combo 5") << BetType::DoubleCombo << 5 << ""
                                    << "05"
                                    << "小单"
                                    << "大双";
    QTest::newRow("double combo 27") << BetType::DoubleCombo << 27 << ""
                                     << "27"
                                     << "大单"
                                     << "小双";
    QTest::newRow("kill double combo 5") << BetType::KillDoubleCombo << 5 << ""
                                         << "05"
                                         << "小单"
                                         << "大双";
    QTest::newRow("kill double combo 14") << BetType::KillDoubleCombo << 14 << ""
                                          << "14"
                                          << "大双"
                                          << "小单";
    QTest::newRow("double item even source bets parity") << BetType::DoubleItem << 13 << "3255100"
                                                         << "13"
                                                         << "单" << kNone;
    QTest::newRow("double item odd source bets size") << BetType::DoubleItem << 13 << "3255101"
                                                      << "13"
                                                      << "小" << kNone;
    QTest::newRow("double item empty source counts even") << BetType::DoubleItem << 20 << ""
                                                          << "20"
                                                          << "双" << kNone;
    QTest::newRow("double item text source counts even") << BetType::DoubleItem << 21 << "abc"
                                                         << "21"
                                                         << "单" << kNone;
    QTest::newRow("double item long odd issue") << BetType::DoubleItem << 21 << "98765432109876543211"
                                                << "21"
                                                << "大" << kNone;
}

void TestJudgement::predictionValues()
{
    QFETCH(BetType, betType);
    QFETCH(int, n);
    QFETCH(QString, sourceIssue);
    QFETCH(QString, special);
    QFETCH(QString, a);
    QFETCH(QString, b);
    const PredictionValues values = tandor28::predictionValues(betType, n, sourceIssue);
    QCOMPARE(values.n, n);
    QCOMPARE(values.special, special);
    QCOMPARE(values.a, a);
    QCOMPARE(values.b.value_or(kNone), b);
}

void TestJudgement::predictionCells_data()
{
    QTest::addColumn<BetType>("betType");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("sourceIssue");
    QTest::addColumn<QString>("column4");
    QTest::addColumn<QString>("column5");

    QTest::newRow("combo 13") << BetType::Combo << 13 << ""
                              << "小"
                              << "单";
    QTest::newRow("size 13") << BetType::Size << 13 << ""
                             << ""
                             << "小";
    QTest::newRow("parity 13") << BetType::Parity << 13 << ""
                               << ""
                               << "单";
    QTest::newRow("kill combo 20") << BetType::KillCombo << 20 << ""
                                   << "杀大双"
                                   << "单 + 小双";
    QTest::newRow("kill combo 1") << BetType::KillCombo << 1 << ""
                                  << "杀小单"
                                  << "双 + 大单";
    QTest::newRow("kill3n 7") << BetType::Kill3N << 7 << ""
                              << ""
                              << "杀3N1";
    QTest::newRow("kill4n 7") << BetType::Kill4N << 7 << ""
                              << ""
                              << "杀4N3";
    QTest::newRow("double combo 5") << BetType::DoubleCombo << 5 << ""
                                    << "小单"
                                    << "大双";
    QTest::newRow("double item odd source") << BetType::DoubleItem << 20 << "7"
                                            << ""
                                            << "大";
    QTest::newRow("kill double combo 5") << BetType::KillDoubleCombo << 5 << ""
                                         << "杀小单"
                                         << "杀大双";
}

void TestJudgement::predictionCells()
{
    QFETCH(BetType, betType);
    QFETCH(int, n);
    QFETCH(QString, sourceIssue);
    QFETCH(QString, column4);
    QFETCH(QString, column5);
    const PredictionValues values = tandor28::predictionValues(betType, n, sourceIssue);
    const auto [first, second] = tandor28::predictionCells(betType, values.a, values.b);
    QCOMPARE(first, column4);
    QCOMPARE(second, column5);
}

void TestJudgement::judgeRow_data()
{
    QTest::addColumn<BetType>("betType");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("sourceIssue");
    QTest::addColumn<QString>("drawIssue");
    QTest::addColumn<int>("sum");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("hit");
    QTest::addColumn<QString>("colours"); // columns 3..6

    QTest::newRow("combo both right") << BetType::Combo << 13 << ""
                                      << "" << 1 << "组合对" << true << "BRRR";
    QTest::newRow("combo parity right") << BetType::Combo << 13 << ""
                                        << "" << 15 << "单双对" << true << "BGRR";
    QTest::newRow("combo size right") << BetType::Combo << 13 << ""
                                      << "" << 12 << "大小对" << true << "BRGR";
    QTest::newRow("combo nothing") << BetType::Combo << 13 << ""
                                   << "" << 14 << "没有对" << false << "BGGG";
    QTest::newRow("combo special") << BetType::Combo << 13 << ""
                                   << "" << 13 << "特码对" << true << "RRRR";
    QTest::newRow("size right") << BetType::Size << 13 << ""
                                << "" << 5 << "大小对" << true << "BGRR";
    QTest::newRow("size wrong") << BetType::Size << 13 << ""
                                << "" << 20 << "没有对" << false << "BGGG";
    QTest::newRow("size special") << BetType::Size << 13 << ""
                                  << "" << 13 << "特码对" << true << "RGRR";
    QTest::newRow("parity right") << BetType::Parity << 13 << ""
                                  << "" << 3 << "单双对" << true << "BGRR";
    QTest::newRow("parity wrong") << BetType::Parity << 13 << ""
                                  << "" << 4 << "没有对" << false << "BGGG";
    QTest::newRow("kill combo right") << BetType::KillCombo << 20 << ""
                                      << "" << 21 << "杀组对" << true << "BRRR";
    QTest::newRow("kill combo wrong") << BetType::KillCombo << 20 << ""
                                      << "" << 22 << "没有对" << false << "BGGG";
    QTest::newRow("kill combo special is a miss") << BetType::KillCombo << 20 << ""
                                                  << "" << 20 << "特码对" << false << "RGGR";
    QTest::newRow("kill3n right") << BetType::Kill3N << 7 << ""
                                  << "" << 9 << "杀三余" << true << "BRRR";
    QTest::newRow("kill3n wrong") << BetType::Kill3N << 7 << ""
                                  << "" << 10 << "没有对" << false << "BGGG";
    QTest::newRow("kill3n special is a miss") << BetType::Kill3N << 7 << ""
                                              << "" << 7 << "特码对" << false << "RGGR";
    QTest::newRow("kill4n right") << BetType::Kill4N << 7 << ""
                                  << "" << 12 << "杀四余" << true << "BRRR";
    QTest::newRow("kill4n wrong") << BetType::Kill4N << 7 << ""
                                  << "" << 11 << "没有对" << false << "BGGG";
    QTest::newRow("double combo first") << BetType::DoubleCombo << 5 << ""
                                        << "" << 3 << "组合对" << true << "BRGR";
    QTest::newRow("double combo second") << BetType::DoubleCombo << 5 << ""
                                         << "" << 22 << "组合对" << true << "BGRR";
    QTest::newRow("double combo neither") << BetType::DoubleCombo << 5 << ""
                                          << "" << 15 << "没有对" << false << "BGGG";
    QTest::newRow("double combo special") << BetType::DoubleCombo << 5 << ""
                                          << "" << 5 << "特码对" << true << "RRGR";
    QTest::newRow("double item parity right") << BetType::DoubleItem << 13 << "3255100"
                                              << "3255101" << 15 << "双项对" << true << "B-RR";
    QTest::newRow("double item parity wrong") << BetType::DoubleItem << 13 << "3255100"
                                              << "3255101" << 16 << "没有对" << false << "BGGG";
    QTest::newRow("double item size right") << BetType::DoubleItem << 13 << "3255101"
                                            << "3255102" << 3 << "双项对" << true << "B-RR";
    QTest::newRow("double item size wrong") << BetType::DoubleItem << 13 << "3255101"
                                            << "3255102" << 20 << "没有对" << false << "BGGG";
    QTest::newRow("double item empty issue judged on size") << BetType::DoubleItem << 13 << "3255101"
                                                            << "" << 4 << "双项对" << true << "B-RR";
    QTest::newRow("double item parity bet judged on even issue compares size")
        << BetType::DoubleItem << 13 << "3255100"
        << "3255102" << 15 << "没有对" << false << "BGGG";
    QTest::newRow("double item special keeps hit") << BetType::DoubleItem << 13 << "3255100"
                                                   << "3255101" << 13 << "特码对" << true << "R-RR";
    QTest::newRow("kill double combo right") << BetType::KillDoubleCombo << 5 << ""
                                             << "" << 2 << "杀组对" << true << "BRRR";
    QTest::newRow("kill double combo wrong on first") << BetType::KillDoubleCombo << 5 << ""
                                                      << "" << 3 << "杀组错" << false << "BGRG";
    QTest::newRow("kill double combo wrong on second") << BetType::KillDoubleCombo << 5 << ""
                                                       << "" << 22 << "杀组错" << false << "BRGG";
    QTest::newRow("kill double combo special stays a miss") << BetType::KillDoubleCombo << 5 << ""
                                                            << "" << 5 << "特码对" << false << "RGRR";
    QTest::newRow("special below ten compares two digits") << BetType::Size << 3 << ""
                                                           << "" << 3 << "特码对" << true << "RGRR";
}

void TestJudgement::judgeRow()
{
    QFETCH(BetType, betType);
    QFETCH(int, n);
    QFETCH(QString, sourceIssue);
    QFETCH(QString, drawIssue);
    QFETCH(int, sum);
    QFETCH(QString, result);
    QFETCH(bool, hit);
    QFETCH(QString, colours);
    const PredictionValues values = tandor28::predictionValues(betType, n, sourceIssue);
    const Draw draw = drawWithSum(drawIssue, sum);
    QCOMPARE(draw.sum, sum);
    const RowJudgement judgement = tandor28::judgeRow(betType, values, draw);
    QCOMPARE(judgement.resultText, result);
    QCOMPARE(judgement.verdict == Verdict::Hit, hit);
    QCOMPARE(colourLetters(judgement), colours);
}

void TestJudgement::verdictAloneMatchesJudgement_data()
{
    QTest::addColumn<BetType>("betType");
    for (const BetType betType : {BetType::Combo, BetType::Size, BetType::Parity, BetType::KillCombo, BetType::Kill3N,
                                  BetType::Kill4N, BetType::DoubleCombo, BetType::DoubleItem, BetType::KillDoubleCombo})
        QTest::newRow(qPrintable(betTypeLabel(betType))) << betType;
}

void TestJudgement::verdictAloneMatchesJudgement()
{
    QFETCH(BetType, betType);
    int hits = 0;
    int misses = 0;
    for (int n = 0; n <= 27; ++n) {
        for (const QString& source : {QStringLiteral("100"), QStringLiteral("101")}) {
            const PredictionValues values = tandor28::predictionValues(betType, n, source);
            for (int sum = 0; sum <= 27; ++sum) {
                for (const QString& issue : {QStringLiteral("101"), QStringLiteral("102")}) {
                    const Draw draw = drawWithSum(issue, sum);
                    const RowJudgement judgement = tandor28::judgeRow(betType, values, draw);
                    QCOMPARE(judgeVerdict(betType, values, draw), judgement.verdict);
                    // Misses are exactly the rows that show a miss text, or the special number over one.
                    const bool missText = judgement.resultText == u"没有对" || judgement.resultText == u"杀组错";
                    if (missText)
                        QCOMPARE(judgement.verdict, Verdict::Miss);
                    (judgement.verdict == Verdict::Hit ? hits : misses) += 1;
                }
            }
        }
    }
    QVERIFY(hits > 0);
    QVERIFY(misses > 0);
}

void TestJudgement::specialNeverChangesVerdict()
{
    // For every bet type and n, the draw whose sum equals n shows "特码对" but keeps the bet's verdict:
    // a kill of the drawn combination or remainder is a miss.
    for (int n = 0; n <= 27; ++n) {
        const Draw draw = drawWithSum("101", n);
        for (const BetType betType : {BetType::KillCombo, BetType::Kill3N, BetType::Kill4N}) {
            const RowJudgement judgement =
                tandor28::judgeRow(betType, tandor28::predictionValues(betType, n, ""), draw);
            QCOMPARE(judgement.resultText, QStringLiteral("特码对"));
            QCOMPARE(judgement.verdict, Verdict::Miss);
        }
        const RowJudgement combo =
            tandor28::judgeRow(BetType::Combo, tandor28::predictionValues(BetType::Combo, n, ""), draw);
        QCOMPARE(combo.verdict, Verdict::Hit);
    }
}

void TestJudgement::issueParity_data()
{
    QTest::addColumn<QString>("issue");
    QTest::addColumn<bool>("even");
    QTest::newRow("even") << "3255100" << true;
    QTest::newRow("odd") << "3255101" << false;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("not a number") << "x17" << true;
    QTest::newRow("leading digits only") << "13abc" << false;
    QTest::newRow("longer than 64 bits odd") << "123456789012345678901234567" << false;
    QTest::newRow("negative odd") << "-3" << false;
}

void TestJudgement::issueParity()
{
    QFETCH(QString, issue);
    QFETCH(bool, even);
    QCOMPARE(issueIsEven(issue), even);
}

QTEST_APPLESS_MAIN(TestJudgement)
#include "tst_judgement.moc"
