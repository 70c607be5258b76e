#pragma once

#include "feed/notice.h"
#include "model/draw.h"

#include <QString>

namespace tandor28 {

// Where the notice document and the Canada 28 host are. The Lucky 28 feed comes from the notice.
// An empty `notice` means there is no notice server: the start-up asks none, and the Lucky 28
// sources come from [sources] alone.
struct Endpoints
{
    QString notice;
    QString canada;
};

inline constexpr auto kDefaultNoticeEndpoint = "http://127.0.0.1:8828/notice.txt";
inline constexpr auto kDefaultCanadaEndpoint = "http://127.0.0.1:8828";
inline constexpr auto kCanadaFeedPath = "/api.php?t=jnd28";

// The tandor28.ini the program reads its endpoints from: beside a portable program, else the
// user's own one, else the default shipped under share/tandor28.
[[nodiscard]] QString endpointsIniPath();

// Reads the [endpoints] group of tandor28.ini (keys notice and canada); a missing file or key gives
// the default, which points at the local draw server. A notice key left empty stays empty.
[[nodiscard]] Endpoints loadEndpoints(const QString& iniPath);

// The feed URL of a lottery: Lucky 28 is the notice's JK1 endpoint, Canada 28 the configured host
// followed by "/api.php?t=jnd28".
[[nodiscard]] QString feedUrl(LotteryKind kind, const Endpoints& endpoints, const ServerNotice& notice);

// The tandor28.ini a user edits to change the settings read from `iniPath`: the shipped default
// under share/tandor28 is the system's, so the user's own file stands in for it.
[[nodiscard]] QString settingsToEdit(const QString& iniPath);

} // namespace tandor28
