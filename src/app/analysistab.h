#pragma once

#include "app/appstate.h"

#include "analysis/liveanalysis.h"
#include "analysis/snapshot.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class QChart;
class QChartView;
class QComboBox;
class QLineSeries;
class QBarSet;
class QTableWidget;

namespace Ui {
class AnalysisTab;
}

namespace tandor28 {

// The draws the archive holds for a lottery, oldest first; empty without an archive. It runs on a
// worker thread, so whatever it reads it opens on that thread.
// What a read of the archive gave: its draws, or why there are none (a damaged file), which the
// tab shows instead of figures from part of the draws.
struct ArchiveRead
{
    ArchiveRead(DrawSeries read = {}, QString problem = {}) : series(std::move(read)), damage(std::move(problem)) {}
    DrawSeries series;
    QString damage;
};
using ArchiveReader = std::function<ArchiveRead(LotteryKind)>;
// The reader of the archive file at `path`, opened on the worker that reads it. An archive that
// cannot be opened reads as no draws; one whose draws cannot be read gives the reason.
[[nodiscard]] ArchiveReader archiveFileReader(const QString& path);
// The saved algorithms to judge beside the plans, read on the window thread when a computation starts.
using AlgorithmReader = std::function<std::vector<CustomAlgorithm>()>;

// Tab "长期分析": backtests of every plan of a bet type over the archive, missed-draw counts, hot and
// cold sums and their charts. Nothing is read or computed before the tab is first shown, nor while it
// is hidden. The first computation runs on a worker thread over the whole archive; after it, each new
// draw moves the figures on in place (the same for any length of archive), and the window thread
// only writes the results into the widgets.
class AnalysisTab : public QWidget
{
    Q_OBJECT

public:
    AnalysisTab(const AppState& state, ArchiveReader archive, QWidget* parent = nullptr);
    ~AnalysisTab() override;

    // After every refresh: when the lottery or its newest draw changed, a shown tab moves its figures
    // on by the new draws (or recomputes, for another lottery or draws past a gap); a hidden tab only
    // notes that it is behind.
    void onRefreshFinished();
    // Recomputes over the whole archive with the controls' values. Asked for while one runs, it runs
    // once more afterwards.
    void recompute();
    void setAlgorithmReader(AlgorithmReader reader) { m_algorithms = std::move(reader); }
    // Writes a finished computation into the tables and charts, one part per turn of the event loop
    // so that no turn holds the window thread for long; snapshotShown() follows the last part. A
    // snapshot arriving meanwhile replaces the one being shown.
    void showSnapshot(const AnalysisSnapshot& snapshot);
    // Writes the next part of the snapshot being shown at once; false when no part was left.
    bool showNextPart();
    // The rolling hit-rate curve of the plan in a row of the backtest table.
    void showPlanCurve(int row);

    [[nodiscard]] QTableWidget* backtestTable() const;
    [[nodiscard]] QTableWidget* missedTable() const;
    [[nodiscard]] QComboBox* betTypeBox() const;
    [[nodiscard]] QChart* curveChart() const;
    [[nodiscard]] QChart* sumsChart() const;
    [[nodiscard]] QChart* missedChart() const;
    [[nodiscard]] QChart* hotColdChart() const;
    [[nodiscard]] bool isComputing() const { return m_computing; }
    [[nodiscard]] int shownCount() const { return m_shownCount; }
    // The rows the running (or last) computation's plan backtests judged so far.
    [[nodiscard]] std::shared_ptr<const std::atomic<qint64>> judgedRows() const { return m_judgedRows; }

Q_SIGNALS:
    void snapshotShown();
    void curveShown();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Computation
    {
        AnalysisSnapshot snapshot;
        std::shared_ptr<LiveAnalysis> live;
        QString damage; // why the archive could not be read; the figures are the feed's alone then
    };
    struct Curve
    {
        QString title;
        std::vector<double> rates;
        double accuracy = 0;
    };

    [[nodiscard]] AnalysisRequest currentRequest() const;
    // Brings a shown tab up to the window's newest draw.
    void catchUp();
    // Whether the saved algorithms are still those a computation judged.
    [[nodiscard]] bool sameAlgorithms(const AnalysisRequest& computed) const;
    void onComputationFinished();
    void onCurveFinished();
    void writeStatus(const AnalysisSnapshot& snapshot);
    void fillBacktestTable(const AnalysisSnapshot& snapshot);
    void fillMissedTable(const AnalysisSnapshot& snapshot);
    void drawSums(const AnalysisSnapshot& snapshot);
    void drawMissed(const AnalysisSnapshot& snapshot);
    void drawHotCold(const AnalysisSnapshot& snapshot);
    void followShownCurve();

    const std::unique_ptr<Ui::AnalysisTab> m_ui;
    const AppState& m_state;
    ArchiveReader m_archive;
    QString m_archiveDamage; // of the last computation's read
    AlgorithmReader m_algorithms;
    const PlanRules m_rules;
    // The computation runs on the tab's own pool, so that the tab, destroyed, stops it and waits for
    // it alone: the window closes at the computation's next step instead of at its end.
    QThreadPool m_pool;
    std::stop_source m_stop;
    std::shared_ptr<std::atomic<qint64>> m_judgedRows = std::make_shared<std::atomic<qint64>>(0);
    QFutureWatcher<Computation> m_watcher;
    QFutureWatcher<Curve> m_curveWatcher;
    // The figures as last computed or moved on; only the window thread touches them.
    std::shared_ptr<LiveAnalysis> m_live;
    // The lottery and newest issue the figures were last brought up to.
    std::optional<std::pair<LotteryKind, QString>> m_computedFor;
    bool m_computing = false;
    bool m_pending = false; // a recomputation asked for while one ran
    bool m_behind = false;  // a refresh came while the tab was hidden
    int m_shownCount = 0;
    // The snapshot whose parts are being written, the next part, and the turn that writes it.
    std::shared_ptr<const AnalysisSnapshot> m_showing;
    std::size_t m_nextPart = 0;
    QTimer m_partTimer;

    // The plan whose curve is shown, so a new table can show that plan's curve again.
    struct CurvePlan
    {
        int tab = 0;
        int plan = 0;
        QString formulas;
    };
    std::optional<CurvePlan> m_curvePlan;
    QLineSeries* m_curveLine = nullptr;
    QLineSeries* m_sumsLine = nullptr;
    QBarSet* m_missedCurrent = nullptr;
    QBarSet* m_missedLongest = nullptr;
    QBarSet* m_hotCount = nullptr;
    QBarSet* m_hotExpected = nullptr;
};

} // namespace tandor28
