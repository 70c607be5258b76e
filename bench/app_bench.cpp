// The window: start-up to a filled window, one whole refresh (fetch from a server on 127.0.0.1,
// then every table, tab and label), both against an in-process server holding a 120-record feed.
#include "analysis/snapshot.h"
#include "app/analysistab.h"
#include "app/mainwindow.h"
#include "archive/drawarchive.h"
#include "scaledata.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <sys/resource.h>
#include <time.h>

using namespace tandor28;

namespace {

class FeedServer
{
public:
    FeedServer()
    {
        QByteArray lucky;
        for (int i = 0; i < 120; ++i) {
            const int issue = 3300000 - i;
            const int a = issue % 10, b = (issue / 7) % 10, c = (issue / 13) % 10;
            lucky += QStringLiteral("%1-2026-12-10 %2-%3 + %4 + %5 = %6\r\n")
                         .arg(issue)
                         .arg(QTime(12, 0).addSecs(-300 * i).toString(QStringLiteral("HH:mm:ss")))
                         .arg(a)
                         .arg(b)
                         .arg(c)
                         .arg(a + b + c)
                         .toLatin1();
        }
        m_port = m_server.bind_to_any_port("127.0.0.1");
        const QString jk1 = QStringLiteral("http://127.0.0.1:%1/lucky28.txt").arg(m_port);
        const QByteArray notice = QStringEncoder("GBK").encode(
            QStringLiteral("版本:1.4.0]1公告:基准]4更新:基准]5JK1:") + jk1 + QStringLiteral("]7"));
        m_server.Get("/notice.txt", [notice](const httplib::Request&, httplib::Response& response) {
            response.set_content(notice.toStdString(), "text/plain");
        });
        m_server.Get("/lucky28.txt", [lucky](const httplib::Request&, httplib::Response& response) {
            response.set_content(lucky.toStdString(), "text/plain");
        });
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~FeedServer()
    {
        m_server.stop();
        m_thread.join();
    }
    [[nodiscard]] int port() const { return m_port; }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

// A window started against the server, with a clock at noon so Lucky 28 is chosen, and message
// boxes that answer at once.
struct BenchWindow
{
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;

    explicit BenchWindow(int port)
    {
        const QString ini = dir.filePath(QStringLiteral("tandor28.ini"));
        QFile file(ini);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(
                QStringLiteral("[endpoints]\nnotice=http://127.0.0.1:%1/notice.txt\ncanada=http://127.0.0.1:%1\n")
                    .arg(port)
                    .toLatin1());
        }
        file.close();
        MainWindowServices services;
        services.clock = [] { return QDateTime(QDate(2026, 12, 10), QTime(12, 1)); };
        services.inform = [](const QString&, const QString&) {};
        services.ask = [](const QString&, const QString&) { return false; };
        services.openUrl = [](const QUrl&) {};
        services.iniPath = ini;
        window = std::make_unique<MainWindow>(services);
    }
};

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of the calling thread: the window's work, whatever else the machine runs.
double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    return 0;
}

void waitForRefresh(MainWindow& window)
{
    if (!window.isRefreshing())
        return;
    QEventLoop loop;
    QObject::connect(&window, &MainWindow::refreshFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

static void BM_StartupToFilledWindow(benchmark::State& state)
{
    QStandardPaths::setTestModeEnabled(true);
    FeedServer server;
    for (auto _ : state) {
        BenchWindow bench(server.port());
        bench.window->show();
        if (bench.window->start() != StartOutcome::Running) {
            state.SkipWithError("the window did not start");
            break;
        }
        waitForRefresh(*bench.window);
        if (!bench.window->lastFetchSucceeded() || bench.window->state().history.size() != kHistoryLength) {
            state.SkipWithError("the first refresh did not fill the window");
            break;
        }
    }
}
BENCHMARK(BM_StartupToFilledWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_WholeRefresh(benchmark::State& state)
{
    QStandardPaths::setTestModeEnabled(true);
    FeedServer server;
    BenchWindow bench(server.port());
    bench.window->show();
    if (bench.window->start() != StartOutcome::Running) {
        state.SkipWithError("the window did not start");
        return;
    }
    waitForRefresh(*bench.window);
    for (auto _ : state) {
        bench.window->refreshAll();
        waitForRefresh(*bench.window);
        if (!bench.window->lastFetchSucceeded()) {
            state.SkipWithError("a refresh failed to fetch");
            break;
        }
    }
}
BENCHMARK(BM_WholeRefresh)->Unit(benchmark::kMillisecond)->UseRealTime();

// The long-run analysis tab after a new draw: what the window thread does once the worker has
// finished, over a 100,000-draw series with the largest recent window. The tab writes the result in
// parts, one per turn of the event loop; each part is timed with the repaint it causes, and the time
// reported is the longest of them (budget: 16 ms). "all_parts_ms" is the sum over the parts.
static void BM_AnalysisTabLongestPart(benchmark::State& state)
{
    DrawSeries series;
    unsigned seed = 5;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1103515245u + 12345u;
        series.push_back({4000000 + i, int(seed >> 16) % 10, int(seed >> 20) % 10, int(seed >> 24) % 10});
    }
    AnalysisRequest request;
    request.backtestLast = 100000;
    request.recentLast = 1000;
    request.algorithms = {{QStringLiteral("a"), QStringLiteral("[1]+[2]|[3]*2|[4]+[5]+[6]"), {}, {}, {}}};
    const AnalysisSnapshot snapshot = analysisSnapshot(series, loadPlanRules(), request);
    AppState appState;
    AnalysisTab tab(appState, {});
    tab.resize(890, 564);
    tab.show();
    QCoreApplication::processEvents();
    double allParts = 0;
    for (auto _ : state) {
        tab.showSnapshot(snapshot);
        double longest = 0;
        for (;;) {
            const auto start = std::chrono::steady_clock::now();
            const bool wrote = tab.showNextPart();
            tab.repaint();
            QCoreApplication::processEvents();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!wrote)
                break;
            longest = std::max(longest, seconds);
            allParts += seconds;
        }
        state.SetIterationTime(longest);
    }
    state.counters["all_parts_ms"] = benchmark::Counter(allParts * 1000 / double(state.iterations()));
}
BENCHMARK(BM_AnalysisTabLongestPart)->Unit(benchmark::kMillisecond)->UseManualTime();

// Goal: the window over a 1,000,000-draw archive, the analysis tab never opened, stays under 150 MB
// resident and spends under 1 s of CPU in its first 15 s. Run alone in its process (scripts/scale
// does): the resident size is the whole process's.
static void BM_ScaleWindowFirst15s(benchmark::State& state)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString& archive = benchdata::millionArchive();
    FeedServer server;
    double cpu = 0;
    double resident = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("draws.sqlite3"));
        QFile::copy(archive, copy);
        const double before = processCpuSeconds();
        {
            const QString ini = dir.filePath(QStringLiteral("tandor28.ini"));
            QFile file(ini);
            if (file.open(QIODevice::WriteOnly))
                file.write(
                    QStringLiteral("[endpoints]\nnotice=http://127.0.0.1:%1/notice.txt\ncanada=http://127.0.0.1:%1\n")
                        .arg(server.port())
                        .toLatin1());
            file.close();
            MainWindowServices services;
            services.clock = [] { return QDateTime(QDate(2026, 12, 10), QTime(12, 1)); };
            services.inform = [](const QString&, const QString&) {};
            services.ask = [](const QString&, const QString&) { return false; };
            services.openUrl = [](const QUrl&) {};
            services.iniPath = ini;
            services.archivePath = copy;
            services.archive = archiveFileReader(copy);
            MainWindow window(services);
            window.show();
            if (window.start() != StartOutcome::Running) {
                state.SkipWithError("the window did not start");
                break;
            }
            QEventLoop loop;
            QTimer::singleShot(15000, &loop, &QEventLoop::quit);
            loop.exec();
            resident = residentMegabytes();
        }
        cpu = processCpuSeconds() - before;
    }
    state.counters["cpu_s"] = benchmark::Counter(cpu);
    state.counters["rss_mb"] = benchmark::Counter(resident);
}
BENCHMARK(BM_ScaleWindowFirst15s)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Goal: with the analysis tab open over a 1,000,000-draw archive, a new draw costs the window under
// 20 ms of work: moving the figures on and writing every part of them, each part with its repaint,
// in CPU time of the window's thread (the wall time, which other programs stretch, is a counter).
static void BM_ScaleAnalysisNewDraw(benchmark::State& state)
{
    const QString& archive = benchdata::millionArchive();
    DrawSeries stored;
    {
        const ArchiveOpening opening = DrawArchive::open(archive);
        stored = opening.archive->loadSeries(LotteryKind::Canada28Night, 0);
    }
    AppState appState;
    appState.lottery = LotteryKind::Canada28Night;
    appState.history = historyFromSeries(DrawSeries(stored.end() - kHistoryLength, stored.end()));
    AnalysisTab tab(appState, [&stored](LotteryKind) { return ArchiveRead{stored, {}}; });
    tab.resize(890, 564);
    tab.show();
    QEventLoop wait;
    QObject::connect(&tab, &AnalysisTab::snapshotShown, &wait, &QEventLoop::quit);
    QTimer::singleShot(120000, &wait, &QEventLoop::quit);
    wait.exec();
    if (tab.shownCount() != 1) {
        state.SkipWithError("the first computation did not finish");
        return;
    }
    DrawSeries feed(stored.end() - kHistoryLength, stored.end());
    unsigned seed = 9;
    double moving = 0;
    double wall = 0;
    for (auto _ : state) {
        seed = seed * 1103515245u + 12345u;
        feed.erase(feed.begin());
        feed.push_back({feed.back().issue + 1, int(seed >> 16) % 10, int(seed >> 20) % 10, int(seed >> 24) % 10});
        appState.history = historyFromSeries(feed);
        const int shown = tab.shownCount();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        tab.onRefreshFinished();
        moving += threadCpuSeconds() - cpuStart;
        while (tab.showNextPart()) {
            tab.repaint();
            QCoreApplication::processEvents();
        }
        const double seconds = threadCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (tab.shownCount() != shown + 1 || tab.isComputing()) {
            state.SkipWithError("the new draw was not moved in");
            break;
        }
        state.SetIterationTime(seconds);
    }
    // The part of it that moves the figures on; the rest writes them into the views.
    state.counters["move_ms"] = benchmark::Counter(moving * 1000 / double(state.iterations()));
    state.counters["wall_ms"] = benchmark::Counter(wall * 1000 / double(state.iterations()));
}
BENCHMARK(BM_ScaleAnalysisNewDraw)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
