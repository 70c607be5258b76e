#include "chancesettings.h"

#include <QFileInfo>
#include <QSettings>

namespace tandor28 {

QString chanceKey(LotteryKind kind)
{
    return kind == LotteryKind::Lucky28 ? QStringLiteral("lucky28") : QStringLiteral("canada28");
}

ChanceScheme defaultChanceScheme(LotteryKind kind)
{
    // Lucky 28's digits were taken from a 20-of-80 draw by blocks of six; Canada 28 interleaves.
    return kind == LotteryKind::Lucky28 ? ChanceScheme::Block : ChanceScheme::Interleave;
}

ChanceSetting loadChanceScheme(const QString& iniPath, LotteryKind kind)
{
    ChanceSetting setting{defaultChanceScheme(kind), {}};
    if (!QFileInfo(iniPath).isFile())
        return setting;
    const QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QStringLiteral("chance/") + chanceKey(kind);
    if (!settings.contains(key))
        return setting;
    const QString text = settings.value(key).toString();
    if (const std::optional<ChanceScheme> scheme = chanceSchemeFromName(text))
        setting.scheme = *scheme;
    else
        setting.problem = QStringLiteral("[chance] %1=%2: not interleave, block or uniform").arg(chanceKey(kind), text);
    return setting;
}

} // namespace tandor28
