#include "archive/archiveschema.h"
#include "archive/drawarchive.h"
#include "drawbuilders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

using namespace tandor28;
using testsupport::archiveDraws;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A raw connection beside the archive's, as another program would hold one.
struct RawConnection
{
    explicit RawConnection(const QString& path) { sqlite3_open(QFile::encodeName(path).constData(), &db); }
    ~RawConnection() { sqlite3_close(db); }
    int exec(const char* sql) const { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    QByteArray text(const char* sql) const
    {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        QByteArray value;
        if (sqlite3_step(statement) == SQLITE_ROW)
            value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        return value;
    }
    sqlite3* db = nullptr;
};

// A file even root cannot write: permissions first, the immutable flag where they do not bind.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const QString& path) : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
#ifdef Q_OS_LINUX
        QFile probe(path);
        if (probe.open(QIODevice::ReadWrite)) {
            probe.close();
            setImmutable(true);
        }
#endif
    }
    ~ReadOnlyFile()
    {
#ifdef Q_OS_LINUX
        if (m_immutable)
            setImmutable(false);
#endif
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    [[nodiscard]] bool holds() const
    {
        QFile probe(m_path);
        return !probe.open(QIODevice::ReadWrite);
    }

private:
#ifdef Q_OS_LINUX
    void setImmutable(bool on)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY);
        if (fd < 0)
            return;
        int flags = 0;
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            if (ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0)
                m_immutable = on;
        }
        ::close(fd);
    }
    bool m_immutable = false;
#endif
    QString m_path;
};

} // namespace

class TestArchiveOpen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void freshArchive();
    void migratesOlderFile();
    void newerVersionLeftAlone();
    void corruptMovedAside_data();
    void corruptMovedAside();
    void lockedWhenOpening();
    void lockedWhenWriting();
    void readOnly();
    void folderCreated();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestArchiveOpen::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("draws.sqlite3"));
}

void TestArchiveOpen::freshArchive()
{
    {
        const ArchiveOpening opening = DrawArchive::open(m_path);
        QVERIFY(opening.archive);
        QVERIFY(!opening.archive->isReadOnly());
        QVERIFY(opening.problem.isEmpty());
    }
    const RawConnection raw(m_path);
    QCOMPARE(raw.text("PRAGMA user_version"), QByteArray::number(archiveSchemaVersion()));
    QCOMPARE(raw.text("PRAGMA journal_mode"), QByteArray("wal"));
    QCOMPARE(raw.text("SELECT count(*) FROM sqlite_master WHERE name IN ('draws', 'conflicts')"), QByteArray("2"));
}

void TestArchiveOpen::migratesOlderFile()
{
    {
        // A file of version 0: an SQLite database without the archive's tables, say made by hand.
        const RawConnection raw(m_path);
        QCOMPARE(raw.exec("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('kept')"), SQLITE_OK);
    }
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY(opening.archive);
    QVERIFY(opening.archive->addDraws(LotteryKind::Lucky28, archiveDraws(1, 5), QStringLiteral("feed")).ok);
    const RawConnection raw(m_path);
    QCOMPARE(raw.text("PRAGMA user_version"), QByteArray::number(archiveSchemaVersion()));
    QCOMPARE(raw.text("SELECT text FROM notes"), QByteArray("kept"));
}

void TestArchiveOpen::newerVersionLeftAlone()
{
    {
        const RawConnection raw(m_path);
        QCOMPARE(raw.exec("CREATE TABLE future (x); PRAGMA user_version = 99"), SQLITE_OK);
    }
    const QByteArray before = readAll(m_path);
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY(!opening.archive);
    QCOMPARE(opening.problem, QStringLiteral("the archive was written by a newer version of the program"));
    QCOMPARE(readAll(m_path), before);
}

void TestArchiveOpen::corruptMovedAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray garbage(8192, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char(i * 31 % 251);
    // clang-format off
    QTest::newRow("text file")            << QByteArray("issue,date,time\n1,2,3\n");
    QTest::newRow("binary garbage")       << garbage;
    QTest::newRow("zip archive")          << QByteArray("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10) + garbage;
    QTest::newRow("header, then garbage") << QByteArray("SQLite format 3\0", 16) + garbage;
    // clang-format on
}

void TestArchiveOpen::corruptMovedAside()
{
    QFETCH(QByteArray, bytes);
    writeAll(m_path, bytes);
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY2(opening.archive, qPrintable(opening.problem));
    QVERIFY(!opening.movedAside.isEmpty());
    QVERIFY(opening.problem.startsWith(
        QStringLiteral("the archive file was damaged; it was moved to draws.sqlite3.corrupt-")));
    // The damaged bytes are kept untouched beside the fresh archive, which works.
    QCOMPARE(readAll(opening.movedAside), bytes);
    QVERIFY(opening.archive->addDraws(LotteryKind::Lucky28, archiveDraws(1, 5), QStringLiteral("feed")).ok);
    QCOMPARE(opening.archive->drawCount(LotteryKind::Lucky28), 5);
}

void TestArchiveOpen::lockedWhenOpening()
{
    {
        const ArchiveOpening opening = DrawArchive::open(m_path);
        QVERIFY(opening.archive);
    }
    // Another program has the file in the rollback journal mode and holds an exclusive lock.
    const RawConnection other(m_path);
    QCOMPARE(other.exec("PRAGMA journal_mode = DELETE"), SQLITE_OK);
    QCOMPARE(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    const QByteArray before = readAll(m_path);
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY(!opening.archive);
    QCOMPARE(opening.problem, QStringLiteral("the archive is locked by another program"));
    QVERIFY(opening.movedAside.isEmpty());
    QCOMPARE(readAll(m_path), before);
    other.exec("ROLLBACK");
    QVERIFY(DrawArchive::open(m_path).archive);
}

void TestArchiveOpen::lockedWhenWriting()
{
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY(opening.archive);
    QVERIFY(opening.archive->addDraws(LotteryKind::Lucky28, archiveDraws(1, 5), QStringLiteral("feed")).ok);
    const RawConnection other(m_path);
    QCOMPARE(other.exec("BEGIN IMMEDIATE"), SQLITE_OK);
    const ArchiveAdd add = opening.archive->addDraws(LotteryKind::Lucky28, archiveDraws(6, 10), QStringLiteral("feed"));
    QVERIFY(!add.ok);
    QCOMPARE(add.error, QStringLiteral("the archive is locked by another program"));
    QCOMPARE(add.added, 0);
    // Reading goes on while the other program writes; once it is done, the next fetch is kept.
    QCOMPARE(opening.archive->drawCount(LotteryKind::Lucky28), 5);
    other.exec("COMMIT");
    QVERIFY(opening.archive->addDraws(LotteryKind::Lucky28, archiveDraws(6, 10), QStringLiteral("feed")).ok);
    QCOMPARE(opening.archive->drawCount(LotteryKind::Lucky28), 10);
}

void TestArchiveOpen::readOnly()
{
    {
        const ArchiveOpening opening = DrawArchive::open(m_path);
        QVERIFY(opening.archive);
        QVERIFY(opening.archive->addDraws(LotteryKind::Lucky28, archiveDraws(1, 5), QStringLiteral("feed")).ok);
    }
    const ReadOnlyFile guard(m_path);
    if (!guard.holds())
        QSKIP("this file system lets this user write any file");
    const QByteArray before = readAll(m_path);
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY2(opening.archive, qPrintable(opening.problem));
    QVERIFY(opening.archive->isReadOnly());
    QCOMPARE(opening.problem, QStringLiteral("the archive is read-only: new draws are not kept"));
    QCOMPARE(opening.archive->loadDraws(LotteryKind::Lucky28, 0), archiveDraws(1, 5));
    const ArchiveAdd add = opening.archive->addDraws(LotteryKind::Lucky28, archiveDraws(6, 10), QStringLiteral("feed"));
    QVERIFY(!add.ok);
    QCOMPARE(add.error, QStringLiteral("the archive is read-only"));
    QCOMPARE(readAll(m_path), before);
}

void TestArchiveOpen::folderCreated()
{
    const QString nested = m_dir->filePath(QStringLiteral("a/b/draws.sqlite3"));
    QVERIFY(DrawArchive::open(nested).archive);
    QVERIFY(QFile::exists(nested));
}

QTEST_GUILESS_MAIN(TestArchiveOpen)
#include "tst_archiveopen.moc"
