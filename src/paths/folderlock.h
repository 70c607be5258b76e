#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace tandor28 {

inline constexpr auto kWindowLockFileName = "tandor28.lock";

// What a second window on the same data folder says before it ends.
[[nodiscard]] QString alreadyRunningText(const QString& dataDir);

// The lock a window holds on its data folder for as long as it runs, so that no second window
// writes the same saved algorithms and loses the other's saves. A lock left by a program that
// ended without releasing it is taken over. The companion never takes it: it writes the archive
// beside a window, as SQLite serialises the writes.
struct FolderLock
{
    std::unique_ptr<QLockFile> lock; // null when the folder is not locked
    bool heldByAnother = false;      // another running window holds it
    QString problem;                 // why the folder is not locked
};
[[nodiscard]] FolderLock lockDataFolder(const QString& dataDir);

} // namespace tandor28
