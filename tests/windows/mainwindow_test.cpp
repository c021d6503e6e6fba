// The main window as it is built: controls, menu, status bar, timers; the control-state
// tick, the input line, ENTER, the secondary-window rule and the error guard.
#include "support/formfixture.h"
#include "tovrin/version.h"
#include "ui/window.h"

#include "input/keyboardwindow.h"
#include "kb/fileerror.h"
#include "ui/aboutwindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

using namespace tovrin;
using namespace tovrin::test;

namespace {

// Types text key by key, as the user does (Cyrillic included).
void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { scratch_ = std::make_unique<ScratchDir>(); }
    void cleanup() { scratch_.reset(); }

    // The title names the version the programs share; the user cannot resize the window.
    void windowFrame()
    {
        FormFixture f;
        QVERIFY(f->windowTitle().endsWith(QLatin1String("v") + QLatin1String(kVersion)));
        QCOMPARE(f->minimumSize(), f->maximumSize());
    }

    // Choosing an entry with a check mark does not flip the mark by itself: the handler
    // decides (here the mode switch, which runs all its steps again).
    void checkMarksBelongToTheHandlers()
    {
        FormFixture f;
        actionOf(*f, "CpuUser1")->trigger();
        QVERIFY(actionOf(*f, "CpuUser1")->isChecked());
        QVERIFY(!actionOf(*f, "Cpu31")->isChecked());
        actionOf(*f, "Cpu31")->trigger();
        QVERIFY(actionOf(*f, "Cpu31")->isChecked());
        QVERIFY(!actionOf(*f, "CpuUser1")->isChecked());
    }

    void startUpCreatesTheHiddenWindowsAfterAFailedLoad()
    {
        // No Base\Words.dat in the scratch folder: FormCreate reports, and start-up goes on.
        FormFixture f;
        QCOMPARE(f.reporter.errors,
                 QStringList{QStringLiteral("Cannot open file Base\\Words.dat")});
        QVERIFY(editorOf(*f) && aboutOf(*f) && keyboardOf(*f));
        QVERIFY(!editorOf(*f)->isVisible() && !aboutOf(*f)->isVisible() &&
                !keyboardOf(*f)->isVisible());
    }

    void controlStateTick()
    {
        FormFixture f;
        tick(*f, 1);
        QVERIFY(!buttonOf(*f, "Speak")->isEnabled() && !buttonOf(*f, "EnRus")->isEnabled() &&
                !talkOf(*f)->isEnabled());
        QVERIFY(!buttonOf(*f, "Cancel")->isEnabled() && !actionOf(*f, "N15")->isEnabled());

        inputOf(*f)->setText(QStringLiteral(" ")); // spaces are not empty
        tick(*f, 1);
        QVERIFY(buttonOf(*f, "Speak")->isEnabled() && buttonOf(*f, "EnRus")->isEnabled() &&
                talkOf(*f)->isEnabled());
        QVERIFY(!buttonOf(*f, "Cancel")->isEnabled());

        hostOf(*f).appendTranscript(cp("Привет."), LineStyle::User);
        tick(*f, 1);
        QVERIFY(buttonOf(*f, "Cancel")->isEnabled() && actionOf(*f, "N15")->isEnabled());

        inputOf(*f)->clear();
        transcriptOf(*f)->clearLines();
        tick(*f, 1);
        QVERIFY(!buttonOf(*f, "Speak")->isEnabled() && !talkOf(*f)->isEnabled() &&
                !buttonOf(*f, "Cancel")->isEnabled() && !actionOf(*f, "N15")->isEnabled());
    }

    void focusReturnsToTheInputLine()
    {
        FormFixture f;
        f->show();
        transcriptOf(*f)->setFocus();
        QCOMPARE(f->focusWidget(), static_cast<QWidget*>(transcriptOf(*f)));
        tick(*f, 1);
        QCOMPARE(f->focusWidget(), static_cast<QWidget*>(inputOf(*f)));
    }

    // MP1 on every real change of the input line, whoever makes it.
    void typingCue()
    {
        FormFixture f;
        f->show();
        typeText(inputOf(*f), QStringLiteral("привет"));
        QCOMPARE(f.cues.played, std::vector<Cue>(6, Cue::MP1));
        inputOf(*f)->setText(QStringLiteral("привет")); // the same text: no change
        QCOMPARE(f.cues.played.size(), size_t(6));
        hostOf(*f).clearInput();
        QCOMPARE(f.cues.played.size(), size_t(7));
        hostOf(*f).clearInput(); // already empty
        QCOMPARE(f.cues.played.size(), size_t(7));
    }

    // ENTER acts as a press of Speak exactly while Talk is enabled.
    void enterRouting_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("turnTaken");
        QTest::newRow("Return with text") << "привет" << int(Qt::Key_Return) << true;
        QTest::newRow("Enter with text") << "привет" << int(Qt::Key_Enter) << true;
        QTest::newRow("Return, empty line") << "" << int(Qt::Key_Return) << false;
    }

    void enterRouting()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(bool, turnTaken);
        writeBase(*scratch_);
        FormFixture f;
        f->show();
        inputOf(*f)->setText(typed);
        tick(*f, 1);
        f.cues.played.clear();
        QTest::keyClick(inputOf(*f), Qt::Key(key));
        // A turn echoes the phrase with MP2 before anything else of it.
        const bool echoed = !f.cues.played.empty() && f.cues.played.front() == Cue::MP2;
        QCOMPARE(echoed, turnTaken);
    }

    // Talk follows the mode's poll in Cpu\Cpu mode: disabled, ENTER does nothing even with text.
    void enterDoesNothingWhileTalkIsDisabled()
    {
        writeBase(*scratch_);
        FormFixture f;
        f->show();
        inputOf(*f)->setText(QStringLiteral("привет"));
        tick(*f, 1);
        talkOf(*f)->setEnabled(false);
        f.cues.played.clear();
        QTest::keyClick(inputOf(*f), Qt::Key_Return);
        QVERIFY(f.cues.played.empty());
        QCOMPARE(transcriptOf(*f)->count(), 0);
    }

    void undoShortcutReachesTheMenuFromTheInputLine()
    {
        FormFixture f;
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        hostOf(*f).appendTranscript(cp("один"), LineStyle::User);
        hostOf(*f).appendTranscript(cp("два"), LineStyle::Program);
        tick(*f, 1);
        QTest::keyClick(inputOf(*f), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(transcriptLines(*f), QStringList{QStringLiteral("один")});
        transcriptOf(*f)->clearLines();
        tick(*f, 1); // Ctrl+Z is disabled with the transcript empty
        EngineTestAccess::addLogLine(f->engine(), "CPU:     x");
        QTest::keyClick(inputOf(*f), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->engine().state().Log.count(), 1);
    }

    // With the transcript empty Ctrl+Z does nothing at all: the input line's own undo does not
    // bring back what the line held before the turn cleared it (nor its redo); other keys still
    // reach the line.
    void ctrlZWithAnEmptyTranscriptLeavesTheLineAlone_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::newRow("Ctrl+Z") << QKeyCombination(Qt::ControlModifier, Qt::Key_Z);
        QTest::newRow("Ctrl+Shift+Z")
            << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
        QTest::newRow("Ctrl+Y") << QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
    }

    void ctrlZWithAnEmptyTranscriptLeavesTheLineAlone()
    {
        QFETCH(QKeyCombination, key);
        FormFixture f;
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QLineEdit* input = inputOf(*f);
        QTest::keyClicks(input, QStringLiteral("hello"));
        input->clear(); // as the end of a turn clears it
        QTest::keyClicks(input, QStringLiteral("ab"));
        QTest::keyClick(input, Qt::Key_Backspace);
        QTest::keyClick(input, Qt::Key_Backspace);
        tick(*f, 1);
        QVERIFY(!actionOf(*f, "N15")->isEnabled());
        QTest::keyClick(input, key.key(), key.keyboardModifiers());
        QCOMPARE(input->text(), QString());
        QTest::keyClick(input, Qt::Key_Z);
        QCOMPARE(input->text(), QStringLiteral("z"));
    }

    // Phrases are taken in Windows-1251: what has no form there becomes "?".
    void inputIsTakenInWindows1251()
    {
        FormFixture f;
        // A symbol goes, a smile is written as typed, a letter the code page lacks is marked.
        inputOf(*f)->setText(QStringLiteral("ёлка ✓"));
        QCOMPARE(hostOf(*f).inputText(), cp("ёлка"));
        inputOf(*f)->setText(QStringLiteral("ёлка \U0001F60A"));
        QCOMPARE(hostOf(*f).inputText(), cp("ёлка)"));
        inputOf(*f)->setText(QStringLiteral("ёлка \u65E5"));
        QCOMPARE(hostOf(*f).inputText(), cp("ёлка ?"));
    }

    void secondaryWindowRule()
    {
        FormFixture f;
        f->show();
        timerOf(*f, 1)->start();
        actionOf(*f, "N38")->trigger();
        QVERIFY(!timerOf(*f, 1)->isActive());
        QVERIFY(!f->isEnabled());
        QVERIFY(editorOf(*f)->isVisible() && editorOf(*f)->isEnabled());
        QCOMPARE(child<QSpinBox>(*editorOf(*f), "SpinEdit1")->value(), 1);
        child<QPushButton>(*editorOf(*f), "Button2")->click();
        QVERIFY(timerOf(*f, 1)->isActive());
        QVERIFY(f->isEnabled());
        QVERIFY(!editorOf(*f)->isVisible());
    }

    void closeBoxEndsWithoutTheLog()
    {
        writeBase(*scratch_);
        const auto before = scratch_->readLines("Base\\Log.Tovrin");
        FormFixture f(false);
        f->show();
        EngineTestAccess::addLogLine(f->engine(), cp("USER:     Привет."));
        QVERIFY(f->close());
        QVERIFY(!f->isVisible());
        for (QTimer* t : timersOf(*f))
            QVERIFY(!t->isActive());
        QCOMPARE(scratch_->readLines("Base\\Log.Tovrin"), before);
    }

    // While one message is open (its own event loop lets the timers run), further failures
    // are not stacked on top of it; a timer that could not show its failure shows it later.
    void noStackedMessages()
    {
        FormFixture f;
        struct Nested : Reporter {
            TForm1* form = nullptr;
            QStringList shown;
            void showError(const QString& message, QWidget*) override
            {
                shown << message;
                tick(*form, 3); // a tick that comes while this box is open
            }
        } nested;
        nested.form = f.form.get();
        f->services().reporter = &nested;
        timerOf(*f, 3)->start();
        tick(*f, 8); // Words is missing: shown; T3 fails meanwhile and is kept back
        QCOMPARE(nested.shown, QStringList{QStringLiteral("Cannot open file Base\\Words.Dat")});
        QVERIFY(timerOf(*f, 3)->isActive());
        f->services().reporter = &f.reporter;
        tick(*f, 3);
        QCOMPARE(f.reporter.errors.mid(1),
                 QStringList{QStringLiteral("Cannot open file Base\\Words.Dat")});
        QVERIFY(!timerOf(*f, 3)->isActive());
    }

    void guardShowsTheExactMessageAndGoesOn()
    {
        FormFixture f;
        f.reporter.errors.clear();
        bool after = false;
        static_cast<SecondaryHost&>(*f).guarded(
            [] { throw FileError::cannotOpen(cp("Base\\Фразы.Dat")); });
        static_cast<SecondaryHost&>(*f).guarded([&] { after = true; });
        QCOMPARE(f.reporter.errors,
                 QStringList{QStringLiteral("Cannot open file Base\\Фразы.Dat")});
        QVERIFY(after);
    }

    void busyPointer()
    {
        FormFixture f;
        hostOf(*f).setBusy(true);
        hostOf(*f).setBusy(true);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        hostOf(*f).setBusy(false);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // What a turn means drives the timers: a farewell the shrink-and-close, an armed delayed
    // remark T9, the greeting's end T10.
    void turnMeaningDrivesTheTimers()
    {
        FormFixture f;
        hostOf(*f).setFarewell(true);
        QVERIFY(timerOf(*f, 4)->isActive());
        hostOf(*f).setFarewell(false);
        QVERIFY(!timerOf(*f, 4)->isActive());

        hostOf(*f).setDelayedRemarkArmed(true);
        QVERIFY(timerOf(*f, 9)->isActive());
        const int remaining = timerOf(*f, 9)->remainingTime();
        hostOf(*f).setDelayedRemarkArmed(true); // arming an armed remark does not restart its pace
        QVERIFY(timerOf(*f, 9)->remainingTime() <= remaining);
        hostOf(*f).setDelayedRemarkArmed(false);
        QVERIFY(!timerOf(*f, 9)->isActive());

        setRunning(timerOf(*f, 10), true);
        hostOf(*f).greetingDone();
        QVERIFY(!timerOf(*f, 10)->isActive());
    }

    void sanitiserClearsTheLineAndDisablesTheTranscript()
    {
        FormFixture f;
        inputOf(*f)->setText(QStringLiteral("абв^"));
        for (int i = 0; i < 3; ++i) {
            tick(*f, 5);
            QCOMPARE(inputOf(*f)->text(), QStringLiteral("абв^"));
        }
        tick(*f, 5);
        QCOMPARE(inputOf(*f)->text(), QString());
        QVERIFY(!transcriptOf(*f)->isEnabled());
    }

private:
    std::unique_ptr<ScratchDir> scratch_;
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
