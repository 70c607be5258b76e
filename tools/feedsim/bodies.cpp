#include "bodies.h"

#include <QString>
#include <QStringEncoder>

#include <cstdio>
#include <random>

namespace tandor28::feedsim {

namespace {

std::string digitsSum(const DrawRecord& r)
{
    return std::to_string(r.d1 + r.d2 + r.d3);
}

} // namespace

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
