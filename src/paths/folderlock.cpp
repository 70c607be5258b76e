#include "paths/folderlock.h"

#include "paths/filelocations.h"
#include "paths/pathslog.h"

#include <QDir>

namespace tandor28 {

QString alreadyRunningText(const QString& dataDir)
{
    return QStringLiteral("程序已在运行：数据文件夹 %1 已由另一个窗口使用，本窗口将关闭。")
        .arg(QDir::toNativeSeparators(dataDir));
}

FolderLock lockDataFolder(const QString& dataDir)
{
    FolderLock result;
    const QString path = QDir(dataDir).filePath(QString::fromLatin1(kWindowLockFileName));
    if (!makeParentFolder(path)) {
        result.problem = QStringLiteral("cannot create the folder %1").arg(dataDir);
        return result;
    }
    auto lock = std::make_unique<QLockFile>(path);
    // A lock whose program has ended is stale; a running one never is, however old.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        result.lock = std::move(lock);
        return result;
    }
    result.heldByAnother = lock->error() == QLockFile::LockFailedError;
    result.problem =
        result.heldByAnother ? alreadyRunningText(dataDir) : QStringLiteral("cannot write the lock file %1").arg(path);
    qCWarning(lcPaths) << "the data folder" << dataDir << "is not locked:" << result.problem;
    return result;
}

} // namespace tandor28
