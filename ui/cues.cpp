#include "ui/cues.h"

#include "kb/fileerror.h"
#include "kb/files.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <iterator>

namespace tovrin {

namespace {

const std::array<std::string, CueMixer::Count>& cueFiles()
{
    static const std::array<std::string, CueMixer::Count> names = {
        "Sound\\KeyBoard.wav", // MP1
        "Sound\\Button3.wav",  // MP2
        "Sound\\Button2.wav",  // MP3
        "Sound\\Button1.wav",  // MP4
        "Sound\\CpuSound.wav", // MP5
        "Sound\\Close.wav",    // MP6
    };
    return names;
}

std::uint32_t little(const std::string& bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// The samples as one channel at kCueRate: the channels averaged, the rate changed by linear
// interpolation.
std::vector<std::int16_t> toCueRate(const std::vector<int>& mono, int rate)
{
    if (rate == kCueRate || mono.empty())
        return {mono.begin(), mono.end()};
    const auto frames = static_cast<std::size_t>(static_cast<double>(mono.size()) * kCueRate / rate);
    std::vector<std::int16_t> out;
    out.reserve(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double at = static_cast<double>(i) * rate / kCueRate;
        const auto left = std::min(static_cast<std::size_t>(at), mono.size() - 1);
        const std::size_t right = std::min(left + 1, mono.size() - 1);
        const double part = at - static_cast<double>(left);
        out.push_back(static_cast<std::int16_t>(mono[left] + (mono[right] - mono[left]) * part));
    }
    return out;
}

// The window's players, mixed into one output that the sound system pulls from. The output
// runs only while a cue sounds: with nothing to play the mixer gives nothing, the output goes
// idle, and the next request starts it again.
class WaveCues : public CuePlayer, private QIODevice {
public:
    explicit WaveCues(std::array<std::vector<std::int16_t>, CueMixer::Count> samples)
    {
        for (int i = 0; i < CueMixer::Count; ++i)
            mixer_.setSamples(static_cast<Cue>(i), std::move(samples[static_cast<std::size_t>(i)]));
        QAudioFormat format;
        format.setSampleRate(kCueRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !device.isFormatSupported(format))
            return;
        sink_ = std::make_unique<QAudioSink>(device, format);
        // A short buffer, so that a cue sounds as soon as it is asked for.
        sink_->setBufferSize(kCueRate * 2 / 20);
        open(QIODevice::ReadOnly);
    }

    ~WaveCues() override
    {
        if (sink_)
            sink_->stop();
    }

    void play(Cue cue) override
    {
        if (!sink_)
            return;
        mixer_.request(cue);
        // A sound system that refuses to play is not the user's concern: the request is
        // simply not heard.
        if (sink_->state() != QAudio::ActiveState)
            sink_->start(this);
    }

    void finish() override
    {
        if (!sink_ || sink_->state() != QAudio::ActiveState)
            return;
        // The cues that sound are let end, and what the output still holds played out; never
        // longer than the longest cue could need.
        QElapsedTimer waited;
        waited.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (waited.elapsed() > kFinishLimitMs || sink_->state() != QAudio::ActiveState)
                loop.quit();
        });
        poll.start(10);
        loop.exec();
    }

private:
    static constexpr int kFinishLimitMs = 2000;

    qint64 readData(char* data, qint64 maxSize) override
    {
        const int frames = static_cast<int>(maxSize / 2);
        return 2 * static_cast<qint64>(mixer_.mix(reinterpret_cast<std::int16_t*>(data), frames));
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return mixer_.sounding() ? 2 * kCueRate : 0; }

    CueMixer mixer_;
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace

const std::string& cueFile(Cue cue)
{
    return cueFiles()[static_cast<size_t>(cue)];
}

std::vector<std::int16_t> readWaveFile(const std::string& programPath)
{
    std::ifstream in(resolvePath(programPath), std::ios::binary);
    if (!in)
        throw FileError::cannotOpen(programPath);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const FileError malformed("Not a WAV sound file: " + programPath);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        throw malformed;

    int channels = 0, rate = 0, bits = 0;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const std::size_t size = little(bytes, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t inFile = std::min(size, bytes.size() - body);
        if (id == "fmt ") {
            if (inFile < 16 || little(bytes, body, 2) != 1) // PCM only
                throw malformed;
            channels = static_cast<int>(little(bytes, body + 2, 2));
            rate = static_cast<int>(little(bytes, body + 4, 4));
            bits = static_cast<int>(little(bytes, body + 14, 2));
            if (channels < 1 || channels > 2 || rate < 1000 || rate > 192000 || (bits != 8 && bits != 16))
                throw malformed;
        } else if (id == "data") {
            if (channels == 0)
                throw malformed;
            const std::size_t frameBytes = static_cast<std::size_t>(channels * bits / 8);
            std::vector<int> mono;
            mono.reserve(inFile / frameBytes);
            for (std::size_t f = body; f + frameBytes <= body + inFile; f += frameBytes) {
                int sum = 0;
                for (int c = 0; c < channels; ++c) {
                    const std::size_t s = f + static_cast<std::size_t>(c * bits / 8);
                    sum += bits == 8 ? (static_cast<unsigned char>(bytes[s]) - 128) * 256
                                     : static_cast<std::int16_t>(little(bytes, s, 2));
                }
                mono.push_back(sum / channels);
            }
            return toCueRate(mono, rate);
        }
        at = body + size + (size & 1);
    }
    throw malformed;
}

void CueMixer::setSamples(Cue cue, std::vector<std::int16_t> samples)
{
    voices_[static_cast<std::size_t>(cue)] = Voice{std::move(samples), -1};
}

void CueMixer::request(Cue cue)
{
    Voice& voice = voices_[static_cast<std::size_t>(cue)];
    if (voice.position < 0 && !voice.samples.empty())
        voice.position = 0;
}

bool CueMixer::sounding() const
{
    return std::any_of(voices_.begin(), voices_.end(), [](const Voice& v) { return v.position >= 0; });
}

int CueMixer::mix(std::int16_t* out, int frames)
{
    int written = 0;
    std::vector<int> sum(static_cast<std::size_t>(std::max(frames, 0)), 0);
    for (Voice& voice : voices_) {
        if (voice.position < 0)
            continue;
        const int left = static_cast<int>(voice.samples.size()) - voice.position;
        const int n = std::min(left, frames);
        for (int i = 0; i < n; ++i)
            sum[static_cast<std::size_t>(i)] += voice.samples[static_cast<std::size_t>(voice.position + i)];
        written = std::max(written, n);
        voice.position += n;
        if (voice.position >= static_cast<int>(voice.samples.size()))
            voice.position = -1;
    }
    for (int i = 0; i < written; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(sum[static_cast<std::size_t>(i)], -32768, 32767));
    return written;
}

std::unique_ptr<CuePlayer> openSoundCues()
{
    std::array<std::vector<std::int16_t>, CueMixer::Count> samples;
    for (int i = 0; i < CueMixer::Count; ++i)
        samples[static_cast<std::size_t>(i)] = readWaveFile(cueFiles()[static_cast<std::size_t>(i)]);
    if (QMediaDevices::audioOutputs().isEmpty())
        return std::make_unique<SilentCues>();
    return std::make_unique<WaveCues>(std::move(samples));
}

} // namespace tovrin
