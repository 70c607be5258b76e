#pragma once

#include <QByteArray>
#include <QString>

namespace tandor28 {

inline constexpr auto kCurrentVersion = "1.4.0";

// What the notice server tells this run. Each field of the document is a key, the value and a
// closing marker: "版本:" ... "]1", "公告:" ... "]4", "更新:" ... "]5", "JK1:" ... "]7".
struct ServerNotice
{
    QString latestVersion;
    QString announcement;
    QString updateText;
    QString luckyFeedEndpoint;
};

// Reads the notice document (GBK). Keys are found without regard to letter case; a value runs up to
// the next closing marker after its key; a missing key or marker gives the empty text.
[[nodiscard]] ServerNotice parseServerNotice(const QByteArray& body);

// The text between the first `key` (any letter case) and the next `marker` after it.
[[nodiscard]] QString noticeField(const QString& document, const QString& key, const QString& marker);

enum class NoticeOutcome
{
    GoOn,         // the version matches: apply the notice and go on
    UpdateNeeded, // ask whether to open the download site, then end
    Unreachable,  // the document was empty: tell the user, then end
};

// The decision for a fetched notice body (as fetchText returned it) and its parsed fields.
[[nodiscard]] NoticeOutcome noticeOutcome(const QByteArray& body, const ServerNotice& notice);

// Message box caption of the notice messages.
[[nodiscard]] QString noticeCaption();
// Message shown when the notice server cannot be reached.
[[nodiscard]] QString unreachableText();
// Question asked when a newer version exists; ends with "是否打开网站？".
[[nodiscard]] QString updateQuestionText(const QString& latestVersion);
// Status bar text after a successful notice.
[[nodiscard]] QString connectedStatusText(const QString& latestVersion);
// Status bar text when tandor28.ini names no notice server.
[[nodiscard]] QString noNoticeServerStatusText();
// Status bar text after a draw fetch that failed, with its reason in a few words.
[[nodiscard]] QString fetchFailedStatusText(const QString& reason, const QString& latestVersion);
// Where the newest version is offered.
[[nodiscard]] QString downloadSiteUrl();
// The maker's contact line shown in the update question.
[[nodiscard]] QString contactText();

} // namespace tandor28
