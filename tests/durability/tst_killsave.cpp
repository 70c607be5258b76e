#include "writerlists.h"

#include "archive/drawarchive.h"
#include "custom/algorithmstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

using namespace tandor28;

namespace {

constexpr int kKills = 200;

// What a writer leaves on disk after a kill: 0 or 1 for one of its two known contents, -1 for
// anything else (damaged, half written, missing).
using StateCheck = std::function<int(const QString& dir)>;

// One row per file the program writes: how to start its writer, how to prepare the first content
// and how to read back which content is there.
struct Writer
{
    QStringList arguments;
    std::function<bool(const QString& dir)> prepare;
    StateCheck state;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

Writer dataFileWriter(const QString& dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("TandorData.ini"));
    Writer writer;
    writer.arguments = {QStringLiteral("datafile"), path};
    writer.prepare = [path](const QString&) {
        AlgorithmStore store{path};
        return saveAlgorithms(store, durability::writerList(false));
    };
    const QByteArray contents[2] = {encodeStore(durability::writerList(false)),
                                    encodeStore(durability::writerList(true))};
    writer.state = [path, contents](const QString&) {
        const QByteArray bytes = readAll(path);
        for (int i = 0; i < 2; ++i) {
            if (bytes == contents[i]) {
                AlgorithmStore store{path};
                const bool loads = loadAlgorithms(store) == durability::writerList(i == 1) && !store.unreadableOnDisk;
                return loads ? i : -1;
            }
        }
        return -1;
    };
    return writer;
}

// The archive only grows: after a kill it must open without being moved aside, hold whole batches
// only, each draw as written. 0 when the killed run added nothing, 1 when it added batches.
Writer archiveWriter(const QString& dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("draws.sqlite3"));
    Writer writer;
    writer.arguments = {QStringLiteral("archive"), path};
    auto kept = std::make_shared<qint64>(0);
    writer.prepare = [path, kept](const QString&) {
        const ArchiveOpening opening = DrawArchive::open(path);
        if (!opening.archive)
            return false;
        std::vector<DatedDraw> batch;
        for (int i = 0; i < durability::kArchiveBatch; ++i)
            batch.push_back(durability::archiveDraw(durability::kArchiveFirstIssue + i));
        *kept = durability::kArchiveBatch;
        return opening.archive->addDraws(LotteryKind::Lucky28, batch, QStringLiteral("prepare")).ok;
    };
    writer.state = [path, kept](const QString& dir) {
        const ArchiveOpening opening = DrawArchive::open(path);
        if (!opening.archive || !opening.problem.isEmpty() || !opening.movedAside.isEmpty() ||
            QDir(dir).entryList({QStringLiteral("*.corrupt-*")}).size() > 0)
            return -1;
        // Counting is cheap; the rows are compared where this run may have written, from the last
        // batch checked before it on.
        const qint64 count = opening.archive->drawCount(LotteryKind::Lucky28);
        if (count < *kept || count % durability::kArchiveBatch != 0 ||
            opening.archive->newestIssue(LotteryKind::Lucky28) != durability::kArchiveFirstIssue + count - 1)
            return -1;
        const qint64 from = durability::kArchiveFirstIssue + *kept - durability::kArchiveBatch;
        const std::vector<DatedDraw> draws =
            opening.archive->loadIssues(LotteryKind::Lucky28, from, durability::kArchiveFirstIssue + count - 1);
        if (static_cast<qint64>(draws.size()) != count - *kept + durability::kArchiveBatch)
            return -1;
        for (std::size_t i = 0; i < draws.size(); ++i)
            if (draws[i] != durability::archiveDraw(from + static_cast<qint64>(i)))
                return -1;
        const int state = count > *kept ? 1 : 0;
        *kept = count;
        return state;
    };
    return writer;
}

Writer writerNamed(const QString& name, const QString& dir)
{
    if (name == QLatin1String("datafile"))
        return dataFileWriter(dir);
    if (name == QLatin1String("archive"))
        return archiveWriter(dir);
    return {};
}

} // namespace

class TestKillSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWriterLeavesOldOrNew_data();
    void killedWriterLeavesOldOrNew();
};

void TestKillSave::killedWriterLeavesOldOrNew_data()
{
    QTest::addColumn<QString>("writer");
    QTest::newRow("saved algorithms") << QStringLiteral("datafile");
    QTest::newRow("draw archive") << QStringLiteral("archive");
}

void TestKillSave::killedWriterLeavesOldOrNew()
{
    QFETCH(QString, writer);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Writer w = writerNamed(writer, dir.path());
    QVERIFY(w.prepare);
    QVERIFY(w.prepare(dir.path()));
    QCOMPARE(w.state(dir.path()), 0);

    // How long one save takes here (slower under a sanitizer or a loaded machine).
    QProcess timing;
    timing.start(QStringLiteral(TANDOR28_KILLWRITER), w.arguments);
    QVERIFY2(timing.waitForStarted(30000), qPrintable(timing.errorString()));
    QElapsedTimer clock;
    int saves = 0;
    while (saves < 5 && timing.waitForReadyRead(30000)) {
        if (saves == 0)
            clock.start();
        while (timing.canReadLine()) {
            timing.readLine();
            ++saves;
        }
    }
    timing.kill();
    timing.waitForFinished(30000);
    QVERIFY2(saves >= 5, "the writer did not save five times");
    const qint64 saveUs = std::max<qint64>(clock.nsecsElapsed() / 1000 / (saves - 1), 100);
    QVERIFY(w.state(dir.path()) >= 0);

    const unsigned seed = std::random_device{}();
    qInfo("one save takes about %lld us; kill moments from seed %u", saveUs, seed);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<qint64> pauseUs(0, 2 * saveUs);
    int seen[2] = {0, 0};
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(TANDOR28_KILLWRITER), w.arguments);
        QVERIFY2(process.waitForStarted(30000), qPrintable(process.errorString()));
        // Every other kill waits for the first save to end, so that kills fall inside a save of
        // either content, however long the start of the process takes.
        if (kill % 2 == 1)
            QVERIFY2(process.waitForReadyRead(30000), "the writer did not save");
        QThread::usleep(static_cast<unsigned long>(pauseUs(rng)));
        // Still running: it only ends when killed or when a save failed.
        QCOMPARE(process.state(), QProcess::Running);
        process.kill();
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        const int state = w.state(dir.path());
        QVERIFY2(state >= 0, qPrintable(QStringLiteral("damaged after kill %1 (seed %2)").arg(kill).arg(seed)));
        ++seen[state];
    }
    qInfo("%d kills: old content %d times, new content %d times", kKills, seen[0], seen[1]);
    // Both contents turn up, so the kills really fell on different moments of the saves.
    QVERIFY(seen[0] > 0);
    QVERIFY(seen[1] > 0);
}

QTEST_GUILESS_MAIN(TestKillSave)
#include "tst_killsave.moc"
