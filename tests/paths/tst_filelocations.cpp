#include "paths/filelocations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;

namespace {

// A program installed under <root>/prefix (or merely built there), with the user's folders under
// <root>/home.
struct Layout
{
    QTemporaryDir root;
    FileSystemPlaces places;

    Layout()
    {
        places.programDir = root.filePath(QStringLiteral("prefix/bin"));
        places.userDataDir = root.filePath(QStringLiteral("home/data/tandor28"));
        places.userConfigDir = root.filePath(QStringLiteral("home/config/tandor28"));
        places.sharedDataDirs = {root.filePath(QStringLiteral("prefix/share")),
                                 root.filePath(QStringLiteral("system/share"))};
        QDir().mkpath(places.programDir);
    }

    QString shippedSettings() const { return root.filePath(QStringLiteral("prefix/share/tandor28/tandor28.ini")); }

    static bool write(const QString& path, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};

} // namespace

class TestFileLocations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void locations_data();
    void locations();
    void otherCopiesDefaultIsNoInstall();
    void adopt_data();
    void adopt();
    void thisProcessUsesTheUserFolders();
};

void TestFileLocations::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestFileLocations::locations_data()
{
    QTest::addColumn<QStringList>("beside"); // files beside the executable
    QTest::addColumn<bool>("installed");     // share/tandor28/tandor28.ini next to bin/
    QTest::addColumn<bool>("userSettings");  // the user's own tandor28.ini exists
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("settings"); // beside, user, shipped
    QTest::addColumn<bool>("oldDataFile");

    const QString ini = QStringLiteral("tandor28.ini");
    const QString data = QStringLiteral("TandorData.ini");
    // clang-format off
    QTest::newRow("build folder: settings beside")          << QStringList{ini}       << false << false << true  << "beside"  << false;
    QTest::newRow("copied folder: data file beside")        << QStringList{data}      << false << false << true  << "beside"  << false;
    QTest::newRow("portable wins over user settings")       << QStringList{ini, data} << true  << true  << true  << "beside"  << false;
    QTest::newRow("installed: shipped default")             << QStringList{}          << true  << false << false << "shipped" << false;
    QTest::newRow("installed: the user's own settings")     << QStringList{}          << true  << true  << false << "user"    << false;
    QTest::newRow("installed: old data file beside")        << QStringList{data}      << true  << false << false << "shipped" << true;
    QTest::newRow("bare program: user folders, no default") << QStringList{}          << false << false << false << "user"    << false;
    // clang-format on
}

void TestFileLocations::locations()
{
    QFETCH(QStringList, beside);
    QFETCH(bool, installed);
    QFETCH(bool, userSettings);
    QFETCH(bool, portable);
    QFETCH(QString, settings);
    QFETCH(bool, oldDataFile);

    Layout layout;
    for (const QString& name : beside)
        QVERIFY(Layout::write(QDir(layout.places.programDir).filePath(name), "[endpoints]\n"));
    if (installed)
        QVERIFY(Layout::write(layout.shippedSettings(), "[endpoints]\n"));
    const QString userIni = QDir(layout.places.userConfigDir).filePath(QStringLiteral("tandor28.ini"));
    if (userSettings)
        QVERIFY(Layout::write(userIni, "[endpoints]\n"));

    const FileLocations locations = fileLocations(layout.places);
    QCOMPARE(locations.portable, portable);
    const QString dataDir = portable ? layout.places.programDir : layout.places.userDataDir;
    QCOMPARE(locations.dataDir, dataDir);
    QCOMPARE(locations.dataFile, QDir(dataDir).filePath(QStringLiteral("TandorData.ini")));
    QCOMPARE(locations.cookieStore, QDir(dataDir).filePath(QStringLiteral("cookies.txt")));
    QCOMPARE(locations.drawArchive, QDir(dataDir).filePath(QStringLiteral("draws.sqlite3")));
    QCOMPARE(locations.userSettingsFile, userIni);
    const QString expectedSettings = settings == QLatin1String("beside")
                                         ? QDir(layout.places.programDir).filePath(QStringLiteral("tandor28.ini"))
                                     : settings == QLatin1String("user") ? userIni
                                                                         : layout.shippedSettings();
    QCOMPARE(locations.settingsFile, expectedSettings);
    QCOMPARE(locations.oldDataFile,
             oldDataFile ? QDir(layout.places.programDir).filePath(QStringLiteral("TandorData.ini")) : QString());
}

void TestFileLocations::otherCopiesDefaultIsNoInstall()
{
    // A default in a system-wide shared folder is used for the settings, but does not make a
    // program folder with a data file beside it an installed one.
    Layout layout;
    const QString systemDefault = layout.root.filePath(QStringLiteral("system/share/tandor28/tandor28.ini"));
    QVERIFY(Layout::write(systemDefault, "[endpoints]\n"));
    FileLocations locations = fileLocations(layout.places);
    QVERIFY(!locations.portable);
    QCOMPARE(locations.settingsFile, systemDefault);
    QVERIFY(Layout::write(QDir(layout.places.programDir).filePath(QStringLiteral("TandorData.ini")), "AB"));
    locations = fileLocations(layout.places);
    QVERIFY(locations.portable);
    QVERIFY(locations.oldDataFile.isEmpty());
}

void TestFileLocations::adopt_data()
{
    QTest::addColumn<bool>("userHasData");   // the data folder already holds a data file
    QTest::addColumn<bool>("folderBlocked"); // a file stands where the data folder should be
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QByteArray>("userData"); // the data file's content afterwards
    // clang-format off
    QTest::newRow("first start copies the old file") << false << false << int(AdoptOutcome::Copied)      << QByteArray("OLD");
    QTest::newRow("the user's own file stays")       << true  << false << int(AdoptOutcome::NothingToDo) << QByteArray("MINE");
    QTest::newRow("blocked folder fails, says why")  << false << true  << int(AdoptOutcome::Failed)      << QByteArray("<missing>");
    // clang-format on
}

void TestFileLocations::adopt()
{
    QFETCH(bool, userHasData);
    QFETCH(bool, folderBlocked);
    QFETCH(int, outcome);
    QFETCH(QByteArray, userData);

    Layout layout;
    QVERIFY(Layout::write(layout.shippedSettings(), "[endpoints]\n"));
    const QString old = QDir(layout.places.programDir).filePath(QStringLiteral("TandorData.ini"));
    QVERIFY(Layout::write(old, "OLD"));
    if (folderBlocked)
        QVERIFY(Layout::write(layout.places.userDataDir, "a file"));
    const FileLocations locations = fileLocations(layout.places);
    if (userHasData)
        QVERIFY(Layout::write(locations.dataFile, "MINE"));

    QString error;
    QCOMPARE(int(adoptOldDataFile(locations, &error)), outcome);
    QCOMPARE(error.isEmpty(), outcome != int(AdoptOutcome::Failed));
    QCOMPARE(Layout::read(locations.dataFile), userData);
    QCOMPARE(Layout::read(old), QByteArray("OLD"));
    // A second start finds the data folder's own file and leaves everything alone.
    if (outcome == int(AdoptOutcome::Copied)) {
        QVERIFY(Layout::write(locations.dataFile, "SAVED LATER"));
        QCOMPARE(int(adoptOldDataFile(fileLocations(layout.places))), int(AdoptOutcome::NothingToDo));
        QCOMPARE(Layout::read(locations.dataFile), QByteArray("SAVED LATER"));
    }
}

void TestFileLocations::thisProcessUsesTheUserFolders()
{
    // Nothing of the program's stands beside a test executable: the (test mode) user folders.
    const FileLocations locations = fileLocations();
    QVERIFY(!locations.portable);
    QVERIFY2(locations.dataFile.contains(QLatin1String(".qttest")), qPrintable(locations.dataFile));
    QCOMPARE(QFileInfo(locations.dataFile).fileName(), QStringLiteral("TandorData.ini"));
}

QTEST_GUILESS_MAIN(TestFileLocations)
#include "tst_filelocations.moc"
