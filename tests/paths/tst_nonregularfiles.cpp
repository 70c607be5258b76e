// A FIFO (or a device) in the place of a file the program reads or writes is refused at once: no
// reader waits for a writer that never comes, and no writer replaces it unasked.
#include "archive/drawarchive.h"
#include "custom/algorithmstore.h"
#include "feed/countdown.h"
#include "feed/endpoints.h"
#include "feed/http.h"
#include "feed/sources.h"
#include "paths/filewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using namespace tandor28;

namespace {

bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

class TestNonRegularFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fifoIsRefused_data();
    void fifoIsRefused();
    void deviceIsRefused();
    void refusedDataFileIsMovedAsideBySave();

private:
    QTemporaryDir m_dir;
};

void TestNonRegularFiles::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(cookieStorePath().contains(QLatin1String(".qttest")));
    QVERIFY(m_dir.isValid());
}

void TestNonRegularFiles::fifoIsRefused_data()
{
    QTest::addColumn<int>("reader");
    // clang-format off
    QTest::newRow("saved algorithms")   << 0;
    QTest::newRow("settings: endpoints") << 1;
    QTest::newRow("settings: schedule") << 2;
    QTest::newRow("settings: sources")  << 3;
    QTest::newRow("draw archive")       << 4;
    QTest::newRow("archive check")      << 5;
    QTest::newRow("cookie file")        << 6;
    QTest::newRow("replaced file")      << 7;
    // clang-format on
}

void TestNonRegularFiles::fifoIsRefused()
{
    QFETCH(int, reader);
    const QString path = reader == 6 ? cookieStorePath() : m_dir.filePath(QStringLiteral("fifo-%1").arg(reader));
    QFile::remove(path);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QVERIFY(makeFifo(path));
    QVERIFY(!specialFileReason(path).isEmpty());
    // Each returns at once; a read of the FIFO would block this test until its timeout.
    const std::function<bool()> readers[] = {
        [&] {
            AlgorithmStore store{path};
            return loadAlgorithms(store).empty() && store.unreadableOnDisk;
        },
        [&] { return loadEndpoints(path).notice == loadEndpoints(m_dir.filePath(QStringLiteral("none.ini"))).notice; },
        [&] {
            return loadCountdownSchedule(path).luckyFirstDraw ==
                   loadCountdownSchedule(m_dir.filePath(QStringLiteral("none.ini"))).luckyFirstDraw;
        },
        [&] {
            return loadSources(path, LotteryKind::Lucky28, QStringLiteral("http://127.0.0.1/x")).sources.size() == 1;
        },
        [&] {
            const ArchiveOpening opening = DrawArchive::open(path);
            return !opening.archive && opening.problem.contains(QLatin1String("not a regular file"));
        },
        [&] {
            QString why;
            return DrawArchive::integrityCheck(path, &why).isEmpty() && !why.isEmpty();
        },
        [&] { return storedCookies(QStringLiteral("127.0.0.1")).isEmpty(); },
        [&] {
            QString why;
            return !replaceFile(path, QByteArray("new"), &why) && why.contains(QStringLiteral("不是普通文件"));
        },
    };
    QVERIFY(readers[reader]());
    // The FIFO is still there, untouched.
    QVERIFY(!QFileInfo(path).isFile());
    QVERIFY(QFileInfo::exists(path));
    QFile::remove(path);
}

void TestNonRegularFiles::deviceIsRefused()
{
    QVERIFY(!specialFileReason(QStringLiteral("/dev/zero")).isEmpty());
    QVERIFY(!specialFileReason(m_dir.path()).isEmpty());
    QVERIFY(specialFileReason(m_dir.filePath(QStringLiteral("not-yet"))).isEmpty());
    AlgorithmStore store{QStringLiteral("/dev/zero")};
    QVERIFY(loadAlgorithms(store).empty());
    QVERIFY(store.unreadableOnDisk);
}

void TestNonRegularFiles::refusedDataFileIsMovedAsideBySave()
{
    const QString path = m_dir.filePath(QStringLiteral("TandorData.ini"));
    QVERIFY(makeFifo(path));
    AlgorithmStore store{path};
    QVERIFY(loadAlgorithms(store).empty());
    CustomAlgorithm item;
    item.name = QStringLiteral("甲");
    item.formulas = QStringLiteral("[1]|[2]|[3]");
    QString why;
    QVERIFY2(saveAlgorithms(store, {item}, &why), qPrintable(why));
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("TandorData.ini.bad-*")}, QDir::System).size(), 1);
    QCOMPARE(loadAlgorithms(store).size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestNonRegularFiles)
#include "tst_nonregularfiles.moc"
