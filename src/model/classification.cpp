#include "classification.h"

#include <cmath>

namespace tandor28 {

QString sizeLabel(int sum)
{
    return sum >= 14 ? QStringLiteral("大") : QStringLiteral("小");
}

QString parityLabel(int sum)
{
    // A floating remainder with a tolerance, so that negative odd sums are odd as well.
    return std::fabs(std::fmod(static_cast<double>(sum), 2.0)) > 1e-7 ? QStringLiteral("单") : QStringLiteral("双");
}

QString comboLabel(int sum)
{
    return sizeLabel(sum) + parityLabel(sum);
}

QString middleEdgeLabel(int sum)
{
    return sum >= 10 && sum <= 17 ? QStringLiteral("中") : QStringLiteral("边");
}

QString extremeLabel(int sum)
{
    if (sum <= 5)
        return QStringLiteral("极小");
    if (sum >= 22)
        return QStringLiteral("极大");
    return {};
}

int sumMod(int sum, int divisor)
{
    if (divisor == 0)
        return 0;
    if (sum >= 0 && sum <= 27)
        return sum % divisor;
    return static_cast<int>(std::fmod(static_cast<double>(sum), static_cast<double>(divisor)));
}

bool isTriple(const Draw& draw)
{
    return draw.d1 == draw.d2 && draw.d2 == draw.d3;
}

bool isPair(const Draw& draw)
{
    if (isTriple(draw))
        return false;
    return draw.d1 == draw.d2 || draw.d1 == draw.d3 || draw.d3 == draw.d2;
}

QString partnerCombo(const QString& combo)
{
    if (combo == u"大单")
        return QStringLiteral("小双");
    if (combo == u"小双")
        return QStringLiteral("大单");
    if (combo == u"大双")
        return QStringLiteral("小单");
    if (combo == u"小单")
        return QStringLiteral("大双");
    return {};
}

QString killComplementText(const QString& combo, bool spaced)
{
    QString otherParity;
    QString remaining;
    if (combo == u"大单") {
        otherParity = QStringLiteral("双");
        remaining = QStringLiteral("小单");
    } else if (combo == u"小单") {
        otherParity = QStringLiteral("双");
        remaining = QStringLiteral("大单");
    } else if (combo == u"大双") {
        otherParity = QStringLiteral("单");
        remaining = QStringLiteral("小双");
    } else if (combo == u"小双") {
        otherParity = QStringLiteral("单");
        remaining = QStringLiteral("大双");
    } else {
        return {};
    }
    return otherParity + (spaced ? QStringLiteral(" + ") : QStringLiteral("+")) + remaining;
}

QString twoDigit(int n)
{
    return n < 10 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
}

QString resultText(int d1, int d2, int d3)
{
    const long long sum = static_cast<long long>(d1) + d2 + d3;
    const QString sumText = sum < 10 ? QStringLiteral("0") + QString::number(sum) : QString::number(sum);
    return QStringLiteral("%1 + %2 + %3 = %4").arg(d1).arg(d2).arg(d3).arg(sumText);
}

Rgb categoryColour(const QString& label)
{
    struct Entry
    {
        const char16_t* label;
        Rgb colour;
    };
    static constexpr Entry table[] = {
        {u"大", {255, 0, 0}},   {u"小", {0, 0, 255}},     {u"单", {144, 0, 255}},  {u"双", {255, 80, 128}},
        {u"小单", {128, 0, 0}}, {u"小双", {128, 0, 128}}, {u"大单", {0, 0, 255}},  {u"大双", {0, 128, 0}},
        {u"中", {0, 128, 0}},   {u"边", {128, 128, 0}},   {u"0", {128, 160, 128}}, {u"1", {0, 96, 192}},
        {u"2", {255, 128, 0}},  {u"3", {128, 0, 128}},    {u"4", {0, 128, 128}},
    };
    for (const Entry& entry : table) {
        if (label == QStringView(entry.label))
            return entry.colour;
    }
    return kBlack;
}

QString Rgb::toHex() const
{
    return QStringLiteral("%1%2%3")
        .arg(r, 2, 16, QLatin1Char('0'))
        .arg(g, 2, 16, QLatin1Char('0'))
        .arg(b, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace tandor28
