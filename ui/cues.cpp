#include "ui/cues.h"

#include "kb/fileerror.h"
#include "kb/files.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <array>
#include <fstream>

namespace tovrin {

namespace {

constexpr int CueCount = 6;

const std::array<std::string, CueCount>& cueFiles()
{
    static const std::array<std::string, CueCount> names = {
        "Sound\\KeyBoard.wav", // MP1
        "Sound\\Button3.wav",  // MP2
        "Sound\\Button2.wav",  // MP3
        "Sound\\Button1.wav",  // MP4
        "Sound\\CpuSound.wav", // MP5
        "Sound\\Close.wav",    // MP6
    };
    return names;
}

class WaveCues : public CuePlayer {
public:
    explicit WaveCues(bool withOutput)
    {
        if (!withOutput)
            return;
        for (int i = 0; i < CueCount; ++i) {
            auto effect = std::make_unique<QSoundEffect>();
            effect->setSource(QUrl::fromLocalFile(QFile::decodeName(resolvePath(cueFiles()[static_cast<size_t>(i)]).c_str())));
            effects_[static_cast<size_t>(i)] = std::move(effect);
        }
    }

    void play(Cue cue) override
    {
        QSoundEffect* effect = effects_[static_cast<size_t>(cue)].get();
        // A cue still sounding goes on where it is; one that has ended starts from the top.
        // A sound system that refuses to play is not the user's concern.
        if (effect == nullptr || effect->isPlaying() || effect->status() == QSoundEffect::Error)
            return;
        effect->play();
    }

private:
    std::array<std::unique_ptr<QSoundEffect>, CueCount> effects_;
};

} // namespace

const std::string& cueFile(Cue cue)
{
    return cueFiles()[static_cast<size_t>(cue)];
}

void checkWaveFile(const std::string& programPath)
{
    std::ifstream in(resolvePath(programPath), std::ios::binary);
    if (!in)
        throw FileError::cannotOpen(programPath);
    char header[12] = {};
    in.read(header, sizeof header);
    if (in.gcount() != sizeof header || std::string_view(header, 4) != "RIFF" ||
        std::string_view(header + 8, 4) != "WAVE")
        throw FileError("Not a WAV sound file: " + programPath);
}

std::unique_ptr<CuePlayer> openSoundCues()
{
    for (const auto& name : cueFiles())
        checkWaveFile(name);
    return std::make_unique<WaveCues>(!QMediaDevices::audioOutputs().isEmpty());
}

} // namespace tovrin
