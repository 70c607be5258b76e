#include "app/analysistab.h"

#include "archive/drawarchive.h"

#include "custom/formula.h"
#include "plans/bettype.h"
#include "ui_analysistab.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLineSeries>
#include <QTableWidget>
#include <QValueAxis>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tandor28 {

namespace {

// clang-format off
const QStringList kBacktestHeaders = {
    QStringLiteral("计划"), QStringLiteral("对"), QStringLiteral("错"), QStringLiteral("正确率"),
    QStringLiteral("最长连中"), QStringLiteral("最长连挂"), QStringLiteral("连中"), QStringLiteral("连挂"),
    QStringLiteral("近100"), QStringLiteral("近500"), QStringLiteral("近1000"), QStringLiteral("跳过"),
};
const QStringList kMissedHeaders = {
    QStringLiteral("项目"), QStringLiteral("当前"), QStringLiteral("最大"), QStringLiteral("平均"),
};
// clang-format on

// A missed count at or above this share of its longest run is highlighted: it is close to a record.
constexpr int kHighlightPercent = 80;
const QColor kHighlight(255, 204, 128);

// The most points a curve is drawn with; longer curves are thinned evenly.
constexpr int kCurvePoints = 2000;
constexpr int kCurveWindow = 100;

// An item that sorts by a number kept beside its text.
class SortedItem : public QTableWidgetItem
{
public:
    SortedItem(const QString& text, double key) : QTableWidgetItem(text) { setData(Qt::UserRole, key); }

    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QTableWidgetItem* numberItem(int value)
{
    auto* item = new SortedItem(QString::number(value), value);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

QTableWidgetItem* rateItem(const std::optional<double>& rate)
{
    auto* item = new SortedItem(rate ? twoDecimals(*rate) : QStringLiteral("-"), rate.value_or(-1));
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

void setUpTable(QTableWidget* table, const QStringList& headers)
{
    table->setColumnCount(int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    // Columns are sized once after a fill: sizing to contents on every item change makes a refill
    // quadratic in the rows.
}

// The view's own chart is used: a chart set in its place would leave the view's first one behind.
QChart* makeChart(QChartView* view, const QString& title)
{
    QChart* chart = view->chart();
    chart->setTitle(title);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    view->setRenderHint(QPainter::Antialiasing);
    return chart;
}

QLineSeries* addLine(QChart* chart, const QString& xTitle, const QString& yTitle)
{
    auto* line = new QLineSeries;
    chart->addSeries(line);
    chart->legend()->hide();
    auto* x = new QValueAxis;
    x->setTitleText(xTitle);
    x->setLabelFormat(QStringLiteral("%d"));
    auto* y = new QValueAxis;
    y->setTitleText(yTitle);
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    line->attachAxis(x);
    line->attachAxis(y);
    return line;
}

// A bar chart over the 28 sums with two sets side by side.
std::pair<QBarSet*, QBarSet*> addSumBars(QChart* chart, const QString& first, const QString& second,
                                         const QColor& firstColour, const QColor& secondColour)
{
    auto* bars = new QBarSeries;
    auto* a = new QBarSet(first);
    auto* b = new QBarSet(second);
    a->setColor(firstColour);
    a->setBorderColor(firstColour);
    b->setColor(secondColour);
    b->setBorderColor(secondColour);
    bars->append(a);
    bars->append(b);
    bars->setBarWidth(0.9);
    chart->addSeries(bars);
    // The bars hang on a category axis of the 28 sums, but 28 labels do not fit the chart's width
    // (Qt shows "…" for each); a value axis below labels every third sum in their place.
    auto* categories = new QBarCategoryAxis;
    QStringList sums;
    for (int sum = 0; sum < kSumCount; ++sum)
        sums << QString::number(sum);
    categories->append(sums);
    categories->setVisible(false);
    auto* x = new QValueAxis;
    x->setRange(-0.5, kSumCount - 0.5);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(3);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setGridLineVisible(false);
    auto* y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(categories, Qt::AlignBottom);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(categories);
    bars->attachAxis(y);
    return {a, b};
}

void setBars(QBarSet* set, const QList<qreal>& values)
{
    set->remove(0, set->count());
    set->append(values);
}

QValueAxis* valueAxis(QChart* chart, Qt::Orientation orientation)
{
    const QList<QAbstractAxis*> axes = chart->axes(orientation);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
}

// Rounds an axis maximum up to a readable figure.
double niceCeiling(double value)
{
    if (value <= 10)
        return 10;
    const double step = std::pow(10.0, std::floor(std::log10(value)));
    return std::ceil(value / step * 2) * step / 2;
}

// Free plans sort first, then member plans, then saved algorithms in list order.
// The smallest 1, 2 or 5 times a power of ten that is at least `value`.
double roundStep(double value)
{
    const double power = std::pow(10.0, std::floor(std::log10(std::max(value, 1.0))));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= value)
            return factor * power;
    return 10 * power;
}

int planKey(PlanTab tab, int plan)
{
    return (tab == PlanTab::Free ? 0 : tab == PlanTab::Member ? 100 : 200) + plan;
}

QString planCaption(const PlanBacktest& item)
{
    switch (item.tab) {
    case PlanTab::Free:
        return freePlanCaption(item.plan);
    case PlanTab::Member:
        return memberPlanCaption(item.plan);
    case PlanTab::Custom:
        break;
    }
    return QStringLiteral("算法：%1").arg(item.name);
}

// The item data of a backtest row's first cell: what its curve is computed from.
enum RowRole
{
    TabRole = Qt::UserRole + 1,
    PlanRole,
    CodeRole,
    FormulasRole,
};

// The parts a snapshot is written in, each small enough for one turn of the event loop.
using ShowPart = void (AnalysisTab::*)(const AnalysisSnapshot&);

} // namespace

ArchiveReader archiveFileReader(const QString& path)
{
    return [path](LotteryKind lottery) -> ArchiveRead {
        const ArchiveOpening opening = DrawArchive::open(path);
        if (!opening.archive)
            return {};
        QString damage;
        DrawSeries series = opening.archive->loadSeries(lottery, 0, &damage);
        return {std::move(series), damage};
    };
}

AnalysisTab::AnalysisTab(const AppState& state, ArchiveReader archive, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AnalysisTab>()), m_state(state), m_archive(std::move(archive)),
      m_rules(loadPlanRules())
{
    m_ui->setupUi(this);
    m_ui->analysisBetTypeBox->addItems(memberBetTypeLabels());
    m_ui->analysisBacktestLastBox->setCurrentIndex(2);
    setUpTable(m_ui->backtestTable, kBacktestHeaders);
    setUpTable(m_ui->missedTable, kMissedHeaders);
    m_ui->missedTable->setRowCount(kMissedItemCount);
    // The charts get the larger share: the tables scroll, the charts cannot.
    m_ui->analysisSplitter->setSizes({340, 540});

    m_curveLine = addLine(makeChart(m_ui->curveChart, QStringLiteral("滚动命中率（点击回测表的计划）")),
                          QStringLiteral("判定期数"), QStringLiteral("%"));
    m_sumsLine =
        addLine(makeChart(m_ui->sumsChart, QStringLiteral("近期和值")), QStringLiteral("期"), QStringLiteral("和值"));
    QValueAxis* sumAxis = valueAxis(sumsChart(), Qt::Vertical);
    sumAxis->setRange(0, 27);
    sumAxis->setTickType(QValueAxis::TicksDynamic);
    sumAxis->setTickAnchor(0);
    sumAxis->setTickInterval(9);
    // Until a plan is clicked the curve chart shows the scale of a curve, not five zeros.
    valueAxis(curveChart(), Qt::Vertical)->setRange(0, 100);
    valueAxis(curveChart(), Qt::Horizontal)->setRange(0, 1000);
    std::tie(m_missedCurrent, m_missedLongest) =
        addSumBars(makeChart(m_ui->missedChart, QStringLiteral("和值遗漏")), QStringLiteral("当前"),
                   QStringLiteral("最大"), QColor(220, 60, 40), QColor(160, 170, 190));
    std::tie(m_hotCount, m_hotExpected) =
        addSumBars(makeChart(m_ui->hotColdChart, QStringLiteral("冷热（近期出现 / 期望）")), QStringLiteral("出现"),
                   QStringLiteral("期望"), QColor(40, 110, 200), QColor(160, 170, 190));

    m_partTimer.setInterval(0);
    connect(&m_partTimer, &QTimer::timeout, this, [this] {
        if (!showNextPart())
            m_partTimer.stop();
    });
    connect(&m_watcher, &QFutureWatcher<Computation>::finished, this, &AnalysisTab::onComputationFinished);
    connect(&m_curveWatcher, &QFutureWatcher<Curve>::finished, this, &AnalysisTab::onCurveFinished);
    connect(m_ui->analysisRecomputeButton, &QPushButton::clicked, this, &AnalysisTab::recompute);
    for (QComboBox* box : {m_ui->analysisBetTypeBox, m_ui->analysisBacktestLastBox, m_ui->analysisRecentLastBox})
        connect(box, &QComboBox::currentIndexChanged, this, &AnalysisTab::recompute);
    connect(m_ui->backtestTable, &QTableWidget::cellClicked, this, [this](int row, int) { showPlanCurve(row); });
}

AnalysisTab::~AnalysisTab()
{
    m_stop.request_stop();
    m_pool.waitForDone();
}

QTableWidget* AnalysisTab::backtestTable() const
{
    return m_ui->backtestTable;
}

QTableWidget* AnalysisTab::missedTable() const
{
    return m_ui->missedTable;
}

QComboBox* AnalysisTab::betTypeBox() const
{
    return m_ui->analysisBetTypeBox;
}

QChart* AnalysisTab::curveChart() const
{
    return m_ui->curveChart->chart();
}

QChart* AnalysisTab::sumsChart() const
{
    return m_ui->sumsChart->chart();
}

QChart* AnalysisTab::missedChart() const
{
    return m_ui->missedChart->chart();
}

QChart* AnalysisTab::hotColdChart() const
{
    return m_ui->hotColdChart->chart();
}

AnalysisRequest AnalysisTab::currentRequest() const
{
    AnalysisRequest request;
    request.betType = memberBetType(m_ui->analysisBetTypeBox->currentIndex() + 1).value_or(BetType::Combo);
    bool number = false;
    const int last = m_ui->analysisBacktestLastBox->currentText().toInt(&number);
    request.backtestLast = number ? last : INT_MAX;
    request.recentLast = std::max(1, m_ui->analysisRecentLastBox->currentText().toInt());
    if (m_algorithms)
        request.algorithms = m_algorithms();
    return request;
}

void AnalysisTab::onRefreshFinished()
{
    if (!isVisible()) {
        m_behind = true;
        return;
    }
    catchUp();
}

void AnalysisTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_behind || !m_computedFor)
        catchUp();
}

bool AnalysisTab::sameAlgorithms(const AnalysisRequest& computed) const
{
    // Only what is judged counts: the custom tab rewrites its own figures of an algorithm every refresh.
    const std::vector<CustomAlgorithm> now = m_algorithms ? m_algorithms() : std::vector<CustomAlgorithm>{};
    return std::equal(now.begin(), now.end(), computed.algorithms.begin(), computed.algorithms.end(),
                      [](const CustomAlgorithm& a, const CustomAlgorithm& b) {
                          return a.name == b.name && a.formulas == b.formulas;
                      });
}

void AnalysisTab::catchUp()
{
    m_behind = false;
    const std::pair<LotteryKind, QString> key{m_state.lottery, m_state.history.at(1).issue};
    if (m_computedFor == key)
        return;
    if (m_computing) {
        // The running computation ends with a catch-up.
        return;
    }
    if (m_live && m_computedFor && m_computedFor->first == key.first && sameAlgorithms(m_live->request())) {
        if (const std::optional<int> added = m_live->append(seriesFromHistory(m_state.history))) {
            m_computedFor = key;
            if (*added > 0)
                showSnapshot(m_live->snapshot());
            return;
        }
    }
    recompute();
}

void AnalysisTab::recompute()
{
    if (m_computing) {
        m_pending = true;
        return;
    }
    m_computing = true;
    m_computedFor = std::pair{m_state.lottery, m_state.history.at(1).issue};
    m_ui->analysisStatusLabel->setText(QStringLiteral("计算中…"));
    // Everything the worker needs is copied here; it never touches the tab.
    const DrawSeries fresh = seriesFromHistory(m_state.history);
    const LotteryKind lottery = m_state.lottery;
    const ArchiveReader archive = m_archive;
    const PlanRules rules = m_rules;
    AnalysisRequest request = currentRequest();
    request.stop = m_stop.get_token();
    m_judgedRows->store(0);
    request.judgedRows = m_judgedRows;
    m_watcher.setFuture(QtConcurrent::run(&m_pool, [fresh, lottery, archive, rules, request] {
        ArchiveRead stored = archive ? archive(lottery) : ArchiveRead{};
        if (request.stop.stop_requested())
            return Computation{};
        auto live = std::make_shared<LiveAnalysis>(mergeSeries(std::move(stored.series), fresh), rules, request);
        if (live->stopped())
            return Computation{};
        return Computation{live->snapshot(), live, stored.damage};
    }));
}

void AnalysisTab::onComputationFinished()
{
    m_computing = false;
    const Computation computation = m_watcher.result();
    if (!computation.live)
        return; // stopped: the tab is going away
    m_live = computation.live;
    m_archiveDamage = computation.damage;
    showSnapshot(computation.snapshot);
    if (m_pending) {
        m_pending = false;
        recompute();
    } else if (isVisible()) {
        // Draws that came while it ran are moved in now.
        catchUp();
    } else {
        m_behind = true;
    }
}

void AnalysisTab::showSnapshot(const AnalysisSnapshot& snapshot)
{
    m_showing = std::make_shared<const AnalysisSnapshot>(snapshot);
    m_nextPart = 0;
    m_partTimer.start();
}

bool AnalysisTab::showNextPart()
{
    static constexpr ShowPart kParts[] = {
        &AnalysisTab::fillBacktestTable, &AnalysisTab::fillMissedTable, &AnalysisTab::drawSums,
        &AnalysisTab::drawMissed,        &AnalysisTab::drawHotCold,     &AnalysisTab::writeStatus,
    };
    if (!m_showing || m_nextPart >= std::size(kParts))
        return false;
    // The snapshot is held here: a part may start a computation whose result replaces m_showing.
    const std::shared_ptr<const AnalysisSnapshot> snapshot = m_showing;
    (this->*kParts[m_nextPart++])(*snapshot);
    if (m_nextPart == std::size(kParts)) {
        m_showing.reset();
        ++m_shownCount;
        Q_EMIT snapshotShown();
    }
    return true;
}

void AnalysisTab::writeStatus(const AnalysisSnapshot& snapshot)
{
    const int judged = snapshot.backtests.empty()
                           ? 0
                           : snapshot.backtests.front().result.right + snapshot.backtests.front().result.wrong;
    QString text = snapshot.draws == 0 ? QStringLiteral("没有开奖记录")
                                       : QStringLiteral("共 %1 期，最新 %2，缺期 %3 处；回测判定 %4 期")
                                             .arg(snapshot.draws)
                                             .arg(snapshot.newestIssue)
                                             .arg(snapshot.gaps)
                                             .arg(judged);
    // A damaged archive is named, and the figures say they come from the fetched draws alone.
    if (!m_archiveDamage.isEmpty())
        text = QStringLiteral("开奖存档无法读取（%1），以下只按本次获取的开奖计算：").arg(m_archiveDamage) + text;
    m_ui->analysisStatusLabel->setText(text);
}

void AnalysisTab::fillBacktestTable(const AnalysisSnapshot& snapshot)
{
    QTableWidget* table = m_ui->backtestTable;
    const int sortColumn = table->horizontalHeader()->sortIndicatorSection();
    const Qt::SortOrder order = table->horizontalHeader()->sortIndicatorOrder();
    table->setSortingEnabled(false);
    table->setUpdatesEnabled(false);
    table->setRowCount(0);
    table->setRowCount(int(snapshot.backtests.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const PlanBacktest& item = snapshot.backtests[std::size_t(row)];
        const BacktestResult& r = item.result;
        auto* plan = new SortedItem(planCaption(item), planKey(item.tab, item.plan));
        plan->setData(TabRole, int(item.tab));
        plan->setData(PlanRole, item.plan);
        plan->setData(CodeRole, item.code);
        plan->setData(FormulasRole, item.formulas);
        if (item.tab == PlanTab::Custom)
            plan->setToolTip(item.formulas);
        table->setItem(row, 0, plan);
        const int numbers[] = {r.right, r.wrong, r.accuracy, r.longestWin, r.longestLoss, r.winStreak, r.lossStreak};
        for (int i = 0; i < 7; ++i)
            table->setItem(row, 1 + i, numberItem(numbers[i]));
        for (int i = 0; i < 3; ++i)
            table->setItem(row, 8 + i, rateItem(r.rollingHitRate[std::size_t(i)]));
        table->setItem(row, 11, numberItem(r.skipped));
    }
    table->setSortingEnabled(true);
    if (sortColumn >= 0 && sortColumn < table->columnCount())
        table->sortItems(sortColumn, order);
    table->resizeColumnsToContents();
    table->setUpdatesEnabled(true);
    followShownCurve();
}

void AnalysisTab::followShownCurve()
{
    // The curve shown belongs to the table shown: after a new computation (another 玩法, another
    // range) the same plan's curve is drawn anew, or cleared when the plan is no longer listed.
    if (!m_curvePlan)
        return;
    QTableWidget* table = m_ui->backtestTable;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* item = table->item(row, 0);
        if (item && item->data(TabRole).toInt() == m_curvePlan->tab && item->data(PlanRole).toInt() == m_curvePlan->plan &&
            item->data(FormulasRole).toString() == m_curvePlan->formulas) {
            showPlanCurve(row);
            return;
        }
    }
    m_curvePlan.reset();
    m_curveLine->clear();
    curveChart()->setTitle(QStringLiteral("滚动命中率（点击回测表的计划）"));
}

void AnalysisTab::fillMissedTable(const AnalysisSnapshot& snapshot)
{
    QTableWidget* table = m_ui->missedTable;
    table->setUpdatesEnabled(false);
    for (int row = 0; row < kMissedItemCount; ++row) {
        const MissedCount& count = snapshot.missed[std::size_t(row)];
        const bool nearRecord = count.longest > 0 && count.current * 100 >= count.longest * kHighlightPercent;
        const QString texts[] = {count.name, QString::number(count.current), QString::number(count.longest),
                                 twoDecimals(count.average)};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(Qt::AlignCenter);
            if (nearRecord)
                item->setBackground(kHighlight);
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
    table->setUpdatesEnabled(true);
}

void AnalysisTab::drawSums(const AnalysisSnapshot& snapshot)
{
    QList<QPointF> points;
    points.reserve(qsizetype(snapshot.recent.size()));
    for (std::size_t i = 0; i < snapshot.recent.size(); ++i)
        points.append(QPointF(double(i + 1), snapshot.recent[i].sum()));
    m_sumsLine->replace(points);
    valueAxis(sumsChart(), Qt::Horizontal)->setRange(1, std::max<qsizetype>(2, points.size()));
}

void AnalysisTab::drawMissed(const AnalysisSnapshot& snapshot)
{
    QList<qreal> current;
    QList<qreal> longest;
    int top = 0;
    for (int sum = 0; sum < kSumCount; ++sum) {
        const MissedCount& count = snapshot.missed[std::size_t(sum)];
        current.append(count.current);
        longest.append(count.longest);
        top = std::max(top, count.longest);
    }
    setBars(m_missedCurrent, current);
    setBars(m_missedLongest, longest);
    QValueAxis* axis = valueAxis(missedChart(), Qt::Vertical);
    axis->setRange(0, niceCeiling(top));
    axis->applyNiceNumbers();
}

void AnalysisTab::drawHotCold(const AnalysisSnapshot& snapshot)
{
    QList<qreal> counts;
    QList<qreal> expected;
    double top = 0;
    for (const HotCold& item : snapshot.hotCold) {
        counts.append(item.count);
        expected.append(item.expected);
        top = std::max({top, double(item.count), item.expected});
    }
    setBars(m_hotCount, counts);
    setBars(m_hotExpected, expected);
    QValueAxis* axis = valueAxis(hotColdChart(), Qt::Vertical);
    axis->setRange(0, niceCeiling(top));
    axis->applyNiceNumbers();
}

void AnalysisTab::showPlanCurve(int row)
{
    const QTableWidgetItem* item = m_ui->backtestTable->item(row, 0);
    if (!item || !m_live)
        return;
    const auto tab = PlanTab(item->data(TabRole).toInt());
    const int plan = item->data(PlanRole).toInt();
    const int code = item->data(CodeRole).toInt();
    const QString formulas = item->data(FormulasRole).toString();
    m_curvePlan = CurvePlan{int(tab), plan, formulas};
    const QStringList rules = tab == PlanTab::Free ? m_rules.free : m_rules.member;
    // The worker gets its own copy of the draws the backtest reads: the figures move on meanwhile.
    const int last = m_live->request().backtestLast;
    const DrawSeries& held = m_live->series();
    const auto reads = static_cast<std::ptrdiff_t>(
        std::min<qint64>(qint64(held.size()), qint64(last) + std::max(kPlanSourceDraws, kCustomSourceDraws)));
    const auto series = std::make_shared<const DrawSeries>(held.end() - reads, held.end());
    const QString title = QStringLiteral("%1 近%2期滚动命中率").arg(item->text()).arg(kCurveWindow);
    m_curveWatcher.setFuture(QtConcurrent::run([series, rules, tab, plan, code, formulas, last, title] {
        std::optional<BacktestResult> result;
        if (tab == PlanTab::Custom) {
            FormulaEvaluator evaluator;
            result = backtestFormulas(evaluator, *series, splitFormulas(formulas), code, {last, true});
        } else {
            result = backtestPlan(*series, rules, tab, plan, code, {last, true});
        }
        if (!result)
            return Curve{title, {}, 0};
        return Curve{title, rollingHitRates(result->rows, kCurveWindow), double(result->accuracy)};
    }));
}

void AnalysisTab::onCurveFinished()
{
    const Curve curve = m_curveWatcher.result();
    const auto size = qsizetype(curve.rates.size());
    const qsizetype step = std::max<qsizetype>(1, (size + kCurvePoints - 1) / kCurvePoints);
    QList<QPointF> points;
    points.reserve(size / step + 1);
    for (qsizetype i = 0; i < size; i += step)
        points.append(QPointF(double(i + kCurveWindow), curve.rates[std::size_t(i)]));
    m_curveLine->replace(points);
    curveChart()->setTitle(curve.rates.empty() ? curve.title + QStringLiteral("（判定不足 100 期）") : curve.title);
    QValueAxis* periods = valueAxis(curveChart(), Qt::Horizontal);
    periods->setRange(kCurveWindow, double(std::max<qsizetype>(size, 2) + kCurveWindow));
    // Ticks at round numbers of periods: the range's own quarters (2575, 5050, ...) read badly.
    periods->setTickType(QValueAxis::TicksDynamic);
    periods->setTickAnchor(0);
    periods->setTickInterval(roundStep(double(size) / 4));
    double low = 100;
    double high = 0;
    for (const QPointF& point : points) {
        low = std::min(low, point.y());
        high = std::max(high, point.y());
    }
    valueAxis(curveChart(), Qt::Vertical)
        ->setRange(points.isEmpty() ? 0 : std::floor(low / 10) * 10,
                   points.isEmpty() ? 100 : std::ceil(high / 10) * 10);
    Q_EMIT curveShown();
}

} // namespace tandor28
