#include "sound.h"

#include "alertslog.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace tandor28 {

namespace {

// libsndfile reads the clip straight from memory through these callbacks.
struct MemoryFile
{
    const QByteArray* bytes = nullptr;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user)
{
    return static_cast<MemoryFile*>(user)->bytes->size();
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t size = file->bytes->size();
    sf_count_t target = offset;
    if (whence == SEEK_CUR)
        target = file->position + offset;
    else if (whence == SEEK_END)
        target = size + offset;
    file->position = std::clamp<sf_count_t>(target, 0, size);
    return file->position;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t available = file->bytes->size() - file->position;
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, available);
    if (n > 0)
        std::memcpy(destination, file->bytes->constData() + file->position, static_cast<std::size_t>(n));
    file->position += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t memoryTell(void* user)
{
    return static_cast<MemoryFile*>(user)->position;
}

// A clip in the output's own rate and channel count, for outputs that refuse the clip's format.
Clip convertClip(const Clip& clip, int sampleRate, int channels)
{
    Clip out;
    out.channels = channels;
    out.sampleRate = sampleRate;
    out.frames = clip.frames * sampleRate / clip.sampleRate;
    out.samples.resize(static_cast<std::size_t>(out.frames * channels));
    for (qint64 frame = 0; frame < out.frames; ++frame) {
        const qint64 source = std::min(frame * clip.sampleRate / sampleRate, clip.frames - 1);
        for (int channel = 0; channel < channels; ++channel) {
            const int from = std::min(channel, clip.channels - 1);
            out.samples[static_cast<std::size_t>(frame * channels + channel)] =
                clip.samples[static_cast<std::size_t>(source * clip.channels + from)];
        }
    }
    return out;
}

QAudioFormat int16Format(int sampleRate, int channels)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

int g_activePlayers = 0;

// Owns one sink and the bytes it plays; deletes itself when the clip has ended or the sink failed.
// A safety timer frees it even if the output never reports the end.
class ClipPlayer : public QObject
{
public:
    ClipPlayer(const QAudioDevice& device, const QAudioFormat& format, QByteArray pcm, int durationMs)
        : m_pcm(std::move(pcm)), m_sink(new QAudioSink(device, format, this))
    {
        ++g_activePlayers;
        m_buffer.setData(m_pcm);
        connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::IdleState || (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError))
                finish();
        });
        QTimer::singleShot(durationMs + 2000, this, [this] { finish(); });
    }
    ~ClipPlayer() override
    {
        // The sink goes before the buffer it reads from.
        delete m_sink;
        --g_activePlayers;
    }

    bool start()
    {
        if (!m_buffer.open(QIODevice::ReadOnly)) {
            finish();
            return false;
        }
        m_sink->start(&m_buffer);
        if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
            qCInfo(lcAlerts) << "the audio output refused the clip, error" << m_sink->error();
            finish();
            return false;
        }
        return true;
    }

private:
    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_sink->disconnect(this);
        m_sink->stop();
        deleteLater();
    }

    QByteArray m_pcm;
    QBuffer m_buffer;
    QAudioSink* m_sink;
    bool m_finished = false;
};

} // namespace

QByteArray soundClipData(SoundClip which)
{
    const char* path = ":/sounds/alarm.wav";
    if (which == SoundClip::Popup)
        path = ":/sounds/popup.wav";
    else if (which == SoundClip::NewDraw)
        path = ":/sounds/newdraw.wav";
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::optional<Clip> decodeClip(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    MemoryFile memory{&bytes, 0};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (!file)
        return std::nullopt;
    Clip clip;
    clip.channels = info.channels;
    clip.sampleRate = info.samplerate;
    if (info.channels <= 0 || info.samplerate <= 0 || info.frames <= 0 || info.frames > (sf_count_t{1} << 26)) {
        sf_close(file);
        return std::nullopt;
    }
    clip.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    clip.frames = sf_readf_short(file, clip.samples.data(), info.frames);
    sf_close(file);
    if (clip.frames <= 0)
        return std::nullopt;
    clip.samples.resize(static_cast<std::size_t>(clip.frames * clip.channels));
    return clip;
}

bool playClip(const Clip& clip)
{
    if (!QCoreApplication::instance() || clip.frames <= 0 || clip.channels <= 0 || clip.sampleRate <= 0)
        return false;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        qCInfo(lcAlerts) << "no audio output: the clip stays silent";
        return false;
    }

    const Clip* source = &clip;
    Clip converted;
    QAudioFormat format = int16Format(clip.sampleRate, clip.channels);
    if (!device.isFormatSupported(format)) {
        const QAudioFormat preferred = device.preferredFormat();
        format = int16Format(preferred.sampleRate(), preferred.channelCount());
        if (!preferred.isValid() || !device.isFormatSupported(format))
            return false;
        converted = convertClip(clip, format.sampleRate(), format.channelCount());
        source = &converted;
    }

    QByteArray pcm(reinterpret_cast<const char*>(source->samples.data()),
                   static_cast<qsizetype>(source->samples.size() * sizeof(qint16)));
    const int durationMs = static_cast<int>(source->seconds() * 1000.0);
    auto* player = new ClipPlayer(device, format, std::move(pcm), durationMs);
    return player->start();
}

void playSoundClip(SoundClip which)
{
    if (const std::optional<Clip> clip = decodeClip(soundClipData(which)))
        playClip(*clip);
}

void playAlarmSound()
{
    playSoundClip(SoundClip::Alarm);
}

void playPopupSound()
{
    playSoundClip(SoundClip::Popup);
}

void playNewDrawSound()
{
    playSoundClip(SoundClip::NewDraw);
}

int activeClipPlayers()
{
    return g_activePlayers;
}

} // namespace tandor28
