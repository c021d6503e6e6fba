#include "ui/cues.h"

#include "kb/fileerror.h"
#include "kb/files.h"

#include <QElapsedTimer>
#include <QThread>
#include <pulse/pulseaudio.h>
#include <unistd.h>
#include <algorithm>
#include <fstream>
#include <iterator>

namespace tovrin {

namespace {

const std::array<std::string, kCueCount>& cueFiles()
{
    static const std::array<std::string, kCueCount> names = {
        "Sound\\KeyBoard.wav", // MP1
        "Sound\\Button3.wav", // MP2
        "Sound\\Button2.wav", // MP3
        "Sound\\Button1.wav", // MP4
        "Sound\\CpuSound.wav", // MP5
        "Sound\\Close.wav", // MP6
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
    const auto frames =
        static_cast<std::size_t>(static_cast<double>(mono.size()) * kCueRate / rate);
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

// The six players, kept by the sound server itself: each cue's samples are uploaded once into
// the server's sample cache, and a request asks the server to play the cached sample. The
// server plays it whole on its own side, whatever the program does meanwhile (a shake holds
// the event loop for its whole length; the exit may come while the close cue sounds), and
// nothing of the program's own has to keep feeding it.
class ServerCues : public CuePlayer {
public:
    ServerCues() = default;
    ServerCues(const ServerCues&) = delete;
    ServerCues& operator=(const ServerCues&) = delete;

    // Connects to the desktop's sound server and uploads the cues; false when there is no
    // server to play them.
    bool open(const std::array<std::vector<std::int16_t>, kCueCount>& samples)
    {
        loop_ = pa_threaded_mainloop_new();
        if (!loop_)
            return false;
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Tovrin");
        if (!context_)
            return false;
        pa_context_set_state_callback(
            context_,
            [](pa_context*, void* loop) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
            },
            loop_);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
            pa_threaded_mainloop_start(loop_) < 0)
            return false;
        Lock lock(loop_);
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY)
                break;
            if (!PA_CONTEXT_IS_GOOD(state))
                return false;
            pa_threaded_mainloop_wait(loop_);
        }
        for (std::size_t i = 0; i < samples.size(); ++i) {
            names_[i] = "tovrin-" + std::to_string(::getpid()) + "-MP" + std::to_string(i + 1);
            gate_.setLength(static_cast<Cue>(i),
                            static_cast<int>(samples[i].size() * 1000 / kCueRate));
            if (!samples[i].empty() && !upload(names_[i], samples[i]))
                return false;
        }
        return true;
    }

    ~ServerCues() override
    {
        if (loop_ && context_) {
            {
                Lock lock(loop_);
                for (const std::string& name : names_)
                    if (!name.empty())
                        if (pa_operation* done =
                                pa_context_remove_sample(context_, name.c_str(), nullptr, nullptr))
                            pa_operation_unref(done);
                pa_context_disconnect(context_);
            }
            pa_threaded_mainloop_stop(loop_);
        }
        if (context_)
            pa_context_unref(context_);
        if (loop_)
            pa_threaded_mainloop_free(loop_);
    }

    void play(Cue cue) override
    {
        const auto index = static_cast<std::size_t>(cue);
        if (names_[index].empty() || !gate_.start(cue, clock_.elapsed()))
            return;
        // A request that the server refuses is not the user's concern: it is simply not heard.
        Lock lock(loop_);
        if (pa_operation* done = pa_context_play_sample(context_, names_[index].c_str(), nullptr,
                                                        PA_VOLUME_NORM, nullptr, nullptr))
            pa_operation_unref(done);
    }

    void finish() override
    {
        // The server plays a cue to its end on its own; the program goes once the requests it
        // made have reached the server and the cues that sound have ended.
        {
            Lock lock(loop_);
            drain();
        }
        const std::int64_t until = gate_.endOfAll(clock_.elapsed());
        while (clock_.elapsed() < until)
            QThread::msleep(10);
    }

private:
    // The loop's lock, held while the program talks to the server.
    class Lock {
    public:
        explicit Lock(pa_threaded_mainloop* loop) : loop_(loop)
        {
            pa_threaded_mainloop_lock(loop_);
        }
        ~Lock() { pa_threaded_mainloop_unlock(loop_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* loop_;
    };

    // Uploads one cue into the server's cache; called with the lock held.
    bool upload(const std::string& name, const std::vector<std::int16_t>& samples)
    {
        const pa_sample_spec format{PA_SAMPLE_S16LE, kCueRate, 1};
        pa_stream* stream = pa_stream_new(context_, name.c_str(), &format, nullptr);
        if (!stream)
            return false;
        pa_stream_set_state_callback(
            stream,
            [](pa_stream*, void* loop) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
            },
            loop_);
        const std::size_t bytes = samples.size() * sizeof(std::int16_t);
        bool done = pa_stream_connect_upload(stream, bytes) == 0 &&
            waitFor(stream, PA_STREAM_READY) &&
            pa_stream_write(stream, samples.data(), bytes, nullptr, 0, PA_SEEK_RELATIVE) == 0 &&
            pa_stream_finish_upload(stream) == 0 && waitFor(stream, PA_STREAM_TERMINATED);
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
        return done;
    }

    bool waitFor(pa_stream* stream, pa_stream_state_t wanted)
    {
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(stream);
            if (state == wanted)
                return true;
            if (state == PA_STREAM_FAILED ||
                (state == PA_STREAM_TERMINATED && wanted != PA_STREAM_TERMINATED))
                return false;
            pa_threaded_mainloop_wait(loop_);
        }
    }

    // Waits until the server has taken every request so far; called with the lock held.
    void drain()
    {
        pa_operation* done = pa_context_drain(
            context_,
            [](pa_context*, void* loop) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
            },
            loop_);
        if (!done)
            return; // nothing was waiting
        while (pa_operation_get_state(done) == PA_OPERATION_RUNNING)
            pa_threaded_mainloop_wait(loop_);
        pa_operation_unref(done);
    }

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    std::array<std::string, kCueCount> names_;
    CueGate gate_;
    QElapsedTimer clock_ = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
};

} // namespace

const std::string& cueFile(Cue cue) { return cueFiles()[static_cast<size_t>(cue)]; }

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
            if (channels < 1 || channels > 2 || rate < 1000 || rate > 192000 ||
                (bits != 8 && bits != 16))
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

void CueGate::setLength(Cue cue, int ms) { lengths_[static_cast<std::size_t>(cue)] = ms; }

bool CueGate::start(Cue cue, std::int64_t nowMs)
{
    const auto i = static_cast<std::size_t>(cue);
    if (lengths_[i] <= 0 || (startedAt_[i] >= 0 && nowMs < startedAt_[i] + lengths_[i]))
        return false;
    startedAt_[i] = nowMs;
    return true;
}

std::int64_t CueGate::endOfAll(std::int64_t nowMs) const
{
    std::int64_t end = nowMs;
    for (std::size_t i = 0; i < lengths_.size(); ++i)
        if (startedAt_[i] >= 0)
            end = std::max(end, startedAt_[i] + lengths_[i]);
    return end;
}

std::unique_ptr<CuePlayer> openSoundCues()
{
    std::array<std::vector<std::int16_t>, kCueCount> samples;
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = readWaveFile(cueFiles()[i]);
    auto cues = std::make_unique<ServerCues>();
    if (!cues->open(samples))
        return std::make_unique<SilentCues>();
    return cues;
}

} // namespace tovrin
