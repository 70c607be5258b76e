#include "alerts/sound.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdlib>

using namespace tandor28;

class TestSound : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void clipsDecode_data();
    void clipsDecode();
    void clipsAreRiffWave_data();
    void clipsAreRiffWave();
    void badBytesDoNotDecode_data();
    void badBytesDoNotDecode();
    void playingReturnsAndCleansUp_data();
    void playingReturnsAndCleansUp();
};

void TestSound::initTestCase()
{
    // no sound server is reachable from the test, whatever the machine has
    qputenv("PULSE_SERVER", "unix:/nonexistent/tandor28-test");
}

void TestSound::clipsDecode_data()
{
    QTest::addColumn<int>("clip");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<double>("seconds");

    QTest::newRow("alarm") << static_cast<int>(SoundClip::Alarm) << 1 << 22050 << 1.28;
    QTest::newRow("popup") << static_cast<int>(SoundClip::Popup) << 2 << 11025 << 2.04;
    QTest::newRow("new draw") << static_cast<int>(SoundClip::NewDraw) << 1 << 22050 << 1.01;
}

void TestSound::clipsDecode()
{
    QFETCH(int, clip);
    QFETCH(int, channels);
    QFETCH(int, sampleRate);
    QFETCH(double, seconds);

    const std::optional<Clip> decoded = decodeClip(soundClipData(static_cast<SoundClip>(clip)));
    QVERIFY(decoded.has_value());
    QCOMPARE(decoded->channels, channels);
    QCOMPARE(decoded->sampleRate, sampleRate);
    QVERIFY2(qAbs(decoded->seconds() - seconds) <= 0.05, qPrintable(QString::number(decoded->seconds())));
    QCOMPARE(static_cast<qint64>(decoded->samples.size()), decoded->frames * channels);
    // a clip of silence would pass every other check
    int loudest = 0;
    for (qint16 sample : decoded->samples)
        loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    QVERIFY(loudest > 8000);
}

void TestSound::clipsAreRiffWave_data()
{
    QTest::addColumn<int>("clip");
    QTest::addColumn<int>("formatTag"); // 1 = PCM, 0x11 = IMA ADPCM
    QTest::addColumn<int>("bitsPerSample");

    QTest::newRow("alarm") << static_cast<int>(SoundClip::Alarm) << 0x11 << 4;
    QTest::newRow("popup") << static_cast<int>(SoundClip::Popup) << 1 << 16;
    QTest::newRow("new draw") << static_cast<int>(SoundClip::NewDraw) << 1 << 16;
}

void TestSound::clipsAreRiffWave()
{
    QFETCH(int, clip);
    QFETCH(int, formatTag);
    QFETCH(int, bitsPerSample);

    const QByteArray bytes = soundClipData(static_cast<SoundClip>(clip));
    QVERIFY(bytes.size() > 44);
    QVERIFY(bytes.size() < 100000);
    QCOMPARE(bytes.left(4), QByteArray("RIFF"));
    QCOMPARE(bytes.mid(8, 8), QByteArray("WAVEfmt "));
    const auto u16 = [&](int offset) {
        return static_cast<int>(static_cast<quint8>(bytes[offset])) |
               static_cast<int>(static_cast<quint8>(bytes[offset + 1])) << 8;
    };
    QCOMPARE(u16(20), formatTag);
    QCOMPARE(u16(34), bitsPerSample);
}

void TestSound::badBytesDoNotDecode_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("this is not a sound clip at all");
    QTest::newRow("truncated header") << soundClipData(SoundClip::Popup).left(30);
}

void TestSound::badBytesDoNotDecode()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!decodeClip(bytes).has_value());
}

void TestSound::playingReturnsAndCleansUp_data()
{
    QTest::addColumn<int>("clip");

    QTest::newRow("alarm") << static_cast<int>(SoundClip::Alarm);
    QTest::newRow("popup") << static_cast<int>(SoundClip::Popup);
    QTest::newRow("new draw") << static_cast<int>(SoundClip::NewDraw);
}

void TestSound::playingReturnsAndCleansUp()
{
    QFETCH(int, clip);

    const std::optional<Clip> decoded = decodeClip(soundClipData(static_cast<SoundClip>(clip)));
    QVERIFY(decoded.has_value());
    // without an audio output nothing starts, nothing is left behind and nothing waits
    QVERIFY(!playClip(*decoded));
    QCOMPARE(activeClipPlayers(), 0);
    playSoundClip(static_cast<SoundClip>(clip));
    QTRY_COMPARE(activeClipPlayers(), 0);
}

QTEST_GUILESS_MAIN(TestSound)
#include "tst_sound.moc"
