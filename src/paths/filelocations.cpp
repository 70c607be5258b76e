#include "paths/filelocations.h"

#include "paths/pathslog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tandor28 {

namespace {

QString inFolder(const QString& folder, const char* name)
{
    return QDir(folder).filePath(QString::fromLatin1(name));
}

// The default settings shipped with an installed program, or the empty text.
QString shippedSettings(const QStringList& sharedDataDirs)
{
    for (const QString& dir : sharedDataDirs) {
        const QString candidate = inFolder(inFolder(dir, kSharedDataFolder), kSettingsFileName);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

} // namespace

FileSystemPlaces currentPlaces()
{
    FileSystemPlaces places;
    places.programDir = QCoreApplication::applicationDirPath();
    places.userDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    places.userConfigDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    places.sharedDataDirs.append(QDir::cleanPath(places.programDir + QStringLiteral("/../share")));
    places.sharedDataDirs.append(QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
    return places;
}

FileLocations fileLocations(const FileSystemPlaces& places)
{
    FileLocations locations;
    const QString besideData = inFolder(places.programDir, kDataFileName);
    const QString besideSettings = inFolder(places.programDir, kSettingsFileName);
    // Only the program's own share/ folder marks an install; the standard shared folders may hold
    // another copy's default.
    const bool installed = !shippedSettings(places.sharedDataDirs.mid(0, 1)).isEmpty();
    const bool hasBesideData = QFileInfo(besideData).isFile();
    locations.portable = QFileInfo(besideSettings).isFile() || (hasBesideData && !installed);

    locations.dataDir = locations.portable ? places.programDir : places.userDataDir;
    locations.dataFile = inFolder(locations.dataDir, kDataFileName);
    locations.cookieStore = inFolder(locations.dataDir, kCookieStoreFileName);
    locations.drawArchive = inFolder(locations.dataDir, kDrawArchiveFileName);
    locations.userSettingsFile = inFolder(places.userConfigDir, kSettingsFileName);
    if (locations.portable) {
        locations.settingsFile = besideSettings;
        return locations;
    }
    locations.oldDataFile = hasBesideData ? besideData : QString();
    if (QFileInfo(locations.userSettingsFile).isFile()) {
        locations.settingsFile = locations.userSettingsFile;
    } else {
        const QString shipped = shippedSettings(places.sharedDataDirs);
        locations.settingsFile = shipped.isEmpty() ? locations.userSettingsFile : shipped;
    }
    return locations;
}

FileLocations fileLocations()
{
    return fileLocations(currentPlaces());
}

bool makeParentFolder(const QString& filePath)
{
    return QDir().mkpath(QFileInfo(filePath).absolutePath());
}

AdoptOutcome adoptOldDataFile(const FileLocations& locations, QString* error)
{
    if (locations.portable || locations.oldDataFile.isEmpty() || QFileInfo::exists(locations.dataFile))
        return AdoptOutcome::NothingToDo;
    QString reason;
    if (!makeParentFolder(locations.dataFile)) {
        reason = QStringLiteral("cannot create the folder %1").arg(QFileInfo(locations.dataFile).absolutePath());
    } else {
        QFile original(locations.oldDataFile);
        if (original.copy(locations.dataFile)) {
            qCInfo(lcPaths) << "copied" << locations.oldDataFile << "to" << locations.dataFile;
            return AdoptOutcome::Copied;
        }
        reason = original.errorString();
    }
    qCWarning(lcPaths) << "could not copy" << locations.oldDataFile << "to" << locations.dataFile << ":" << reason;
    if (error)
        *error = reason;
    return AdoptOutcome::Failed;
}

} // namespace tandor28
