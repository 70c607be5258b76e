// The window: start-up to a filled window, one whole refresh (fetch from a server on 127.0.0.1,
// then every table, tab and label), both against an in-process server holding a 120-record feed.
#include "analysis/snapshot.h"
#include "app/analysistab.h"
#include "app/mainwindow.h"

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
