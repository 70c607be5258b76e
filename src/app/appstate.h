#pragma once

#include "model/draw.h"

#include <QObject>
#include <QString>

namespace tandor28 {

// The facts of one run that more than one part of the window needs: the results of the last
// refresh and what the headline shows. The main window owns it and is its only writer; the tabs get
// a const reference through their constructors, read the facts and connect to the signals, so no
// tab needs to know the main window or read another widget to learn what happened. A QObject of
// its own rather than signals of the main window: tabs and their tests use it without a main window.
//
// The facts are public for reading. The ones others react to change through the setters, which
// announce the change; the rest (period count, notice texts) the main window sets in place, and so
// the raw countdown of a tick whose refresh is still to come (the label waits for that refresh).
class AppState : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    DrawHistory history;
    // Seconds until the next refresh is due, as the countdown label shows it; below 0 the draw is
    // overdue ("开奖中").
    int countdown = 0;
    // The lottery of the running or last refresh.
    LotteryKind lottery = LotteryKind::Lucky28;
    // The period count the running refresh holds the periods box at.
    int periodCount = kPeriodCount;
    // The issue the headline shows: "000000" before the first refresh, then the newest draw's.
    QString shownIssue = QStringLiteral("000000");
    // The period count the "期数：" box reads now (its leading integer): the generators show this
    // many judged rows, as many as their grid holds.
    int boxPeriods = kPeriodCount;
    // The options "开奖提示" (open the popup for a new draw) and "提示音" (its sounds).
    bool drawNotice = false;
    bool drawSound = false;
    // What the server notice told this run.
    QString latestVersion;
    QString updateText;
    QString luckyFeedEndpoint;

    // A fetch brought a new history.
    void setHistory(DrawHistory newHistory);
    // The countdown as the label shows it from now on.
    void setCountdown(int seconds);
    void setLottery(LotteryKind kind);
    // The headline now shows this issue.
    void setShownIssue(const QString& issue);
    // The main window's inputs, as the user changes them; read where they are used.
    void setBoxPeriods(int periods) { boxPeriods = periods; }
    void setDrawNotice(bool on) { drawNotice = on; }
    void setDrawSound(bool on) { drawSound = on; }

    [[nodiscard]] bool isOverdue() const { return countdown < 0; }
    // The issue label's text for the shown issue: "幸运28 第3255300期".
    [[nodiscard]] QString headlineIssueText() const;

Q_SIGNALS:
    void historyChanged();
    void countdownChanged(int countdown);
    // The countdown went below 0: the next draw is overdue. Announced with every such countdown.
    void drawOverdue();
    void lotteryChanged(LotteryKind lottery);
    void shownIssueChanged(const QString& issue);
};

} // namespace tandor28
