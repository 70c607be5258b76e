#include "custom/storecipher.h"

#include <QTest>

#include <set>

using namespace tandor28;

namespace {

DesKey keyFromHex(const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    DesKey key{};
    for (int i = 0; i < 8; ++i)
        key[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bytes[i]);
    return key;
}

} // namespace

class TestStoreCipher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void standardKnownAnswers_data();
    void standardKnownAnswers();
    void boxRowsArePermutations();
    void storeBoxesAreTheVariant();
    void storeKey();
    void variantRoundTrip_data();
    void variantRoundTrip();
    void variantDiffersFromStandard();
    void ecbFillsTheLastBlockWithZeros();
};

void TestStoreCipher::standardKnownAnswers_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("plaintext");
    QTest::addColumn<QString>("ciphertext");
    // Published DES known-answer vectors.
    QTest::newRow("textbook example") << "133457799BBCDFF1"
                                      << "0123456789ABCDEF"
                                      << "85E813540F0AB405";
    QTest::newRow("all zero") << "0000000000000000"
                              << "0000000000000000"
                              << "8CA64DE9C1B123A7";
    QTest::newRow("all ones") << "FFFFFFFFFFFFFFFF"
                              << "FFFFFFFFFFFFFFFF"
                              << "7359B2163E4EDC58";
    QTest::newRow("single key bit") << "3000000000000000"
                                    << "1000000000000001"
                                    << "958E6E627A05557B";
    QTest::newRow("counting key") << "0123456789ABCDEF"
                                  << "1111111111111111"
                                  << "17668DFC7292532D";
    QTest::newRow("to zero") << "0E329232EA6D0D73"
                             << "8787878787878787"
                             << "0000000000000000";
}

void TestStoreCipher::standardKnownAnswers()
{
    QFETCH(QString, key);
    QFETCH(QString, plaintext);
    QFETCH(QString, ciphertext);
    const DesKey desKey = keyFromHex(key.toLatin1().constData());
    const std::uint64_t in = plaintext.toULongLong(nullptr, 16);
    const std::uint64_t out = ciphertext.toULongLong(nullptr, 16);
    QCOMPARE(desEncryptBlock(in, desKey, standardSBoxes()), out);
    QCOMPARE(desDecryptBlock(out, desKey, standardSBoxes()), in);
}

void TestStoreCipher::boxRowsArePermutations()
{
    for (const auto& box : standardSBoxes()) {
        for (int row = 0; row < 4; ++row) {
            std::set<int> seen;
            for (int column = 0; column < 16; ++column)
                seen.insert(box[static_cast<std::size_t>(row * 16 + column)]);
            QCOMPARE(seen.size(), std::size_t(16));
        }
    }
}

void TestStoreCipher::storeBoxesAreTheVariant()
{
    const SBoxTable& standard = standardSBoxes();
    const SBoxTable& store = storeSBoxes();
    const std::array<std::uint8_t, 16> changedRow0 = {14, 4, 13, 1, 1, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7};
    for (int column = 0; column < 16; ++column) {
        QCOMPARE(store[0][static_cast<std::size_t>(column)], changedRow0[static_cast<std::size_t>(column)]);
        QCOMPARE(store[6][static_cast<std::size_t>(column)], changedRow0[static_cast<std::size_t>(column)]);
    }
    for (std::size_t i = 16; i < 64; ++i) {
        QCOMPARE(store[0][i], standard[0][i]);
        QCOMPARE(store[6][i], standard[0][i]);
    }
    for (std::size_t box = 1; box <= 5; ++box)
        QCOMPARE(store[box], standard[box]);
    QCOMPARE(store[7], standard[6]);
}

void TestStoreCipher::storeKey()
{
    const DesKey key = deriveStoreKey("tandor");
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(key.data()), 8).toHex().toUpper(),
             QByteArray("018A9F9E82BBC080"));
    const DesKey empty = deriveStoreKey("");
    QCOMPARE(empty, (DesKey{1, 2, 4, 8, 16, 32, 64, 128}));
}

void TestStoreCipher::variantRoundTrip_data()
{
    QTest::addColumn<QByteArray>("plaintext");
    QTest::newRow("one block") << QByteArray("abcdefgh");
    QTest::newRow("partial block") << QByteArray("abc\r\n");
    QTest::newRow("several blocks") << QByteArray("Tandor----[1]+[8]+[9]||[1]*[9]\r\nsecond----[2]||\r\n");
}

void TestStoreCipher::variantRoundTrip()
{
    QFETCH(QByteArray, plaintext);
    const DesKey key = deriveStoreKey("tandor");
    const QByteArray enciphered = encipherEcb(plaintext, key, storeSBoxes());
    QCOMPARE(enciphered.size() % 8, 0);
    QVERIFY(enciphered.size() >= plaintext.size());
    const QByteArray deciphered = decipherEcb(enciphered, key, storeSBoxes());
    QCOMPARE(deciphered.left(plaintext.size()), plaintext);
    QCOMPARE(deciphered.mid(plaintext.size()), QByteArray(deciphered.size() - plaintext.size(), '\0'));
}

void TestStoreCipher::variantDiffersFromStandard()
{
    // The changed entry and the reused boxes must matter: a file can only be read with this table.
    const DesKey key = deriveStoreKey("tandor");
    int differing = 0;
    for (std::uint64_t block = 0; block < 64; ++block) {
        const std::uint64_t in = block * 0x0123456789ABCDEFull;
        if (desEncryptBlock(in, key, storeSBoxes()) != desEncryptBlock(in, key, standardSBoxes()))
            ++differing;
    }
    QCOMPARE(differing, 64);
}

void TestStoreCipher::ecbFillsTheLastBlockWithZeros()
{
    const DesKey key = deriveStoreKey("tandor");
    const QByteArray short3 = encipherEcb("abc", key, storeSBoxes());
    const QByteArray filled = encipherEcb(QByteArray("abc\0\0\0\0\0", 8), key, storeSBoxes());
    QCOMPARE(short3, filled);
    // Blocks are independent (ECB): equal plaintext blocks give equal ciphertext blocks.
    const QByteArray twice = encipherEcb("abcdefghabcdefgh", key, storeSBoxes());
    QCOMPARE(twice.left(8), twice.mid(8));
    QVERIFY(encipherEcb("", key, storeSBoxes()).isEmpty());
}

QTEST_GUILESS_MAIN(TestStoreCipher)
#include "tst_storecipher.moc"
