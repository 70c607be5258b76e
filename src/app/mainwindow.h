#pragma once

#include "app/analysistab.h"
#include "app/appstate.h"
#include "archive/drawarchive.h"
#include "feed/countdown.h"
#include "feed/endpoints.h"
#include "feed/feedfetch.h"
#include "feed/issueplausibility.h"
#include "feed/notice.h"
#include "feed/sources.h"

#include <QByteArray>
#include <QDateTime>
#include <QFutureWatcher>
#include <QLockFile>
#include <QMainWindow>
#include <QThreadPool>
#include <QTimer>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QUrl;

namespace Ui {
class MainWindow;
}

namespace tandor28 {

class AlarmTab;
class CustomTab;
class FreePlansTab;
class MemberPlansTab;
class TrendTab;

// What the main window needs from the outside world. Tests replace them: the clock, the modal
// message boxes (answered without a modal wait), opening a web page, the configuration file.
struct MainWindowServices
{
    std::function<QDateTime()> clock;
    // An information box with an OK button.
    std::function<void(const QString& caption, const QString& text)> inform;
    // A question box with Yes and No; true for Yes.
    std::function<bool(const QString& caption, const QString& text)> ask;
    std::function<void(const QUrl& url)> openUrl;
    // tandor28.ini; empty means the one beside the executable.
    QString iniPath;
    // The stored draws the long-run analysis reads; none when empty.
    ArchiveReader archive;
    // The draw archive file; empty means the user's (draws.sqlite3 in the data folder).
    QString archivePath;
    // The save dialog of the archive export: the chosen file, empty when cancelled.
    std::function<QString(const QString& caption, const QString& suggested)> saveFileName;
    // Timeout of the notice and feed fetches in seconds, as HttpRequest takes it (0: 15 s).
    int fetchTimeoutSeconds = 0;
    // The data folder the window locks for itself; empty means the user's (fileLocations().dataDir).
    QString dataFolder;
};

enum class StartOutcome
{
    Running,           // the notice was applied and the first refresh is under way
    ServerUnreachable, // the notice could not be fetched: the program ends
    OtherVersion,      // the notice announces another version: the program ends
    AlreadyRunning,    // another window uses the same data folder: this one says so and ends
};

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(MainWindowServices services = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The creation steps: server notice, table styling, plan buttons, selections, rule lists,
    // saved algorithms, the lottery by the hour, the first refresh. The caller ends the program
    // unless the outcome is Running.
    [[nodiscard]] StartOutcome start();

    // Reloads the history and recomputes every view. Asked for while one runs, it is remembered
    // and runs once more right after the running one ends.
    void refreshAll();
    // One second of the refresh timer.
    void onTimerTick();
    // A spin button of the periods box: +1 or -1.
    void onPeriodsSpin(int step);

    [[nodiscard]] const AppState& state() const { return m_state; }
    [[nodiscard]] bool isRefreshing() const { return m_refreshing; }
    // The archive kept for this run; none when it could not be opened (the status bar says why).
    [[nodiscard]] DrawArchive* archive() const { return m_archive.get(); }
    // Waits until the archive writes asked so far are done (for tests and shutdown).
    void waitForArchive();
    [[nodiscard]] int refreshCount() const { return m_refreshCount; }
    // Whether the fetch of the last finished refresh gave a new history.
    [[nodiscard]] bool lastFetchSucceeded() const { return m_lastFetch.failure == FetchFailure::None; }
    // Why the fetch of the last finished refresh gave nothing (None when it succeeded); the history
    // is left out, the state holds it.
    [[nodiscard]] const FeedFetchResult& lastFetch() const { return m_lastFetch; }
    [[nodiscard]] QTimer* refreshTimer() { return &m_refreshTimer; }

    [[nodiscard]] FreePlansTab* freePlansTab() const { return m_freePlansTab; }
    [[nodiscard]] MemberPlansTab* memberPlansTab() const { return m_memberPlansTab; }
    [[nodiscard]] TrendTab* trendTab() const { return m_trendTab; }
    [[nodiscard]] AlarmTab* alarmTab() const { return m_alarmTab; }
    [[nodiscard]] CustomTab* customTab() const { return m_customTab; }
    [[nodiscard]] AnalysisTab* analysisTab() const { return m_analysisTab; }

Q_SIGNALS:
    // A refresh has run all its steps (also when its fetch failed).
    void refreshFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void openArchive();
    void keepInArchive(LotteryKind lottery, std::vector<DatedDraw> draws, const QString& source);
    void onArchiveWritten();
    void exportArchive();
    void backfillArchive();
    // The sources of a lottery as tandor28.ini and the notice give them; empty when it has none.
    [[nodiscard]] std::vector<DrawSource> sourcesOf(LotteryKind kind) const;

    [[nodiscard]] StartOutcome applyServerNotice();
    void styleTables();
    void styleTabTables();
    void selectLotteryByHour();
    void onLotteryChanged(int index);
    void beginRefresh();
    void onFetchFinished();
    void finishRefresh();
    void writeDrawRows();
    void writeHeadline();
    void writeFetchStatus();
    void showCountdown();
    void writeCaption();
    void showContact();
    void showIntroduction();
    void openSite();

    const std::unique_ptr<Ui::MainWindow> m_ui;
    MainWindowServices m_services;
    AppState m_state;
    FreePlansTab* m_freePlansTab = nullptr;
    MemberPlansTab* m_memberPlansTab = nullptr;
    TrendTab* m_trendTab = nullptr;
    AlarmTab* m_alarmTab = nullptr;
    CustomTab* m_customTab = nullptr;
    AnalysisTab* m_analysisTab = nullptr;
    QLabel* m_statusLabel = nullptr;
    Endpoints m_endpoints;
    ServerNotice m_notice;
    QTimer m_refreshTimer;
    CountdownSchedule m_schedule;
    QFutureWatcher<FeedFetchResult> m_fetchWatcher;
    // The lottery the running refresh fetched, whatever the chooser shows meanwhile.
    LotteryKind m_refreshLottery = LotteryKind::Lucky28;
    bool m_refreshFromTick = false;
    // The running refresh's fetch brought a newest draw other than the one shown before.
    bool m_newDraw = false;
    FeedFetchResult m_lastFetch{std::nullopt, FetchFailure::Network, 0, {}, {}};
    bool m_refreshing = false;
    bool m_refreshPending = false;
    int m_refreshCount = 0;
    std::unique_ptr<QLockFile> m_folderLock; // held from the start to the end of the window
    std::shared_ptr<DrawArchive> m_archive;
    QString m_archiveNote;   // why the archive is unavailable, or what its last write brought
    QString m_sourceNote;    // the source that answered, or why the fetch counted as failed
    bool m_noSource = false; // the lottery of the last refresh has no source to ask
    std::optional<LotteryKind> m_shownLottery;
    // The newest issue of each lottery that was plausible: what later fetches are measured against.
    std::array<std::optional<IssueAnchor>, 2> m_lastPlausible;
    // Turns true when the window closes: what runs on the archive's thread stops at its next step.
    const std::shared_ptr<std::atomic<bool>> m_closing = std::make_shared<std::atomic<bool>>(false);
    QThreadPool m_archivePool; // one thread: writes reach the file in the order of the fetches
    QFutureWatcher<ArchiveAdd> m_archiveWatcher;
    bool m_settingLottery = false;
};

} // namespace tandor28
