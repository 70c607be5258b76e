#include "paths/filewrite.h"

#include "paths/pathslog.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tandor28 {

namespace {

// The system's words for a failed write ("File too large", "No space left on device"): Qt's own
// text of a failed flush is only "Unknown error".
QString systemReason(int code, const QString& fallback)
{
    return code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : fallback;
}

} // namespace

QString specialFileReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    if (info.isDir())
        return QStringLiteral("%1 是文件夹，不是普通文件").arg(path);
    return QStringLiteral("%1 不是普通文件（管道、设备或套接字）").arg(path);
}

bool replaceFile(const QString& path, const ContentWriter& writeContent, QString* error)
{
    const auto fail = [&](const QString& reason) {
        qCWarning(lcPaths) << "writing" << path << "failed:" << reason;
        if (error)
            *error = reason;
        return false;
    };
    if (const QString special = specialFileReason(path); !special.isEmpty())
        return fail(special);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QString why;
    errno = 0;
    if (!writeContent(file, &why)) {
        const QString reason = why.isEmpty() ? systemReason(errno, file.errorString()) : why;
        file.cancelWriting();
        return fail(reason);
    }
    // The last buffered bytes reach the disk only here; QSaveFile::commit() would close the file
    // without looking at this flush's error and put a truncated file in the old one's place.
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString reason = systemReason(errno, file.errorString());
        file.cancelWriting();
        return fail(reason);
    }
#ifdef Q_OS_UNIX
    // A disk that fills up may only say so when the data is synced; commit() ignores that error.
    if (::fsync(file.handle()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return fail(reason);
    }
#endif
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool replaceFile(const QString& path, const QByteArray& content, QString* error)
{
    return replaceFile(
        path,
        // A failed write leaves the reason to the system's error.
        [&content](QIODevice& out, QString*) { return out.write(content) == content.size(); }, error);
}

} // namespace tandor28
