// Every file the program replaces, written once more under a file size limit (as on a full disk):
// the write fails with its reason and the old file stays byte for byte.
#include "writerlists.h"

#include "archive/drawarchive.h"
#include "custom/algorithmstore.h"
#include "feed/http.h"
#include "paths/filewrite.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <memory>
#include <utility>

#include <sys/resource.h>

using namespace tandor28;

namespace {

// Past this many bytes a write to any file fails with EFBIG (SIGXFSZ is ignored).
constexpr rlim_t kLimitBytes = 1024;

// The limit for the calling process while it lives; the hard limit stays, so it can be lifted.
class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = kLimitBytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

std::vector<CustomAlgorithm> algorithms(int count)
{
    std::vector<CustomAlgorithm> list = durability::writerList(false);
    list.resize(static_cast<std::size_t>(count));
    return list;
}

// A writer of one file: `prepare` writes the old content without a limit, `write` tries the new,
// larger one; both give false with the reason on failure.
struct Writer
{
    QString path;
    std::function<bool(QString* why)> prepare;
    std::function<bool(QString* why)> write;
};

Writer dataFileWriter(const QString& dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("TandorData.ini"));
    return {path,
            [path](QString* why) {
                AlgorithmStore store{path};
                return saveAlgorithms(store, algorithms(2), why);
            },
            [path](QString* why) {
                AlgorithmStore store{path};
                return saveAlgorithms(store, algorithms(40), why);
            }};
}

Writer cookieWriter(const QString&)
{
    const QString host = QStringLiteral("cookies.example");
    const auto store = [host](int count, QString* why) {
        QStringList cookies;
        for (int i = 0; i < count; ++i)
            cookies << QStringLiteral("c%1=%2").arg(i).arg(QString(20, u'v'));
        const bool stored = storeCookies(host, cookies.join(QStringLiteral("; ")), why);
        // The window's status bar and the companion's exit status read the reason here.
        if (!stored && cookieStoreProblem().isEmpty())
            *why = QStringLiteral("no problem kept for the status bar");
        return stored && cookieStoreProblem().isEmpty();
    };
    return {cookieStorePath(), [store](QString* why) { return store(2, why); },
            [store](QString* why) { return store(50, why); }};
}

Writer exportWriter(const QString& dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("export.csv"));
    // The archive is filled before the limit: 2 Lucky 28 draws for the old export, 40 Canada 28
    // draws for the one that hits the limit.
    auto archive = std::make_shared<std::unique_ptr<DrawArchive>>();
    const auto exportDraws = [path, archive](LotteryKind lottery, QString* why) {
        return replaceFile(
            path, [&](QIODevice& out, QString* failure) { return (*archive)->exportCsv(lottery, out, failure); }, why);
    };
    const auto prepare = [dir, archive, exportDraws](QString* why) {
        *archive = DrawArchive::open(QDir(dir).filePath(QStringLiteral("draws.sqlite3"))).archive;
        if (!*archive)
            return false;
        for (const auto& [lottery, count] :
             {std::pair{LotteryKind::Lucky28, 2}, std::pair{LotteryKind::Canada28Night, 40}}) {
            std::vector<DatedDraw> draws;
            for (int i = 0; i < count; ++i)
                draws.push_back(durability::archiveDraw(durability::kArchiveFirstIssue + i));
            if (!(*archive)->addDraws(lottery, draws, QStringLiteral("test")).ok)
                return false;
        }
        return exportDraws(LotteryKind::Lucky28, why);
    };
    return {path, prepare, [exportDraws](QString* why) { return exportDraws(LotteryKind::Canada28Night, why); }};
}

// The companion's "store encode", as a user runs it: a process of its own under the limit.
Writer cliStoreWriter(const QString& dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("cli-TandorData.ini"));
    // The child inherits the size limit and the ignored SIGXFSZ of the test while they hold.
    const auto encode = [path](int count, QString* why) {
        QProcess cli;
        cli.start(QStringLiteral(TANDOR28_CLI), {QStringLiteral("store"), QStringLiteral("encode"), path});
        for (int i = 0; i < count; ++i)
            cli.write(QStringLiteral("名%1----[1]+[2]|[3]*[4]|[5]-[6]\n").arg(i).toUtf8());
        cli.closeWriteChannel();
        if (!cli.waitForFinished(30000))
            return false;
        *why = QString::fromUtf8(cli.readAllStandardError()).trimmed();
        return cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
    };
    return {path, [encode](QString* why) { return encode(2, why); },
            [encode](QString* why) { return encode(40, why); }};
}

} // namespace

class TestWriteLimit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void companionOutputPastTheLimitFails();

private:
    QTemporaryDir m_dir;
};

void TestWriteLimit::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(cookieStorePath().contains(QLatin1String(".qttest")));
    QFile::remove(cookieStorePath());
    // A write past the limit then fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(m_dir.isValid());
}

void TestWriteLimit::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<int>("writer");
    // clang-format off
    QTest::newRow("saved algorithms")      << 0;
    QTest::newRow("cookie file")           << 1;
    QTest::newRow("archive CSV export")    << 2;
    QTest::newRow("companion store encode") << 3;
    // clang-format on
}

void TestWriteLimit::failedWriteKeepsTheOldFile()
{
    QFETCH(int, writer);
    const std::function<Writer(const QString&)> makers[] = {dataFileWriter, cookieWriter, exportWriter, cliStoreWriter};
    const Writer under = makers[writer](m_dir.path());
    QString why;
    QVERIFY2(under.prepare(&why), qPrintable(why));
    const QByteArray old = readAll(under.path);
    QVERIFY(!old.isEmpty());
    QVERIFY(static_cast<rlim_t>(old.size()) < kLimitBytes);
    bool written = false;
    why.clear();
    {
        const FileSizeLimit limit;
        written = under.write(&why);
    }
    QVERIFY(!written);
    QVERIFY2(!why.isEmpty(), "the failure gives no reason");
    QCOMPARE(readAll(under.path), old);
    // Nothing is left behind beside it: the temporary file went with the failure.
    const QStringList left = QDir(QFileInfo(under.path).absolutePath())
                                 .entryList({QFileInfo(under.path).fileName() + QStringLiteral(".*")}, QDir::Files);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u' ')));
    // Without the limit the same write goes through.
    QVERIFY2(under.write(&why), qPrintable(why));
    QVERIFY(readAll(under.path).size() > old.size());
}

void TestWriteLimit::companionOutputPastTheLimitFails()
{
    // The companion's output redirected to a file that hits the limit: a non-zero exit with the reason.
    const QString out = m_dir.filePath(QStringLiteral("formulas.txt"));
    QProcess cli;
    cli.setStandardOutputFile(out);
    cli.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = kLimitBytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    cli.start(QStringLiteral(TANDOR28_CLI), {QStringLiteral("--help")});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY(cli.exitCode() != 0);
    QVERIFY2(cli.readAllStandardError().contains("cannot write the output"), "no reason given");
}

QTEST_GUILESS_MAIN(TestWriteLimit)
#include "tst_writelimit.moc"
