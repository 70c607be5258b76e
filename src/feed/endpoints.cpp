#include "endpoints.h"

#include "paths/filelocations.h"

#include <QFileInfo>
#include <QSettings>

namespace tandor28 {

QString endpointsIniPath()
{
    return fileLocations().settingsFile;
}

Endpoints loadEndpoints(const QString& iniPath)
{
    Endpoints endpoints{QString::fromLatin1(kDefaultNoticeEndpoint), QString::fromLatin1(kDefaultCanadaEndpoint)};
    if (!QFileInfo(iniPath).isFile())
        return endpoints;
    const QSettings settings(iniPath, QSettings::IniFormat);
    const QString notice = settings.value(QStringLiteral("endpoints/notice")).toString().trimmed();
    const QString canada = settings.value(QStringLiteral("endpoints/canada")).toString().trimmed();
    if (!notice.isEmpty() || settings.contains(QStringLiteral("endpoints/notice")))
        endpoints.notice = notice;
    if (!canada.isEmpty())
        endpoints.canada = canada;
    return endpoints;
}

QString settingsToEdit(const QString& iniPath)
{
    const FileLocations locations = fileLocations();
    if (!locations.portable && !locations.userSettingsFile.isEmpty() &&
        QFileInfo(iniPath).absoluteFilePath() == QFileInfo(locations.settingsFile).absoluteFilePath())
        return locations.userSettingsFile;
    return iniPath;
}

QString feedUrl(LotteryKind kind, const Endpoints& endpoints, const ServerNotice& notice)
{
    if (kind == LotteryKind::Lucky28)
        return notice.luckyFeedEndpoint;
    QString host = endpoints.canada;
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return host + QLatin1String(kCanadaFeedPath);
}

} // namespace tandor28
