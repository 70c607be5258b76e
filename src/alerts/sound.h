#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

namespace tandor28 {

// The three clips compiled into the program.
enum class SoundClip
{
    Alarm,   // the streak alarm: IMA ADPCM, mono, 22,050 Hz, about 1.28 s
    Popup,   // the draw notification popup: 16-bit PCM, stereo, 11,025 Hz, about 2.04 s
    NewDraw, // the end of a refresh: 16-bit PCM, mono, 22,050 Hz, about 1.01 s
};

// A clip decoded to interleaved 16-bit samples.
struct Clip
{
    int channels = 0;
    int sampleRate = 0;
    qint64 frames = 0;
    std::vector<qint16> samples; // frames * channels values

    [[nodiscard]] double seconds() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0; }
};

// The WAV file bytes of a compiled-in clip.
[[nodiscard]] QByteArray soundClipData(SoundClip which);

// Decodes WAV (or any format libsndfile reads) bytes held in memory; nullopt for bytes it cannot read.
[[nodiscard]] std::optional<Clip> decodeClip(const QByteArray& bytes);

// Starts playing the clip once and returns at once; the player frees itself when the clip has ended.
// Without an audio output, or when the output refuses the clip, nothing plays and false comes back:
// a missing sound is never an error. Needs a running Qt event loop on the calling thread to advance.
bool playClip(const Clip& clip);

// Plays a compiled-in clip once, without waiting for it to end.
void playSoundClip(SoundClip which);
void playAlarmSound();
void playPopupSound();
void playNewDrawSound();

// Players started by playClip that have not yet finished.
[[nodiscard]] int activeClipPlayers();

} // namespace tandor28
