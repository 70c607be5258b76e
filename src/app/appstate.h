#pragma once

#include "model/draw.h"

#include <QString>

class QCheckBox;
class QLabel;
class QTableWidget;

namespace tandor28 {

class PeriodsBox;

// The process-wide state of one run. The main window owns it and the refresh writes it; the tabs
// only read it (they get a const reference through their constructors).
struct AppState
{
    DrawHistory history;
    // Seconds until the next refresh is due; goes down once per timer tick.
    int countdown = 0;
    // The lottery at the chooser's selected position.
    LotteryKind lottery = LotteryKind::Lucky28;
    // The period count the running refresh holds the periods box at.
    int periodCount = kPeriodCount;
    // What the server notice told this run.
    QString latestVersion;
    QString updateText;
    QString luckyFeedEndpoint;
};

// The main-window controls that the tabs read or write besides their own: the free generator
// writes the next-issue cells of the member and custom tables, the popup copies the issue label,
// the search looks at the countdown, the alerts read the notification strip.
struct WindowParts
{
    QTableWidget* drawTable = nullptr;
    QTableWidget* freePlanTable = nullptr;
    QTableWidget* memberPlanTable = nullptr;
    QTableWidget* trendTable = nullptr;
    QTableWidget* customPredictionTable = nullptr;
    QLabel* issueLabel = nullptr;
    QLabel* countdownLabel = nullptr;
    PeriodsBox* periodsBox = nullptr;
    QCheckBox* drawNoticeCheck = nullptr;  // "开奖提示"
    QCheckBox* drawHistoryCheck = nullptr; // "历史开奖"
    QCheckBox* drawSoundCheck = nullptr;   // "提示音"
    QCheckBox* trainAlarmCheck = nullptr;  // "火车报警"
};

} // namespace tandor28
