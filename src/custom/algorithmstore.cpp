#include "algorithmstore.h"

#include "customlog.h"
#include "storecipher.h"

#include "paths/filelocations.h"
#include "paths/filewrite.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>
#include <string_view>

namespace tandor28 {

namespace {

const QString kRecordSeparator = QStringLiteral("\r\n");
const QString kNameSeparator = QStringLiteral("----");

DesKey storeKey()
{
    return deriveStoreKey("tandor");
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

DecodedStore unreadable()
{
    DecodedStore decoded;
    decoded.unreadable = true;
    return decoded;
}

bool isAllowedTextByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x20 && byte != 0x7F) || byte == '\t' || byte == '\r' || byte == '\n';
}

// Deciphers block by block and stops at the first sign that the file was not written by this
// program: plaintext is text without control characters other than tab, CR and LF, ends with
// CR LF, and only its last block may hold the zero bytes that fill it up. Checking as it goes
// keeps a large foreign file from being deciphered to the end.
std::optional<QByteArray> decipherWritten(const QByteArray& bytes)
{
    const DesCipher cipher(storeKey(), storeSBoxes());
    QByteArray text;
    text.reserve(bytes.size());
    const qsizetype blocks = bytes.size() / 8;
    for (qsizetype b = 0; b < blocks; ++b) {
        std::uint64_t block = 0;
        for (int i = 0; i < 8; ++i)
            block = (block << 8) | static_cast<std::uint8_t>(bytes[b * 8 + i]);
        block = cipher.decrypt(block);
        char plain[8];
        for (int i = 7; i >= 0; --i) {
            plain[i] = static_cast<char>(block & 0xFFu);
            block >>= 8;
        }
        int length = 8;
        if (b == blocks - 1) {
            while (length > 0 && plain[length - 1] == '\0')
                --length;
        }
        for (int i = 0; i < length; ++i) {
            if (!isAllowedTextByte(plain[i]))
                return std::nullopt;
        }
        text.append(plain, length);
    }
    if (!text.endsWith("\r\n"))
        return std::nullopt;
    return text;
}

} // namespace

namespace {

// Control characters other than tab, CR and LF would make the file look foreign when it is read
// back, so they are written as blanks.
QString withoutControlCharacters(QString text)
{
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\t' && code != u'\r' && code != u'\n') || code == 0x7F)
            c = u' ';
    }
    return text;
}

} // namespace

QByteArray storePlaintext(const std::vector<CustomAlgorithm>& algorithms, const char* codec)
{
    QString text;
    for (const CustomAlgorithm& item : algorithms)
        text += item.name + kNameSeparator + item.formulas + kRecordSeparator;
    text = withoutControlCharacters(std::move(text));
    QStringEncoder encoder(codec);
    return encoder(text);
}

std::vector<CustomAlgorithm> parseStorePlaintext(const QString& plaintext)
{
    std::vector<CustomAlgorithm> algorithms;
    for (const QString& record : splitPieces(plaintext, kRecordSeparator)) {
        const std::vector<QString> pieces = splitPieces(record, kNameSeparator);
        CustomAlgorithm item;
        if (!pieces.empty())
            item.name = pieces[0];
        if (pieces.size() > 1)
            item.formulas = pieces[1];
        algorithms.push_back(std::move(item));
    }
    return algorithms;
}

QByteArray encodeStore(const std::vector<CustomAlgorithm>& algorithms, const char* codec)
{
    if (algorithms.empty())
        return {};
    return encipherEcb(storePlaintext(algorithms, codec), storeKey(), storeSBoxes()).toHex().toUpper();
}

DecodedStore decodeStore(const QByteArray& stored, const char* codec)
{
    // The file's text ends at its first zero byte, so zero bytes after a good text (a file padded
    // by the file system after a crash) are ignored. Anything but zeros after that byte means the
    // file was damaged; it is kept for the move aside rather than read as a shorter list.
    const qsizetype zero = stored.indexOf('\0');
    QByteArray content = zero < 0 ? stored : stored.left(zero);
    if (zero >= 0 && std::any_of(stored.begin() + zero, stored.end(), [](char c) { return c != '\0'; }))
        return unreadable();
    // Blanks and line breaks after the text (an editor's final line break) are not part of it.
    while (!content.isEmpty() && std::string_view(" \t\r\n").find(content.back()) != std::string_view::npos)
        content.chop(1);
    if (content.isEmpty())
        return {};
    if (content.size() % 2 != 0 || content.size() % 16 != 0)
        return unreadable();
    QByteArray bytes(content.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int high = hexValue(content[2 * i]);
        const int low = hexValue(content[2 * i + 1]);
        if (high < 0 || low < 0)
            return unreadable();
        bytes[i] = static_cast<char>(high * 16 + low);
    }
    const std::optional<QByteArray> deciphered = decipherWritten(bytes);
    if (!deciphered)
        return unreadable();
    QStringDecoder decoder(codec);
    const QString plaintext = decoder(*deciphered);
    if (decoder.hasError())
        return unreadable();
    DecodedStore decoded;
    decoded.algorithms = parseStorePlaintext(plaintext);
    return decoded;
}

QString defaultStorePath()
{
    return fileLocations().dataFile;
}

bool storeCodecAvailable(const AlgorithmStore& store)
{
    return QStringEncoder(store.codec).isValid() && QStringDecoder(store.codec).isValid();
}

std::vector<CustomAlgorithm> loadAlgorithms(AlgorithmStore& store)
{
    store.unreadableOnDisk = false;
    QFile file(store.path);
    if (!file.exists())
        return {};
    // A FIFO or a device in the data file's place would never end the read: it counts as unreadable,
    // so the next save moves it aside and writes a file of its own.
    if (const QString special = specialFileReason(store.path); !special.isEmpty()) {
        qCWarning(lcCustom) << "the data file is refused:" << special;
        store.unreadableOnDisk = true;
        return {};
    }
    if (!storeCodecAvailable(store)) {
        qCWarning(lcCustom) << "no" << store.codec << "codec: the data file" << store.path << "is left unread";
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        store.unreadableOnDisk = true;
        return {};
    }
    const DecodedStore decoded = decodeStore(file.readAll(), store.codec);
    store.unreadableOnDisk = decoded.unreadable;
    return decoded.algorithms;
}

bool saveAlgorithms(AlgorithmStore& store, const std::vector<CustomAlgorithm>& algorithms, QString* error)
{
    const auto fail = [&](const QString& reason) {
        qCWarning(lcCustom) << "saving" << store.path << "failed:" << reason;
        if (error)
            *error = reason;
        return false;
    };
    if (!storeCodecAvailable(store)) {
        return fail(
            QStringLiteral("系统缺少 %1 编码，算法无法保存，原文件保持不变").arg(QString::fromLatin1(store.codec)));
    }
    if (store.unreadableOnDisk && QFile::exists(store.path)) {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString aside = store.path + QStringLiteral(".bad-") + stamp;
        for (int n = 1; QFile::exists(aside); ++n)
            aside = store.path + QStringLiteral(".bad-") + stamp + u'-' + QString::number(n);
        QFile unreadable(store.path);
        if (!unreadable.rename(aside))
            return fail(unreadable.errorString());
        qCInfo(lcCustom) << "kept the unreadable data file aside as" << aside;
    }
    store.unreadableOnDisk = false;
    // The user's data folder does not exist before the first save.
    if (!makeParentFolder(store.path))
        return fail(QStringLiteral("cannot create the folder %1").arg(QFileInfo(store.path).absolutePath()));
    QString reason;
    if (!replaceFile(store.path, encodeStore(algorithms, store.codec), &reason))
        return fail(reason);
    qCDebug(lcCustom) << "saved" << algorithms.size() << "algorithms to" << store.path;
    return true;
}

} // namespace tandor28
