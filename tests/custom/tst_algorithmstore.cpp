#include "custom/algorithmlist.h"
#include "custom/algorithmstore.h"
#include "custom/formula.h"
#include "custom/storecipher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <random>

using namespace tandor28;

namespace {

const QString kDefaultName = QStringLiteral("Tandor超神算法");
const QString kDefaultFormulas = QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]||[1]*[9]+[5]/[2]+[10]");

CustomAlgorithm item(const QString& name, const QString& formulas)
{
    CustomAlgorithm algorithm;
    algorithm.name = name;
    algorithm.formulas = formulas;
    return algorithm;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

QStringList asideFiles(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("TandorData.ini.bad-*")}, QDir::Files);
}

} // namespace

class TestAlgorithmStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void defaultRecordRoundTrip();
    void hexLengthIsAMultipleOf16_data();
    void hexLengthIsAMultipleOf16();
    void lowerCaseHexLoads();
    void trailingZeroBytesAreIgnored_data();
    void trailingZeroBytesAreIgnored();
    void trailingBlanksAreIgnored_data();
    void trailingBlanksAreIgnored();
    void missingCodecKeepsTheFile_data();
    void missingCodecKeepsTheFile();
    void saveRefusals_data();
    void saveRefusals();
    void recordsAsTheyComeBack_data();
    void recordsAsTheyComeBack();
    void barInAFormulaShiftsTheFormulas();
    void missingPiecesAreEmptyFormulas();
    void twoDeletionsInARow();
    void deletionWithoutChoiceDoesNothing();
    void clearLeavesAnEmptyFile();
    void missingFileIsAnEmptyList();
    void badFiles_data();
    void badFiles();
    void unwritablePlaceReportsFailure();
    void missingFolderIsCreated();
    void controlCharactersAreWrittenAsBlanks();
};

void TestAlgorithmStore::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestAlgorithmStore::defaultRecordRoundTrip()
{
    const std::vector<CustomAlgorithm> list = {item(kDefaultName, kDefaultFormulas)};
    // GBK plaintext, the record closed by CR LF.
    const QByteArray plaintext = storePlaintext(list);
    QCOMPARE(plaintext,
             QByteArray::fromHex("54616e646f72b3acc9f1cbe3b7a8") + "----" + kDefaultFormulas.toLatin1() + "\r\n");
    const QByteArray hex = encodeStore(list);
    QCOMPARE(hex, hex.toUpper());
    QCOMPARE(QByteArray::fromHex(hex), encipherEcb(plaintext, deriveStoreKey("tandor"), storeSBoxes()));

    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("TandorData.ini"))};
    QVERIFY(saveAlgorithms(store, list));
    QCOMPARE(readAll(store.path), hex);
    AlgorithmStore reopened{store.path};
    AlgorithmList loaded;
    loaded.items = loadAlgorithms(reopened);
    QVERIFY(!reopened.unreadableOnDisk);
    QCOMPARE(loaded.items, list);
    const std::optional<CustomAlgorithm> chosen = chooseAlgorithm(loaded, 0);
    QVERIFY(chosen);
    const auto formulas = splitFormulas(chosen->formulas);
    QCOMPARE(formulas[0], QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"));
    QCOMPARE(formulas[1], QString());
    QCOMPARE(formulas[2], QStringLiteral("[1]*[9]+[5]/[2]+[10]"));
}

void TestAlgorithmStore::hexLengthIsAMultipleOf16_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one item") << 1;
    QTest::newRow("two items") << 2;
    QTest::newRow("seven items") << 7;
}

void TestAlgorithmStore::hexLengthIsAMultipleOf16()
{
    QFETCH(int, count);
    std::vector<CustomAlgorithm> list;
    for (int i = 0; i < count; ++i)
        list.push_back(item(QStringLiteral("n%1").arg(i), QStringLiteral("[%1]||").arg(i + 1)));
    const QByteArray hex = encodeStore(list);
    QCOMPARE(hex.size() % 16, 0);
    QCOMPARE(hex.size() / 2, (storePlaintext(list).size() + 7) / 8 * 8);
    const DecodedStore decoded = decodeStore(hex);
    QVERIFY(!decoded.unreadable);
    QCOMPARE(decoded.algorithms, list);
}

void TestAlgorithmStore::lowerCaseHexLoads()
{
    const std::vector<CustomAlgorithm> list = {item(kDefaultName, kDefaultFormulas), item(QStringLiteral("b"), {})};
    const QByteArray hex = encodeStore(list);
    const DecodedStore lower = decodeStore(hex.toLower());
    QVERIFY(!lower.unreadable);
    QCOMPARE(lower.algorithms, list);
}

void TestAlgorithmStore::trailingZeroBytesAreIgnored_data()
{
    QTest::addColumn<int>("zeros");
    QTest::newRow("one zero byte") << 1;
    QTest::newRow("a block of zero bytes") << 16;
    QTest::newRow("four kilobytes of zero bytes") << 4096;
}

void TestAlgorithmStore::trailingZeroBytesAreIgnored()
{
    QFETCH(int, zeros);
    const std::vector<CustomAlgorithm> list = {item(kDefaultName, kDefaultFormulas), item(QStringLiteral("b"), {})};
    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("TandorData.ini"))};
    writeAll(store.path, encodeStore(list) + QByteArray(zeros, '\0'));
    QCOMPARE(loadAlgorithms(store), list);
    QVERIFY(!store.unreadableOnDisk);
}

void TestAlgorithmStore::trailingBlanksAreIgnored_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("items");
    // clang-format off
    QTest::newRow("CR LF")                 << QByteArray("\r\n")        << 2;
    QTest::newRow("LF")                    << QByteArray("\n")           << 2;
    QTest::newRow("blanks")                << QByteArray("   ")          << 2;
    QTest::newRow("tab, blank, line break") << QByteArray("\t \r\n\r\n") << 2;
    QTest::newRow("line break, then zeros") << QByteArray("\r\n\0\0", 4) << 2;
    QTest::newRow("empty list, line break") << QByteArray("\n")           << 0;
    // clang-format on
}

void TestAlgorithmStore::trailingBlanksAreIgnored()
{
    QFETCH(QByteArray, tail);
    QFETCH(int, items);
    std::vector<CustomAlgorithm> list = {item(kDefaultName, kDefaultFormulas), item(QStringLiteral("b"), {})};
    list.resize(static_cast<std::size_t>(items));
    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("TandorData.ini"))};
    writeAll(store.path, encodeStore(list) + tail);
    QCOMPARE(loadAlgorithms(store), list);
    QVERIFY(!store.unreadableOnDisk);
    // An edited file that only gained a final line break is rewritten in place, nothing moved aside.
    QVERIFY(saveAlgorithms(store, list));
    QVERIFY(asideFiles(dir).isEmpty());
    QCOMPARE(readAll(store.path), encodeStore(list));
}

void TestAlgorithmStore::missingCodecKeepsTheFile_data()
{
    QTest::addColumn<int>("itemsToSave");
    QTest::newRow("saving the empty list loaded") << 0;
    QTest::newRow("saving a new item") << 1;
}

void TestAlgorithmStore::missingCodecKeepsTheFile()
{
    QFETCH(int, itemsToSave);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TandorData.ini"));
    const QByteArray good = encodeStore({item(kDefaultName, kDefaultFormulas)});
    writeAll(path, good);
    AlgorithmStore store{path};
    store.codec = "no-such-codec-for-tandor28";
    QVERIFY(!storeCodecAvailable(store));
    QVERIFY(loadAlgorithms(store).empty());
    QVERIFY(!store.unreadableOnDisk); // a good file is not taken for a damaged one
    std::vector<CustomAlgorithm> list;
    for (int i = 0; i < itemsToSave; ++i)
        list.push_back(item(QStringLiteral("new"), QStringLiteral("[1]||")));
    QString failure;
    QVERIFY(!saveAlgorithms(store, list, &failure));
    QVERIFY2(failure.contains(QStringLiteral("no-such-codec-for-tandor28")), qPrintable(failure));
    QCOMPARE(readAll(path), good);
    QVERIFY(asideFiles(dir).isEmpty());
    // With the codec back the same file loads in full.
    AlgorithmStore reopened{path};
    QVERIFY(storeCodecAvailable(reopened));
    QCOMPARE(loadAlgorithms(reopened), (std::vector<CustomAlgorithm>{item(kDefaultName, kDefaultFormulas)}));
}

void TestAlgorithmStore::saveRefusals_data()
{
    // A name, three formulas, and a text the refusal must hold ("" when the save is accepted).
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("third");
    QTest::addColumn<QString>("refusal");
    // clang-format off
    QTest::newRow("default boxes") << kDefaultName << "[1]+[8]+[9]+[12]/[8]*[6]" << "" << "[1]*[9]+[5]/[2]+[10]" << "";
    QTest::newRow("all empty") << "" << "" << "" << "" << "";
    QTest::newRow("engine formulas") << "a" << "Math.max([1],[2])" << "[1][2]" << "05+[3]" << "";
    QTest::newRow("name with the separator") << "a----b" << "[1]" << "" << "" << "----";
    QTest::newRow("name with CR LF") << "a\r\nb" << "[1]" << "" << "" << "算法名称";
    QTest::newRow("name with LF") << "a\nb" << "[1]" << "" << "" << "换行";
    QTest::newRow("name with a bar") << "a|b" << "[1]" << "" << "" << "a|b";
    QTest::newRow("formula with a bar") << "a" << "[1]" << "[2]|[3]" << "" << "[2]|[3]";
    QTest::newRow("formula with CR") << "a" << "[1]" << "" << "[2]\r+[3]" << "第3个公式";
    QTest::newRow("formula that does not compile") << "a" << "[1]+" << "" << "" << "[1]+";
    QTest::newRow("unknown name in the third") << "a" << "[1]" << "[2]" << "foo([3])" << "foo([3])";
    QTest::newRow("built-in the engine is not given") << "a" << "new Array(6e5).copyWithin(0,1)" << "" << "" << "new Array(6e5).copyWithin(0,1)";
    // clang-format on
}

void TestAlgorithmStore::saveRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, third);
    QFETCH(QString, refusal);
    FormulaEvaluator evaluator;
    const std::optional<QString> why = saveRefusal(evaluator, name, {first, second, third});
    if (refusal.isEmpty()) {
        QVERIFY2(!why, qPrintable(why.value_or(QString())));
    } else {
        QVERIFY(why);
        QVERIFY2(why->contains(refusal), qPrintable(*why));
    }
}

void TestAlgorithmStore::recordsAsTheyComeBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("formulas");
    QTest::addColumn<QStringList>("loaded"); // name, formulas, name, formulas, ...
    QTest::newRow("plain") << "a"
                           << "[1]||" << QStringList{"a", "[1]||"};
    QTest::newRow("empty name and formulas") << ""
                                             << "||" << QStringList{"", "||"};
    QTest::newRow("name with ----") << "x----y"
                                    << "[1]||" << QStringList{"x", "y"};
    QTest::newRow("CR LF in a name") << "first\r\nsecond"
                                     << "[2]||" << QStringList{"first", "", "second", "[2]||"};
    QTest::newRow("CR LF in a formula") << "n"
                                        << "[1]\r\n[2]||" << QStringList{"n", "[1]", "[2]||", ""};
    QTest::newRow("lone LF stays") << "a\nb"
                                   << "[3]||" << QStringList{"a\nb", "[3]||"};
}

void TestAlgorithmStore::recordsAsTheyComeBack()
{
    QFETCH(QString, name);
    QFETCH(QString, formulas);
    QFETCH(QStringList, loaded);
    const DecodedStore decoded = decodeStore(encodeStore({item(name, formulas)}));
    QVERIFY(!decoded.unreadable);
    QStringList flat;
    for (const CustomAlgorithm& algorithm : decoded.algorithms)
        flat << algorithm.name << algorithm.formulas;
    QCOMPARE(flat, loaded);
}

void TestAlgorithmStore::barInAFormulaShiftsTheFormulas()
{
    AlgorithmList list;
    appendAlgorithm(list, QStringLiteral("bar"), QStringLiteral("[1]|[2]"), QStringLiteral("[3]"),
                    QStringLiteral("[4]"));
    QCOMPARE(list.items[0].formulas, QStringLiteral("[1]|[2]|[3]|[4]"));
    const DecodedStore decoded = decodeStore(encodeStore(list.items));
    QCOMPARE(decoded.algorithms, list.items);
    AlgorithmList reloaded{decoded.algorithms};
    const auto chosen = chooseAlgorithm(reloaded, 0);
    QVERIFY(chosen);
    const auto formulas = splitFormulas(chosen->formulas);
    QCOMPARE(formulas[0], QStringLiteral("[1]"));
    QCOMPARE(formulas[1], QStringLiteral("[2]"));
    QCOMPARE(formulas[2], QStringLiteral("[3]"));
}

void TestAlgorithmStore::missingPiecesAreEmptyFormulas()
{
    const auto one = splitFormulas(QStringLiteral("[1]+[2]"));
    QCOMPARE(one[0], QStringLiteral("[1]+[2]"));
    QCOMPARE(one[1], QString());
    QCOMPARE(one[2], QString());
    const auto none = splitFormulas(QString());
    QCOMPARE(none[0], QString());
    QCOMPARE(splitPieces(QStringLiteral("a||"), QStringLiteral("|")), (std::vector<QString>{"a", ""}));
    QCOMPARE(splitPieces(QStringLiteral("a\r\n\r\nb"), QStringLiteral("\r\n")), (std::vector<QString>{"a", "", "b"}));
    QVERIFY(splitPieces(QString(), QStringLiteral("\r\n")).empty());
}

void TestAlgorithmStore::twoDeletionsInARow()
{
    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("TandorData.ini"))};
    AlgorithmList list;
    for (const char* name : {"a", "b", "c", "d"})
        appendAlgorithm(list, QString::fromLatin1(name), QStringLiteral("[1]"), {}, {});
    QVERIFY(chooseAlgorithm(list, 1));
    QVERIFY(deleteSelectedAlgorithm(list));
    QVERIFY(saveAlgorithms(store, list.items));
    QCOMPARE(list.selectedIndex, 1);
    QVERIFY(deleteSelectedAlgorithm(list)); // the item that moved up: "c"
    QVERIFY(saveAlgorithms(store, list.items));
    AlgorithmStore reopened{store.path};
    const std::vector<CustomAlgorithm> loaded = loadAlgorithms(reopened);
    QCOMPARE(loaded.size(), std::size_t(2));
    QCOMPARE(loaded[0].name, QStringLiteral("a"));
    QCOMPARE(loaded[1].name, QStringLiteral("d"));
    // Once the remembered index lies beyond the list, nothing more is deleted.
    QVERIFY(chooseAlgorithm(list, 1));
    QVERIFY(deleteSelectedAlgorithm(list));
    QVERIFY(!deleteSelectedAlgorithm(list));
    QCOMPARE(list.items.size(), std::size_t(1));
}

void TestAlgorithmStore::deletionWithoutChoiceDoesNothing()
{
    AlgorithmList list;
    appendAlgorithm(list, QStringLiteral("a"), {}, {}, {});
    QVERIFY(!deleteSelectedAlgorithm(list));
    QVERIFY(!chooseAlgorithm(list, 5));
    QCOMPARE(list.selectedIndex, -1);
    QCOMPARE(list.items.size(), std::size_t(1));
}

void TestAlgorithmStore::clearLeavesAnEmptyFile()
{
    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("TandorData.ini"))};
    AlgorithmList list;
    appendAlgorithm(list, kDefaultName, QStringLiteral("[1]"), {}, QStringLiteral("[2]"));
    QVERIFY(saveAlgorithms(store, list.items));
    QVERIFY(!readAll(store.path).isEmpty());
    clearAlgorithms(list);
    QVERIFY(saveAlgorithms(store, list.items));
    QVERIFY(QFile::exists(store.path));
    QCOMPARE(readAll(store.path), QByteArray());
    AlgorithmStore reopened{store.path};
    QVERIFY(loadAlgorithms(reopened).empty());
    QVERIFY(!reopened.unreadableOnDisk);
}

void TestAlgorithmStore::missingFileIsAnEmptyList()
{
    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("TandorData.ini"))};
    QVERIFY(loadAlgorithms(store).empty());
    QVERIFY(!store.unreadableOnDisk);
    QVERIFY(saveAlgorithms(store, {item(QStringLiteral("a"), QStringLiteral("[1]||"))}));
    QVERIFY(asideFiles(dir).isEmpty());
}

void TestAlgorithmStore::badFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray good = encodeStore({item(kDefaultName, kDefaultFormulas), item(QStringLiteral("x"), {})});
    std::mt19937_64 rng(28);
    QByteArray binary(4096, Qt::Uninitialized);
    for (char& byte : binary)
        byte = static_cast<char>(rng() & 0xFF);
    QByteArray foreign =
        encipherEcb(storePlaintext({item(kDefaultName, kDefaultFormulas)}), deriveStoreKey("other"), storeSBoxes())
            .toHex()
            .toUpper();
    QByteArray standardBoxes =
        encipherEcb(storePlaintext({item(kDefaultName, kDefaultFormulas)}), deriveStoreKey("tandor"), standardSBoxes())
            .toHex()
            .toUpper();
    QTest::newRow("garbage text") << QByteArray("this is not a data file at all!!");
    QTest::newRow("odd length") << good.left(good.size() - 1);
    QTest::newRow("truncated inside a block") << good.left(good.size() - 2);
    QTest::newRow("truncated by a block") << good.left(good.size() - 16);
    QTest::newRow("not hexadecimal") << QByteArray(good).replace(0, 1, "G");
    QTest::newRow("line break inside") << good.left(16) + "\r\n" + good.mid(16);
    QTest::newRow("foreign key") << foreign;
    QTest::newRow("standard boxes") << standardBoxes;
    QTest::newRow("binary") << binary;
    QTest::newRow("zero byte inside") << good.left(16) + QByteArray(1, '\0') + good.mid(16);
    QTest::newRow("zero byte first") << QByteArray(1, '\0') + good;
    QTest::newRow("ten megabytes") << QByteArray(10 * 1024 * 1024, 'A');
}

void TestAlgorithmStore::badFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("TandorData.ini"))};
    writeAll(store.path, content);
    QVERIFY(loadAlgorithms(store).empty());
    QVERIFY(store.unreadableOnDisk);
    QVERIFY(asideFiles(dir).isEmpty()); // loading alone changes nothing on disk
    // The next save keeps the old file aside and then writes a good one.
    const std::vector<CustomAlgorithm> list = {item(QStringLiteral("new"), QStringLiteral("[1]||[2]"))};
    QVERIFY(saveAlgorithms(store, list));
    const QStringList aside = asideFiles(dir);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(dir.filePath(aside.first())), content);
    AlgorithmStore reopened{store.path};
    QCOMPARE(loadAlgorithms(reopened), list);
    QVERIFY(!reopened.unreadableOnDisk);
    // Later saves replace the good file without moving anything more aside.
    QVERIFY(saveAlgorithms(reopened, {}));
    QCOMPARE(asideFiles(dir).size(), 1);
}

void TestAlgorithmStore::unwritablePlaceReportsFailure()
{
    // A file where the data folder should be: the folder cannot be made.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("no")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AlgorithmStore store{dir.filePath(QStringLiteral("no/such/dir/TandorData.ini"))};
    QString reason;
    QVERIFY(!saveAlgorithms(store, {item(QStringLiteral("a"), {})}, &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(!QFileInfo::exists(store.path));
}

void TestAlgorithmStore::missingFolderIsCreated()
{
    // The user's data folder does not exist before the first save.
    QTemporaryDir dir;
    AlgorithmStore store{dir.filePath(QStringLiteral("share/tandor28/TandorData.ini"))};
    const std::vector<CustomAlgorithm> list{item(QStringLiteral("a"), QStringLiteral("[1]||"))};
    QVERIFY(saveAlgorithms(store, list));
    AlgorithmStore reopened{store.path};
    QCOMPARE(loadAlgorithms(reopened), list);
}

void TestAlgorithmStore::controlCharactersAreWrittenAsBlanks()
{
    const DecodedStore decoded = decodeStore(encodeStore({item(QStringLiteral("a\x01"
                                                                              "b"),
                                                               QStringLiteral("[1]\t+[2]"))}));
    QVERIFY(!decoded.unreadable);
    QCOMPARE(decoded.algorithms.size(), std::size_t(1));
    QCOMPARE(decoded.algorithms[0].name, QStringLiteral("a b"));
    QCOMPARE(decoded.algorithms[0].formulas, QStringLiteral("[1]\t+[2]"));
}

QTEST_GUILESS_MAIN(TestAlgorithmStore)
#include "tst_algorithmstore.moc"
