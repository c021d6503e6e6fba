// The sound cues: the WAV files the program needs to start, and which cue each event asks for.
// Which file each cue sounds is heard on the real desktop (tests/desktop).
#include "support/formfixture.h"

#include "kb/fileerror.h"
#include "ui/cues.h"

#include <QLineEdit>
#include <QTest>

using namespace tovrin;
using namespace tovrin::test;

namespace {

std::string wave()
{
    std::string riff = "RIFF";
    riff += std::string("\x24\x00\x00\x00", 4) + "WAVEfmt ";
    riff += std::string(
        "\x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00\x02\x00\x10\x00", 20);
    riff += "data" + std::string(4, '\0');
    return riff;
}

// A RIFF/WAVE file of PCM samples.
std::string waveOf(int channels, int rate, int bits, const std::string& data)
{
    const auto le = [](std::uint32_t v, int size) {
        std::string out;
        for (int i = 0; i < size; ++i)
            out += char((v >> (8 * i)) & 0xff);
        return out;
    };
    const auto blockAlign = static_cast<std::uint32_t>(channels * bits / 8);
    std::string fmt = le(1, 2) + le(static_cast<std::uint32_t>(channels), 2) +
        le(static_cast<std::uint32_t>(rate), 4) +
        le(static_cast<std::uint32_t>(rate) * blockAlign, 4) + le(blockAlign, 2) +
        le(static_cast<std::uint32_t>(bits), 2);
    // A chunk the reader must step over, of odd length (padded).
    std::string body = "WAVE" + std::string("LIST") + le(3, 4) + "abc" + std::string(1, '\0') +
        "fmt " + le(16, 4) + fmt + "data" + le(static_cast<std::uint32_t>(data.size()), 4) + data;
    return "RIFF" + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

void writeAllCues(const ScratchDir& dir)
{
    for (Cue c : {Cue::MP1, Cue::MP2, Cue::MP3, Cue::MP4, Cue::MP5, Cue::MP6})
        dir.write(cueFile(c), wave());
}

} // namespace

class CuesTest : public QObject {
    Q_OBJECT

private slots:
    void waveCheck_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::newRow("a WAV file") << true << QByteArray::fromStdString(wave()) << "";
        QTest::newRow("missing") << false << QByteArray() << "Cannot open file Sound\\Close.wav";
        QTest::newRow("empty") << true << QByteArray() << "Not a WAV sound file: Sound\\Close.wav";
        QTest::newRow("text") << true << QByteArray("just some text, not a sound")
                              << "Not a WAV sound file: Sound\\Close.wav";
        QTest::newRow("RIFF but not WAVE") << true
                                           << QByteArray("RIFF\x04\x00\x00\x00"
                                                         "AVI LIST",
                                                         16)
                                           << "Not a WAV sound file: Sound\\Close.wav";
    }

    void waveCheck()
    {
        QFETCH(bool, present);
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        ScratchDir dir;
        if (present)
            dir.write("Sound\\Close.wav", content.toStdString());
        QString thrown;
        try {
            readWaveFile("Sound\\Close.wav");
        } catch (const FileError& e) {
            thrown = QString::fromStdString(e.what());
        }
        QCOMPARE(thrown, error);
    }

    // The samples of a file, as one channel at the cues' rate, whatever its own format.
    void waveSamples_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<int>>("samples");
        const auto le16 = [](std::initializer_list<int> values) {
            QByteArray out;
            for (int v : values) {
                out.append(char(v & 0xff));
                out.append(char((v >> 8) & 0xff));
            }
            return out;
        };
        QTest::newRow("mono 16 bit") << 1 << kCueRate << 16 << le16({0, 1000, -1000, 32767})
                                     << QList<int>{0, 1000, -1000, 32767};
        QTest::newRow("stereo averaged")
            << 2 << kCueRate << 16 << le16({100, 300, -200, -400}) << QList<int>{200, -300};
        QTest::newRow("8 bit, unsigned") << 1 << kCueRate << 8 << QByteArray("\x80\xff\x00", 3)
                                         << QList<int>{0, 127 * 256, -128 * 256};
        QTest::newRow("half the rate, interpolated")
            << 1 << kCueRate / 2 << 16 << le16({0, 1000}) << QList<int>{0, 500, 1000, 1000};
        QTest::newRow("an odd byte left over")
            << 1 << kCueRate << 16 << QByteArray("\x10\x00\x20", 3) << QList<int>{16};
    }

    void waveSamples()
    {
        QFETCH(int, channels);
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(QByteArray, data);
        QFETCH(QList<int>, samples);
        ScratchDir dir;
        dir.write("Sound\\Close.wav", waveOf(channels, rate, bits, data.toStdString()));
        const std::vector<std::int16_t> read = readWaveFile("Sound\\Close.wav");
        QCOMPARE(QList<int>(read.begin(), read.end()), samples);
    }

    // A cue asked for while it sounds goes on where it is; one asked for after its end starts
    // again from its beginning; each cue keeps its own time.
    void gate()
    {
        CueGate gate;
        gate.setLength(Cue::MP1, 45);
        gate.setLength(Cue::MP6, 420);
        struct Request {
            Cue cue;
            std::int64_t at;
            bool starts;
        };
        const Request requests[] = {
            {Cue::MP1, 0, true},    {Cue::MP1, 20, false}, // typing fast: one sound
            {Cue::MP6, 30, true}, // another cue sounds at the same time
            {Cue::MP1, 44, false},  {Cue::MP1, 45, true}, // ended: from the top
            {Cue::MP6, 100, false}, // the exit animation asks on every step
            {Cue::MP6, 449, false}, {Cue::MP6, 450, true},
            {Cue::MP6, 5000, true}, {Cue::MP2, 0, false}, // a cue without sound never sounds
        };
        for (const Request& r : requests)
            QVERIFY2(gate.start(r.cue, r.at) == r.starts,
                     qPrintable(QStringLiteral("MP%1 at %2").arg(int(r.cue) + 1).arg(r.at)));
        QCOMPARE(gate.endOfAll(5100), std::int64_t(5420));
        QCOMPARE(gate.endOfAll(6000), std::int64_t(6000));
    }

    // Without its cues the program does not start; the message names the file.
    void theWindowIsNotMadeWithoutACue()
    {
        ScratchDir dir;
        writeAllCues(dir);
        dir.remove("Sound\\CpuSound.wav");
        RecordingReporter reporter;
        QString thrown;
        try {
            TForm1 form(Services{nullptr, nullptr, nullptr, &reporter});
        } catch (const FileError& e) {
            thrown = QString::fromStdString(e.what());
        }
        QCOMPARE(thrown, QStringLiteral("Cannot open file Sound\\CpuSound.wav"));
    }

    // With every file there the window is made, even on a machine without sound output.
    void theWindowIsMadeWithTheCues()
    {
        ScratchDir dir;
        writeAllCues(dir);
        dir.writeLines("Base\\Words.Dat", {"// заголовок"});
        RecordingReporter reporter;
        TForm1 form(Services{nullptr, nullptr, nullptr, &reporter});
        inputOf(form)->setText(QStringLiteral("звук")); // plays, or stays silent without a device
        QCOMPARE(reporter.errors, QStringList());
    }

    // A turn echoes with MP2, speaks with MP5, and clearing the line sounds MP1.
    void cuesOfATurn()
    {
        ScratchDir dir;
        writeBase(dir);
        FormFixture f;
        inputOf(*f)->setText(QStringLiteral("привет"));
        f.cues.played.clear();
        tick(*f, 1);
        buttonOf(*f, "Speak")->click();
        QVERIFY(f.cues.played.size() >= 3);
        QCOMPARE(f.cues.played.front(), Cue::MP2);
        QCOMPARE(f.cues.played[1], Cue::MP5);
        QCOMPARE(f.cues.played.back(), Cue::MP1);
    }
};

QTEST_MAIN(CuesTest)
#include "cues_test.moc"
