#include "options.h"

#include <charconv>
#include <limits>

namespace tandor28::feedsim {

namespace {

constexpr int kMaxRecords = 100000;
constexpr int kMaxDelayMs = 600000;
constexpr int kMaxLagSeconds = 7 * 86400;
constexpr int kMaxPadBytes = 64 * 1024 * 1024;

template <typename Number> std::optional<Number> parseNumber(const std::string& text, Number low, Number high)
{
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> parseFlag(const std::string& text)
{
    if (text == "1" || text == "true" || text == "on" || text == "yes") {
        return true;
    }
    if (text == "0" || text == "false" || text == "off" || text == "no") {
        return false;
    }
    return std::nullopt;
}

bool validStatus(int status)
{
    return status == 200 || (status >= 400 && status <= 599);
}

} // namespace

const char* helpText()
{
    return R"(Usage: tandor28-feedsim [options]

A local draw server on 127.0.0.1. Once it accepts connections it prints one line,
"listening on 127.0.0.1:PORT", and it stops with exit status 0 on SIGINT or SIGTERM.

Routes:
  GET  /notice.txt        the notice document (GBK): 版本 ]1, 网站 ]2, 客服 ]3, 公告 ]4,
                          更新 ]5 (several lines), JK2 ]6 and JK1 ]7, JK1 pointing at
                          http://127.0.0.1:PORT/lucky28.txt on this server's own port
  GET  /lucky28.txt       Lucky 28: one line per draw, newest first, CR LF after each:
                          issue-YYYY-MM-DD HH:MM:SS-a + b + c = sum
  GET  /api.php?t=jnd28   Canada 28: JSON array, newest first, records
                          {"issue":"..","date":"YYYY-MM-DD HH:MM","c1":"a","c2":"b","c3":"c","c4":"sum"}
  GET  /services2/keno/draw/latest/COUNT/OFFSET
                          the Keno draws the Canada 28 digits come from (interleave scheme):
                          COUNT draws after skipping the OFFSET newest, JSON, Vancouver time
  GET  /keno/KenoCurrentYear.zip
  GET  /resources/documents/downloadable-numbers/KenoCurrentYear.zip
                          this year's Keno draws as a zipped CSV, oldest first
  GET  /control           the current settings, one name=value a line, then
                          feed-requests=N (feed requests received since the start) and
                          notice-requests=N (notice requests received since the start)
  POST /control?NAME=VALUE&...
                          changes settings while running; answers with the new settings
                          (400 and no change when a name or value is not accepted).
                          Names: delay-ms, garbage, status, records, cut, pad-bytes, down, lucky,
                          canada, lag-s, version, jk1, now (URL-encoded, e.g.
                          now=2026-12-10%2012:00:00; empty = the real clock),
                          reset=1 (back to the start-up settings, applied first).
                          Flags take 1/0, true/false, on/off or yes/no. The request needs
                          a Content-Length, e.g. curl -d '' 'http://127.0.0.1:8828/control?down=1'

Schedules (local clock): Lucky 28 on every five-minute mark from 09:05 to 23:55,
Canada 28 every 210 s counted from local midnight. Issues count draws from a fixed
day, so a draw keeps its issue; digits come from the seed, the lottery and the issue
(Canada 28: from a Keno draw of 20 numbers made from them).

Options:
  --port N          port to listen on (default 8828; 0 picks a free port)
  --seed S          seed of the digits (default 28)
  --records N       records per feed (default 120)
  --lag-s N         a draw is published N seconds after its time (default 0)
  --now "YYYY-MM-DD HH:MM:SS"
                    answer as if the local clock stood still at this moment
  --version-text X  the version the notice announces (default 1.4.0)
  --no-jk1          leave the JK1 field out of the notice
  --keno-forms F    plain (default) or varied: the Keno JSON as an object holding "draws",
                    numbers as texts, two-digit days; the yearly CSV with a byte-order mark,
                    a DRAW TIME column, rows of another game and a README.txt first in the zip
  --help            this text

Misbehaviour (the feeds only, unless said otherwise):
  --delay-ms N      wait N ms before answering (the notice too)
  --down            answer 503 with an empty body (the notice too)
  --no-lucky        the Lucky 28 feed answers 503 with an empty body
  --no-canada       the Canada 28 feed answers 503 with an empty body
  --status N        answer with HTTP status N (200 or 400..599) and an error page
  --garbage         answer with bytes that hold no record, NUL bytes included
                    (status 200 unless --status says otherwise)
  --cut             announce the whole length but close the connection halfway
                    through the middle record (applies to whatever body is chosen)
  --pad-bytes N     fill the body up with blank lines to N bytes (8388608 is 8 MiB,
                    the largest body the program accepts; one byte more is refused)
Precedence: delay, then down/no-lucky/no-canada, then garbage, then status, then
pad-bytes, then cut.
)";
}

ParseResult parseOptions(int argc, char** argv)
{
    Options options;
    Behaviour& b = options.behaviour;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        auto bad = [&](const std::string& why) { return ParseResult{std::nullopt, name + ": " + why}; };
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--garbage") {
            b.garbage = true;
        } else if (name == "--cut") {
            b.cut = true;
        } else if (name == "--down") {
            b.down = true;
        } else if (name == "--no-lucky") {
            b.lucky = false;
        } else if (name == "--no-canada") {
            b.canada = false;
        } else if (name == "--no-jk1") {
            b.withLuckyEndpoint = false;
        } else if (name == "--keno-forms") {
            const std::optional<std::string> text = value();
            if (!text || (*text != "plain" && *text != "varied"))
                return bad("expects plain or varied");
            b.variedKenoForms = *text == "varied";
        } else if (name == "--port" || name == "--seed" || name == "--records" || name == "--delay-ms" ||
                   name == "--status" || name == "--lag-s" || name == "--now" || name == "--version-text" ||
                   name == "--pad-bytes") {
            const std::optional<std::string> text = value();
            if (!text) {
                return bad("needs a value");
            }
            if (name == "--port") {
                const auto port = parseNumber<int>(*text, 0, 65535);
                if (!port) {
                    return bad("expects a port number 0..65535");
                }
                options.port = *port;
            } else if (name == "--seed") {
                const auto seed = parseNumber<std::uint64_t>(*text, 0, std::numeric_limits<std::uint64_t>::max());
                if (!seed) {
                    return bad("expects an unsigned number");
                }
                options.seed = *seed;
            } else if (name == "--records") {
                const auto records = parseNumber<int>(*text, 0, kMaxRecords);
                if (!records) {
                    return bad("expects a number 0..100000");
                }
                b.records = *records;
            } else if (name == "--delay-ms") {
                const auto delay = parseNumber<int>(*text, 0, kMaxDelayMs);
                if (!delay) {
                    return bad("expects a number 0..600000");
                }
                b.delayMs = *delay;
            } else if (name == "--status") {
                const auto status = parseNumber<int>(*text, 200, 599);
                if (!status || !validStatus(*status)) {
                    return bad("expects 200 or a status 400..599");
                }
                b.status = *status;
            } else if (name == "--lag-s") {
                const auto lag = parseNumber<int>(*text, 0, kMaxLagSeconds);
                if (!lag) {
                    return bad("expects a number 0..604800");
                }
                b.lagSeconds = *lag;
            } else if (name == "--pad-bytes") {
                const auto pad = parseNumber<int>(*text, 0, kMaxPadBytes);
                if (!pad) {
                    return bad("expects a number 0..67108864");
                }
                b.padBytes = *pad;
            } else if (name == "--now") {
                b.fixedNow = parseLocalTime(*text);
                if (!b.fixedNow) {
                    return bad("expects \"YYYY-MM-DD HH:MM:SS\"");
                }
            } else {
                b.version = *text;
            }
        } else {
            return bad("unknown option (see --help)");
        }
    }
    return ParseResult{options, {}};
}

std::string applyControl(Behaviour& behaviour, const std::multimap<std::string, std::string>& params,
                         const Behaviour& startBehaviour)
{
    Behaviour next = behaviour;
    if (const auto reset = params.find("reset"); reset != params.end()) {
        const std::optional<bool> on = parseFlag(reset->second);
        if (!on) {
            return "reset: expects a flag";
        }
        if (*on) {
            next = startBehaviour;
        }
    }
    for (const auto& [name, text] : params) {
        auto flagInto = [&](bool& target) {
            const std::optional<bool> on = parseFlag(text);
            if (on) {
                target = *on;
            }
            return on.has_value();
        };
        auto numberInto = [&](int& target, int low, int high) {
            const std::optional<int> number = parseNumber<int>(text, low, high);
            if (number) {
                target = *number;
            }
            return number.has_value();
        };
        bool ok = true;
        if (name == "reset") {
            continue;
        } else if (name == "delay-ms") {
            ok = numberInto(next.delayMs, 0, kMaxDelayMs);
        } else if (name == "records") {
            ok = numberInto(next.records, 0, kMaxRecords);
        } else if (name == "lag-s") {
            ok = numberInto(next.lagSeconds, 0, kMaxLagSeconds);
        } else if (name == "status") {
            ok = numberInto(next.status, 200, 599) && validStatus(next.status);
        } else if (name == "pad-bytes") {
            ok = numberInto(next.padBytes, 0, kMaxPadBytes);
        } else if (name == "garbage") {
            ok = flagInto(next.garbage);
        } else if (name == "cut") {
            ok = flagInto(next.cut);
        } else if (name == "down") {
            ok = flagInto(next.down);
        } else if (name == "lucky") {
            ok = flagInto(next.lucky);
        } else if (name == "canada") {
            ok = flagInto(next.canada);
        } else if (name == "jk1") {
            ok = flagInto(next.withLuckyEndpoint);
        } else if (name == "version") {
            next.version = text;
        } else if (name == "now") {
            if (text.empty()) {
                next.fixedNow.reset();
            } else {
                next.fixedNow = parseLocalTime(text);
                ok = next.fixedNow.has_value();
            }
        } else {
            return name + ": unknown setting";
        }
        if (!ok) {
            return name + ": value not accepted: " + text;
        }
    }
    behaviour = next;
    return {};
}

std::string describeBehaviour(const Behaviour& b)
{
    std::string text;
    auto line = [&](const std::string& name, const std::string& value) { text += name + "=" + value + "\n"; };
    line("delay-ms", std::to_string(b.delayMs));
    line("garbage", b.garbage ? "1" : "0");
    line("status", std::to_string(b.status));
    line("records", std::to_string(b.records));
    line("cut", b.cut ? "1" : "0");
    line("pad-bytes", std::to_string(b.padBytes));
    line("down", b.down ? "1" : "0");
    line("lucky", b.lucky ? "1" : "0");
    line("canada", b.canada ? "1" : "0");
    line("lag-s", std::to_string(b.lagSeconds));
    line("version", b.version);
    line("jk1", b.withLuckyEndpoint ? "1" : "0");
    line("now", b.fixedNow ? formatLocalTime(*b.fixedNow) : std::string());
    return text;
}

} // namespace tandor28::feedsim
