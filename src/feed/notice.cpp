#include "notice.h"

#include <QStringDecoder>

namespace tandor28 {

QString noticeField(const QString& document, const QString& key, const QString& marker)
{
    const qsizetype keyAt = document.indexOf(key, 0, Qt::CaseInsensitive);
    if (keyAt < 0)
        return {};
    const qsizetype valueAt = keyAt + key.size();
    const qsizetype markerAt = document.indexOf(marker, valueAt);
    if (markerAt < 0)
        return {};
    return document.mid(valueAt, markerAt - valueAt);
}

ServerNotice parseServerNotice(const QByteArray& body)
{
    QStringDecoder decoder("GBK");
    const QString document = decoder.isValid() ? decoder.decode(body) : QString::fromLatin1(body);
    ServerNotice notice;
    notice.latestVersion = noticeField(document, QStringLiteral("版本:"), QStringLiteral("]1"));
    notice.announcement = noticeField(document, QStringLiteral("公告:"), QStringLiteral("]4"));
    notice.updateText = noticeField(document, QStringLiteral("更新:"), QStringLiteral("]5"));
    notice.luckyFeedEndpoint = noticeField(document, QStringLiteral("JK1:"), QStringLiteral("]7"));
    return notice;
}

NoticeOutcome noticeOutcome(const QByteArray& body, const ServerNotice& notice)
{
    if (body.isEmpty())
        return NoticeOutcome::Unreachable;
    if (notice.latestVersion != QLatin1String(kCurrentVersion))
        return NoticeOutcome::UpdateNeeded;
    return NoticeOutcome::GoOn;
}

QString noticeCaption()
{
    return QStringLiteral("Tandor提示：");
}

QString unreachableText()
{
    return QStringLiteral("连接服务器失败，关闭杀毒后重试或者检查网络是否连接");
}

QString downloadSiteUrl()
{
    return QStringLiteral("https://download.tandor28.example/");
}

QString contactText()
{
    return QStringLiteral("客服邮箱：support@tandor28.example");
}

QString updateQuestionText(const QString& latestVersion)
{
    return QStringLiteral("软件已更新，请下载最新版使用\r\n\r\n最新版本：") + latestVersion +
           QStringLiteral("\r\n\r\n") + contactText() + QStringLiteral("\r\n\r\n软件下载地址：") + downloadSiteUrl() +
           QStringLiteral("\r\n\r\n是否打开网站？");
}

QString connectedStatusText(const QString& latestVersion)
{
    return QStringLiteral("当前状态：连接服务器成功，当前版本:") + latestVersion;
}

QString noNoticeServerStatusText()
{
    return QStringLiteral("当前状态：未配置公告服务器，当前版本:") + QLatin1String(kCurrentVersion);
}

QString fetchFailedStatusText(const QString& reason, const QString& latestVersion)
{
    return QStringLiteral("当前状态：获取开奖失败（") + reason + QStringLiteral("），当前版本:") + latestVersion;
}

} // namespace tandor28
