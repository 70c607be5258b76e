#include "bodies.h"
#include "options.h"
#include "schedule.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

using namespace tandor28::feedsim;

namespace {

std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler may only touch a lock-free flag");

extern "C" void onStopSignal(int)
{
    g_stopRequested.store(true);
}

const char* const kHost = "127.0.0.1";
constexpr std::size_t kWorkers = 32;

class DrawServer
{
public:
    explicit DrawServer(const Options& options)
        : m_seed(options.seed), m_start(options.behaviour), m_now(options.behaviour)
    {
        // Delayed answers each hold a worker, so keep enough of them for the control route to stay reachable.
        m_server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
        m_server.Get("/notice.txt", [this](const httplib::Request&, httplib::Response& res) { serveNotice(res); });
        m_server.Get("/lucky28.txt",
                     [this](const httplib::Request&, httplib::Response& res) { serveFeed(Lottery::Lucky28, res); });
        m_server.Get("/api.php", [this](const httplib::Request& req, httplib::Response& res) {
            if (req.get_param_value("t") != "jnd28") {
                res.status = 404;
                res.set_content("unknown table\n", "text/plain");
                return;
            }
            serveFeed(Lottery::Canada28, res);
        });
        // The Keno results the Canada 28 draws are derived from: pages of `count` draws after skipping the
        // `offset` newest, and this year's draws as a zipped CSV.
        m_server.Get(R"(/services2/keno/draw/latest/(\d{1,6})/(\d{1,7}))", [this](const httplib::Request& req,
                                                                                  httplib::Response& res) {
            serveFeed(Lottery::Canada28, res, Body::KenoJson, std::stoi(req.matches[1]), std::stoi(req.matches[2]));
        });
        // The yearly zip, also at the path the results service publishes it under.
        for (const char* path :
             {"/keno/KenoCurrentYear.zip", "/resources/documents/downloadable-numbers/KenoCurrentYear.zip"}) {
            m_server.Get(path, [this](const httplib::Request&, httplib::Response& res) {
                serveFeed(Lottery::Canada28, res, Body::KenoCsv);
            });
        }
        m_server.Get("/control", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(describeBehaviour(current()) + "feed-requests=" + std::to_string(m_feedRequests.load()) +
                                "\nnotice-requests=" + std::to_string(m_noticeRequests.load()) + "\n",
                            "text/plain");
        });
        m_server.Post("/control", [this](const httplib::Request& req, httplib::Response& res) {
            const std::lock_guard lock(m_mutex);
            const std::string error = applyControl(m_now, req.params, m_start);
            if (!error.empty()) {
                res.status = 400;
                res.set_content(error + "\n", "text/plain");
                return;
            }
            res.set_content(describeBehaviour(m_now), "text/plain");
        });
        m_server.Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(
                "/notice.txt\n/lucky28.txt\n/api.php?t=jnd28\n/services2/keno/draw/latest/{count}/{offset}\n"
                "/keno/KenoCurrentYear.zip\n/resources/documents/downloadable-numbers/KenoCurrentYear.zip\n/control\n",
                "text/plain");
        });
    }

    // Returns the bound port, or -1.
    int bind(int port)
    {
        if (port == 0) {
            m_port = m_server.bind_to_any_port(kHost);
        } else {
            m_port = m_server.bind_to_port(kHost, port) ? port : -1;
        }
        return m_port;
    }

    bool run() { return m_server.listen_after_bind(); }

    void stop()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_server.stop();
    }

private:
    Behaviour current()
    {
        const std::lock_guard lock(m_mutex);
        return m_now;
    }

    // Waits out the delay unless the server is stopping meanwhile.
    void delay(int ms)
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
    }

    static void serveUnavailable(httplib::Response& res)
    {
        res.status = 503;
        res.set_content("", "text/plain");
    }

    void serveNotice(httplib::Response& res)
    {
        ++m_noticeRequests;
        const Behaviour b = current();
        delay(b.delayMs);
        if (b.down) {
            serveUnavailable(res);
            return;
        }
        const std::string body = noticeBody({b.version, m_port, b.withLuckyEndpoint});
        res.set_content(body, "text/plain; charset=GBK");
    }

    enum class Body
    {
        Feed,
        KenoJson,
        KenoCsv,
    };

    void serveFeed(Lottery lottery, httplib::Response& res, Body kind = Body::Feed, int count = 0, int offset = 0)
    {
        ++m_feedRequests;
        const Behaviour b = current();
        delay(b.delayMs);
        if (b.down || (lottery == Lottery::Lucky28 && !b.lucky) || (lottery == Lottery::Canada28 && !b.canada)) {
            serveUnavailable(res);
            return;
        }
        const char* contentType = lottery == Lottery::Lucky28 ? "text/plain"
                                  : kind == Body::KenoCsv     ? "application/zip"
                                                              : "application/json";
        FeedBody body;
        if (b.garbage) {
            body.bytes = garbageBody(m_seed);
            contentType = "text/html";
        } else if (b.status != 200) {
            body.bytes = errorPage(b.status);
            contentType = "text/html";
        } else {
            const LocalTime now = shiftSeconds(b.fixedNow ? *b.fixedNow : localNow(), -b.lagSeconds);
            if (kind == Body::KenoJson) {
                // "fewer records" caps a page the same way it caps the feed.
                std::vector<DrawRecord> records =
                    recentDraws(lottery, now, offset + std::min(count, b.records), m_seed);
                records.erase(records.begin(), records.begin() + std::min<std::size_t>(offset, records.size()));
                body = kenoJsonBody(records, b.variedKenoForms ? KenoForms::Varied : KenoForms::Plain);
            } else if (kind == Body::KenoCsv) {
                body.bytes = kenoCsvZip(recentDraws(lottery, now, canadaDrawsThisYear(now), m_seed),
                                        b.variedKenoForms ? KenoForms::Varied : KenoForms::Plain);
                body.recordStarts = {0};
            } else {
                const std::vector<DrawRecord> records = recentDraws(lottery, now, b.records, m_seed);
                body = lottery == Lottery::Lucky28 ? luckyBody(records) : canadaBody(records);
            }
        }
        padBody(body, static_cast<std::size_t>(b.padBytes));
        res.status = b.status;
        if (!b.cut) {
            res.set_content(body.bytes, contentType);
            return;
        }
        // The length header promises the whole body; the connection closes after part of it.
        const std::size_t sent = cutPosition(body);
        const std::size_t announced = std::max<std::size_t>(body.bytes.size(), sent + 1);
        auto bytes = std::make_shared<std::string>(std::move(body.bytes));
        res.set_content_provider(announced, contentType,
                                 [bytes, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                     if (offset < sent) {
                                         sink.write(bytes->data() + offset, sent - offset);
                                     }
                                     return false;
                                 });
    }

    httplib::Server m_server;
    const std::uint64_t m_seed;
    const Behaviour m_start;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Behaviour m_now;
    bool m_stopping = false;
    int m_port = -1;
    std::atomic<long long> m_feedRequests{0}; // feed requests answered or waiting, for soak runs
    std::atomic<long long> m_noticeRequests{0};
};

} // namespace

int main(int argc, char** argv)
{
    const ParseResult parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        std::cerr << "tandor28-feedsim: " << parsed.error << "\n";
        return 2;
    }
    const Options& options = *parsed.options;
    if (options.help) {
        std::cout << helpText();
        return 0;
    }

    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif

    DrawServer server(options);
    const int port = server.bind(options.port);
    if (port < 0) {
        std::cerr << "tandor28-feedsim: cannot listen on " << kHost << ":" << options.port << "\n";
        return 1;
    }
    std::cout << "listening on " << kHost << ":" << port << std::endl;

    // Stopping the server is not signal-safe, so a watcher acts on the flag the handler sets. It keeps
    // asking until the accept loop has ended, since a stop before that loop starts has no effect.
    std::atomic<bool> finished{false};
    std::thread watcher([&] {
        while (!finished.load()) {
            if (g_stopRequested.load()) {
                server.stop();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const bool ok = server.run();
    finished.store(true);
    watcher.join();
    if (!ok && !g_stopRequested.load()) {
        std::cerr << "tandor28-feedsim: the server stopped unexpectedly\n";
        return 1;
    }
    return 0;
}
