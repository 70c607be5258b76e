#pragma once

#include <QString>
#include <QStringList>

namespace tandor28 {

inline constexpr auto kDataFileName = "TandorData.ini";
inline constexpr auto kSettingsFileName = "tandor28.ini";
inline constexpr auto kCookieStoreFileName = "cookies.txt";
inline constexpr auto kDrawArchiveFileName = "draws.sqlite3";
// The folder under share/ (and under the shared data folders) that holds the default settings.
inline constexpr auto kSharedDataFolder = "tandor28";

// The folders the locations are derived from: the executable's folder, the user's data and config
// folders, and the shared data folders searched for share/tandor28/tandor28.ini, in order.
struct FileSystemPlaces
{
    QString programDir;
    QString userDataDir;
    QString userConfigDir;
    QStringList sharedDataDirs;
};

// Where each file lives. A portable program folder (TandorData.ini or tandor28.ini beside the
// executable) keeps everything there, as a copied folder or the build folder expects. Otherwise
// the data files are in the user's data folder and the settings file is the user's own one when it
// exists, else the shipped default, else the user's path (missing: built-in defaults).
struct FileLocations
{
    bool portable = false;
    QString dataDir;
    QString dataFile;     // saved algorithms
    QString cookieStore;  // the HTTP client's cookies
    QString drawArchive;  // the draw archive database
    QString settingsFile; // the tandor28.ini to read
    QString userSettingsFile;
    // A TandorData.ini beside an installed program (one with share/tandor28/tandor28.ini next to its
    // folder), left from before the install; empty when there is none.
    QString oldDataFile;
};

// The places of this process: QCoreApplication::applicationDirPath() and QStandardPaths (which
// honours test mode); the shared data folders are <program>/../share, then the standard ones.
[[nodiscard]] FileSystemPlaces currentPlaces();
[[nodiscard]] FileLocations fileLocations(const FileSystemPlaces& places);
[[nodiscard]] FileLocations fileLocations();

enum class AdoptOutcome
{
    NothingToDo, // portable, no old file, or the data folder already has its own data file
    Copied,      // the old file was copied into the data folder; the original stays
    Failed,      // the copy failed; `error` says why, the original stays
};

// The first start after an install: copies an old TandorData.ini from beside the program into the
// data folder, unless the data folder already holds one. Never moves or changes the original.
[[nodiscard]] AdoptOutcome adoptOldDataFile(const FileLocations& locations, QString* error = nullptr);

// Creates the folder that will hold `filePath`; false when it cannot be created.
bool makeParentFolder(const QString& filePath);

} // namespace tandor28
