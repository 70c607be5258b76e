#include "keno/kenoscheme.h"
#include "model/classification.h"

#include "kenobodies.h"

#include <QTest>

using namespace tandor28;

Q_DECLARE_METATYPE(tandor28::KenoScheme)
Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// 3 7 12 15 18 22 26 31 33 40 44 47 52 58 61 66 70 73 77 80 when sorted.
const std::vector<int> kShuffled = testsupport::kenoExampleNumbers();

std::vector<int> range(int first, int count, int step = 1)
{
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(first + i * step);
    return numbers;
}

std::vector<int> with(std::vector<int> numbers, int extra)
{
    numbers.push_back(extra);
    return numbers;
}

std::vector<int> replaced(std::vector<int> numbers, std::size_t at, int value)
{
    numbers[at] = value;
    return numbers;
}

} // namespace

class TestKenoScheme : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void digits_data();
    void digits();
    void rejected_data();
    void rejected();
    void schemeNames();
};

void TestKenoScheme::digits_data()
{
    QTest::addColumn<std::vector<int>>("sent");
    QTest::addColumn<KenoScheme>("scheme");
    QTest::addColumn<QString>("result");

    // Hand-computed: interleave sums positions 2,5,..,17 / 3,6,..,18 / 4,7,..,19; block 1-6 / 7-12 / 13-18.
    // clang-format off
    QTest::newRow("1..20 interleave: 57 63 69")       << range(1, 20) << KenoScheme::Interleave << QStringLiteral("7 + 3 + 9 = 19");
    QTest::newRow("1..20 block: 21 57 93")            << range(1, 20) << KenoScheme::Block << QStringLiteral("1 + 7 + 3 = 11");
    QTest::newRow("odd 1..39 interleave: 108 120 132") << range(1, 20, 2) << KenoScheme::Interleave << QStringLiteral("8 + 0 + 2 = 10");
    QTest::newRow("odd 1..39 block: 36 108 180")      << range(1, 20, 2) << KenoScheme::Block << QStringLiteral("6 + 8 + 0 = 14");
    QTest::newRow("shuffled interleave: 228 248 276") << kShuffled << KenoScheme::Interleave << QStringLiteral("8 + 8 + 6 = 22");
    QTest::newRow("shuffled block: 77 221 380")       << kShuffled << KenoScheme::Block << QStringLiteral("7 + 1 + 0 = 08");
    QTest::newRow("descending 80..61 interleave")     << range(80, 20, -1) << KenoScheme::Interleave << QStringLiteral("7 + 3 + 9 = 19");
    QTest::newRow("21st number dropped before sorting") << with(kShuffled, 1) << KenoScheme::Interleave << QStringLiteral("8 + 8 + 6 = 22");
    QTest::newRow("21st number repeating one dropped") << with(kShuffled, 44) << KenoScheme::Block << QStringLiteral("7 + 1 + 0 = 08");
    // clang-format on
}

void TestKenoScheme::digits()
{
    QFETCH(std::vector<int>, sent);
    QFETCH(KenoScheme, scheme);
    QFETCH(QString, result);
    QString why;
    const std::optional<std::vector<int>> numbers = kenoNumbers(sent, &why);
    QVERIFY2(numbers.has_value(), qPrintable(why));
    QCOMPARE(numbers->size(), std::size_t(20));
    QVERIFY(std::is_sorted(numbers->begin(), numbers->end()));
    const std::array<int, 3> digits = kenoDigits(*numbers, scheme);
    QCOMPARE(resultText(digits[0], digits[1], digits[2]), result);
}

void TestKenoScheme::rejected_data()
{
    QTest::addColumn<std::vector<int>>("sent");
    QTest::addColumn<QString>("reason");

    // clang-format off
    QTest::newRow("none")              << std::vector<int>{} << QStringLiteral("0 numbers, 20 needed");
    QTest::newRow("19 numbers")        << range(1, 19) << QStringLiteral("19 numbers, 20 needed");
    QTest::newRow("22 numbers")        << range(1, 22) << QStringLiteral("22 numbers, at most 21 expected");
    QTest::newRow("duplicate")         << replaced(kShuffled, 2, 44) << QStringLiteral("number 44 drawn twice");
    QTest::newRow("zero")              << replaced(kShuffled, 0, 0) << QStringLiteral("number 0 outside 1 to 80");
    QTest::newRow("81")                << replaced(kShuffled, 19, 81) << QStringLiteral("number 81 outside 1 to 80");
    QTest::newRow("negative")          << replaced(kShuffled, 5, -12) << QStringLiteral("number -12 outside 1 to 80");
    QTest::newRow("bad among first 20 with a 21st") << with(replaced(kShuffled, 3, 90), 5) << QStringLiteral("number 90 outside 1 to 80");
    // clang-format on
}

void TestKenoScheme::rejected()
{
    QFETCH(std::vector<int>, sent);
    QFETCH(QString, reason);
    QString why;
    QVERIFY(!kenoNumbers(sent, &why).has_value());
    QCOMPARE(why, reason);
}

void TestKenoScheme::schemeNames()
{
    QCOMPARE(kenoSchemeFromName(u"interleave"), KenoScheme::Interleave);
    QCOMPARE(kenoSchemeFromName(u"BLOCK"), KenoScheme::Block);
    QVERIFY(!kenoSchemeFromName(u"blocks").has_value());
    QCOMPARE(kenoSchemeName(KenoScheme::Block), QStringLiteral("block"));
}

QTEST_GUILESS_MAIN(TestKenoScheme)
#include "tst_kenoscheme.moc"
