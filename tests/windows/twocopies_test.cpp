// Two copies of the program talking through one exchange file in timer reading: each turn
// reads exactly what the other copy wrote last. The copies share nothing but the files.
#include "support/formfixture.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using namespace tovrin;
using namespace tovrin::test;

namespace {

// What the intake makes of a line: the first Cyrillic letter capitalised, the end punctuated.
std::string normalised(std::string phrase)
{
    if (phrase.empty())
        return phrase;
    unsigned char& first = reinterpret_cast<unsigned char&>(phrase.front());
    if (first >= 0xE0)
        first = static_cast<unsigned char>(first - 0x20);
    else if (first == 0xB8)
        first = 0xA8;
    const char last = phrase.back();
    if (last == ',')
        phrase.back() = '.';
    else if (last != '.' && last != '!' && last != '?')
        phrase += '.';
    return phrase;
}

void talkByTimer(FormFixture& f, const QString& path)
{
    child<QLineEdit>(*editorOf(*f), "Edit1")->setText(path);
    child<QRadioButton>(*editorOf(*f), "RB2")->setChecked(true);
    child<QSpinBox>(*editorOf(*f), "SpinEdit1")->setValue(1000);
    actionOf(*f, "Cpu31")->trigger();
}

} // namespace

class TwoCopiesTest : public QObject {
    Q_OBJECT

private slots:
    void aConversationOfTwentyTurns()
    {
        ScratchDir dir(true);
        dir.writeLines("Exchange.Dat", {"привет"});
        FormFixture a, b;
        a.reporter.errors.clear();
        b.reporter.errors.clear();
        talkByTimer(a, QStringLiteral("Exchange.Dat"));
        talkByTimer(b, QStringLiteral("Exchange.Dat"));

        std::string written = cp("привет");
        FormFixture* copies[2] = {&a, &b};
        const int turns = 24;
        for (int turn = 0; turn < turns; ++turn) {
            FormFixture& speaker = *copies[turn % 2];
            const int logBefore = speaker->engine().state().Log.count();
            tick(*speaker, 6);
            QCOMPARE(speaker.reporter.errors, QStringList());
            // It read exactly the line the other copy (or the opening line) wrote...
            QCOMPARE(speaker->engine().state().UserPhrase, normalised(written));
            QCOMPARE(speaker->engine().state().Log.get(logBefore),
                     "USER:     " + normalised(written));
            // ...and left its own reply as the only line of the file.
            written = speaker->engine().state().CpuPhrase;
            const auto file = dir.readLines("Exchange.Dat");
            QCOMPARE(file.size(), size_t(1));
            QCOMPARE(file[0], utf(written));
            QCOMPARE(speaker->engine().state().Log.get(logBefore + 1), "CPU:     " + written);
        }
        QCOMPARE(a->engine().state().Log.count(), turns);
        QCOMPARE(b->engine().state().Log.count(), turns);
        // Each copy kept its own dialogue: A's phrases are B's replies and the other way round.
        QCOMPARE(a->engine().state().Log.get(2),
                 "USER:     " + normalised(b->engine().state().Log.get(1).substr(9)));
    }
};

QTEST_MAIN(TwoCopiesTest)
#include "twocopies_test.moc"
