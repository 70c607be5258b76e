#include "bodies.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <QStringEncoder>
#include <zip.h>

#include <cstdio>
#include <random>

namespace tandor28::feedsim {

namespace {

std::string digitsSum(const DrawRecord& r)
{
    return std::to_string(r.d1 + r.d2 + r.d3);
}

// A local wall-clock moment on Vancouver's clock.
QDateTime inVancouver(LocalTime t)
{
    static const QTimeZone vancouver(QByteArrayLiteral("America/Vancouver"));
    const std::chrono::year_month_day date{t.day};
    const QDateTime local(QDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                                static_cast<int>(static_cast<unsigned>(date.day()))),
                          QTime(t.secondOfDay / 3600, t.secondOfDay / 60 % 60, t.secondOfDay % 60));
    return local.toTimeZone(vancouver);
}

std::string kenoNumbers(const DrawRecord& r, char separator)
{
    std::string text;
    for (const int n : r.keno) {
        if (!text.empty())
            text += separator;
        text += std::to_string(n);
    }
    return text;
}

} // namespace

FeedBody kenoJsonBody(const std::vector<DrawRecord>& records, KenoForms forms)
{
    const bool varied = forms == KenoForms::Varied;
    FeedBody body;
    body.bytes += varied ? "{\"draws\":[" : "[";
    const QLocale c = QLocale::c();
    for (const DrawRecord& r : records) {
        if (!body.recordStarts.empty())
            body.bytes += ',';
        body.recordStarts.push_back(body.bytes.size());
        const QDateTime there = inVancouver(r.time);
        // Varied: the draw number and the numbers as texts, days with a leading zero, more members.
        const char* quote = varied ? "\"" : "";
        std::string& out = body.bytes;
        out += "{\"drawNbr\":";
        out += quote;
        out += std::to_string(r.issue);
        out += quote;
        out += ",\"drawDate\":\"";
        out += c.toString(there.date(), varied ? QStringLiteral("MMM dd, yyyy") : QStringLiteral("MMM d, yyyy"))
                   .toStdString();
        out += "\",\"drawTime\":\"";
        out += c.toString(there.time(), QStringLiteral("hh:mm:ss AP")).toStdString();
        out += "\",\"drawNbrs\":[";
        for (std::size_t i = 0; i < r.keno.size(); ++i) {
            if (i > 0)
                out += ',';
            out += quote;
            out += std::to_string(r.keno[i]);
            out += quote;
        }
        out += "],\"drawBonus\":1.0";
        if (varied)
            out += ",\"drawType\":\"KENO\",\"prizes\":{\"10\":[100000,1]}";
        out += '}';
    }
    if (varied) {
        body.bytes += "],\"count\":";
        body.bytes += std::to_string(records.size());
        body.bytes += '}';
    } else {
        body.bytes += ']';
    }
    return body;
}

std::string kenoCsvZip(const std::vector<DrawRecord>& newestFirst, KenoForms forms)
{
    const bool varied = forms == KenoForms::Varied;
    // Varied: a byte-order mark, the time in a column of its own, rows of another game between the
    // Keno rows, and a note stored in the zip before the CSV.
    std::string csv = varied
                          ? "\xEF\xBB\xBF\"PRODUCT\",\"DRAW NUMBER\",\"DRAW DATE\",\"DRAW TIME\",\"BONUS MULTIPLIER\""
                          : "\"PRODUCT\",\"DRAW NUMBER\",\"DRAW DATE\",\"BONUS MULTIPLIER\"";
    for (int i = 1; i <= 20; ++i)
        csv += ",\"NUMBER DRAWN " + std::to_string(i) + "\"";
    csv += "\r\n";
    csv.reserve(newestFirst.size() * 96);
    std::size_t row = 0;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it, ++row) {
        const QDateTime there = inVancouver(it->time);
        const std::string date = there.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
        if (varied && row % 50 == 0) {
            csv += "\"DAILY GRAND\",";
            csv += std::to_string(row);
            csv += ",\"";
            csv += date;
            csv += "\",\"20:30:00\",1,1,2,3,4,5\r\n";
        }
        csv += "\"KENO\",";
        csv += std::to_string(it->issue);
        csv += ",\"";
        csv += date;
        csv += varied ? "\",\"" : " ";
        csv += there.toString(QStringLiteral("HH:mm:ss")).toStdString();
        csv += "\",1,";
        csv += kenoNumbers(*it, ',');
        csv += "\r\n";
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!target)
        return {};
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, nullptr);
    std::string zipped;
    static const std::string note = "Keno draws of the current year, oldest first.\r\n";
    if (archive && varied) {
        zip_source_t* readme = zip_source_buffer(archive, note.data(), note.size(), 0);
        if (readme && zip_file_add(archive, "README.txt", readme, ZIP_FL_OVERWRITE) < 0)
            zip_source_free(readme);
    }
    if (archive) {
        zip_source_t* entry = zip_source_buffer(archive, csv.data(), csv.size(), 0);
        if (!entry || zip_file_add(archive, "KenoCurrentYear.csv", entry, ZIP_FL_OVERWRITE) < 0) {
            if (entry)
                zip_source_free(entry);
            zip_discard(archive);
        } else if (zip_close(archive) != 0) {
            zip_discard(archive);
        } else if (zip_source_open(target) == 0) {
            zip_stat_t stat;
            zip_stat_init(&stat);
            if (zip_source_stat(target, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
                zipped.resize(stat.size);
                if (zip_source_read(target, zipped.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
                    zipped.clear();
            }
            zip_source_close(target);
        }
    }
    zip_source_free(target);
    return zipped;
}

FeedBody luckyBody(const std::vector<DrawRecord>& records)
{
    FeedBody body;
    for (const DrawRecord& r : records) {
        body.recordStarts.push_back(body.bytes.size());
        char line[96];
        std::snprintf(line, sizeof line, "%lld-%s-%d + %d + %d = %s\r\n", static_cast<long long>(r.issue),
                      formatLocalTime(r.time).c_str(), r.d1, r.d2, r.d3, digitsSum(r).c_str());
        body.bytes += line;
    }
    return body;
}

FeedBody canadaBody(const std::vector<DrawRecord>& records)
{
    FeedBody body;
    body.bytes.push_back('[');
    for (const DrawRecord& r : records) {
        if (!body.recordStarts.empty()) {
            body.bytes += ',';
        }
        body.recordStarts.push_back(body.bytes.size());
        // The feed shows the time to the minute only.
        const std::string date = formatLocalTime(r.time).substr(0, 16);
        char record[160];
        std::snprintf(record, sizeof record, R"({"issue":"%lld","date":"%s","c1":"%d","c2":"%d","c3":"%d","c4":"%s"})",
                      static_cast<long long>(r.issue), date.c_str(), r.d1, r.d2, r.d3, digitsSum(r).c_str());
        body.bytes += record;
    }
    body.bytes.push_back(']');
    return body;
}

std::size_t cutPosition(const FeedBody& body)
{
    if (body.recordStarts.empty()) {
        return body.bytes.size() / 2;
    }
    const std::size_t middle = body.recordStarts.size() / 2;
    const std::size_t start = body.recordStarts[middle];
    const std::size_t end = middle + 1 < body.recordStarts.size() ? body.recordStarts[middle + 1] : body.bytes.size();
    return start + (end - start) / 2;
}

std::string noticeBody(const NoticeContent& content)
{
    const QString host = QStringLiteral("http://127.0.0.1:%1").arg(content.port);
    QString text;
    text += QStringLiteral("版本:") + QString::fromStdString(content.version) + QStringLiteral("]1\r\n");
    text += QStringLiteral("网站:") + host + QStringLiteral("/]2\r\n");
    text += QStringLiteral("客服:本地开奖模拟服务器]3\r\n");
    text += QStringLiteral("公告:欢迎使用！本机模拟开奖服务器已连接，开奖数据仅供测试。]4\r\n");
    text += QStringLiteral("更新:本版改动：\r\n1. 幸运28与加拿大28开奖数据来自本机模拟服务器；\r\n"
                           "2. 开奖时刻与正式开奖一致：幸运28每五分钟一期，加拿大28每210秒一期。]5\r\n");
    text += QStringLiteral("JK2:") + host + QStringLiteral("/api.php?t=jnd28]6\r\n");
    if (content.withLuckyEndpoint) {
        text += QStringLiteral("JK1:") + host + QStringLiteral("/lucky28.txt]7\r\n");
    }
    QStringEncoder toGbk("GBK");
    const QByteArray bytes = toGbk.encode(text);
    return bytes.toStdString();
}

std::string garbageBody(std::uint64_t seed)
{
    std::mt19937_64 random(seed ^ 0x6761726261676500ULL);
    std::string bytes = "<html><body>\xCE\xAC\xBB\xA4\xD6\xD0</body></html>\n";
    while (bytes.size() < 4096) {
        const auto byte = static_cast<char>(random() % 256);
        if (byte == '\r' || byte == '"' || byte == '=') {
            continue;
        }
        bytes += byte;
    }
    return bytes;
}

std::string errorPage(int status)
{
    return "<html><head><title>" + std::to_string(status) + " Error</title></head><body><h1>" + std::to_string(status) +
           " Error</h1><p>The server could not answer this request.</p></body></html>\n";
}

void padBody(FeedBody& body, std::size_t size)
{
    if (body.bytes.size() >= size) {
        return;
    }
    const std::string line = std::string(63, ' ') + '\n';
    body.bytes.reserve(size);
    while (body.bytes.size() + line.size() <= size) {
        body.bytes += line;
    }
    body.bytes.append(size - body.bytes.size(), ' ');
}

} // namespace tandor28::feedsim
