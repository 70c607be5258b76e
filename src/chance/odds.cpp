#include "odds.h"

#include <QFileInfo>
#include <QSettings>

#include <cmath>

namespace tandor28 {

int tripleCountOfSum(int sum)
{
    int count = 0;
    for (int d1 = 0; d1 <= 9; ++d1)
        for (int d2 = 0; d2 <= 9; ++d2) {
            const int d3 = sum - d1 - d2;
            count += d3 >= 0 && d3 <= 9 ? 1 : 0;
        }
    return count;
}

OddsTable defaultOdds()
{
    OddsTable odds;
    const auto set = [&odds](BetClass betClass, double value) {
        odds.classes[static_cast<std::size_t>(betClass)] = value;
    };
    for (const BetClass betClass : {BetClass::Big, BetClass::Small, BetClass::Odd, BetClass::Even})
        set(betClass, 1.98);
    set(BetClass::BigOdd, 4.2);
    set(BetClass::SmallEven, 4.2);
    set(BetClass::BigEven, 3.6);
    set(BetClass::SmallOdd, 3.6);
    set(BetClass::ExtremeBig, 15);
    set(BetClass::ExtremeSmall, 15);
    set(BetClass::Triple, 50);
    set(BetClass::Pair, 3.3);
    set(BetClass::Straight, 12);
    for (int sum = 0; sum < kLawSums; ++sum) {
        // In tenths, so that 900 / 75 = 12 comes out as 12.0 and not as 11.9 by rounding.
        const int tenths = 9000 / tripleCountOfSum(sum);
        odds.sums[static_cast<std::size_t>(sum)] = tenths / 10.0;
    }
    return odds;
}

OddsTable loadOdds(const QString& iniPath)
{
    OddsTable odds = defaultOdds();
    if (!QFileInfo(iniPath).isFile())
        return odds;
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("odds"));
    const auto read = [&](const QString& key, double& value) {
        if (!settings.contains(key))
            return;
        const QString text = settings.value(key).toString().trimmed();
        bool ok = false;
        const double parsed = text.toDouble(&ok);
        if (!ok || !std::isfinite(parsed) || parsed <= 0) {
            odds.problems << QStringLiteral("[odds] %1=%2: not a positive payout").arg(key, text);
            return;
        }
        value = parsed;
    };
    for (const BetClass betClass : allBetClasses())
        read(betClassName(betClass), odds.classes[static_cast<std::size_t>(betClass)]);
    for (int sum = 0; sum < kLawSums; ++sum)
        read(QString::number(sum), odds.sums[static_cast<std::size_t>(sum)]);
    settings.endGroup();
    return odds;
}

} // namespace tandor28
