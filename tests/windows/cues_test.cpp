// The sound cues: the WAV files the program needs to start, and which cue each event asks for.
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
    riff += std::string("\x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00\x02\x00\x10\x00", 20);
    riff += "data" + std::string(4, '\0');
    return riff;
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
    void filesOfTheCues()
    {
        QCOMPARE(cueFile(Cue::MP1), std::string("Sound\\KeyBoard.wav"));
        QCOMPARE(cueFile(Cue::MP2), std::string("Sound\\Button3.wav"));
        QCOMPARE(cueFile(Cue::MP3), std::string("Sound\\Button2.wav"));
        QCOMPARE(cueFile(Cue::MP4), std::string("Sound\\Button1.wav"));
        QCOMPARE(cueFile(Cue::MP5), std::string("Sound\\CpuSound.wav"));
        QCOMPARE(cueFile(Cue::MP6), std::string("Sound\\Close.wav"));
    }

    void waveCheck_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::newRow("a WAV file") << true << QByteArray::fromStdString(wave()) << "";
        QTest::newRow("missing") << false << QByteArray() << "Cannot open file Sound\\Close.wav";
        QTest::newRow("empty") << true << QByteArray() << "Not a WAV sound file: Sound\\Close.wav";
        QTest::newRow("text") << true << QByteArray("just some text, not a sound") << "Not a WAV sound file: Sound\\Close.wav";
        QTest::newRow("RIFF but not WAVE") << true << QByteArray("RIFF\x04\x00\x00\x00" "AVI LIST", 16)
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
            checkWaveFile("Sound\\Close.wav");
        } catch (const FileError& e) {
            thrown = QString::fromStdString(e.what());
        }
        QCOMPARE(thrown, error);
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
        form.ui().Input->setText(QStringLiteral("звук")); // plays, or stays silent without a device
        QCOMPARE(reporter.errors, QStringList());
    }

    // A turn echoes with MP2, speaks with MP5, and clearing the line sounds MP1.
    void cuesOfATurn()
    {
        ScratchDir dir;
        writeBase(dir);
        FormFixture f;
        f->ui().Input->setText(QStringLiteral("привет"));
        f.cues.played.clear();
        f->SpeakClick();
        QVERIFY(f.cues.played.size() >= 3);
        QCOMPARE(f.cues.played.front(), Cue::MP2);
        QCOMPARE(f.cues.played[1], Cue::MP5);
        QCOMPARE(f.cues.played.back(), Cue::MP1);
    }
};

QTEST_MAIN(CuesTest)
#include "cues_test.moc"
