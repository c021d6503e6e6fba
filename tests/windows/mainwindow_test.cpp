// The main window as it is built: controls, menu, status bar, timers; the control-state
// tick, the input line, ENTER, the secondary-window rule and the error guard.
#include "support/formfixture.h"
#include "tovrin/version.h"

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
        f->ui().CpuUser1->trigger();
        QVERIFY(f->ui().CpuUser1->isChecked());
        QVERIFY(!f->ui().Cpu31->isChecked());
        f->ui().Cpu31->trigger();
        QVERIFY(f->ui().Cpu31->isChecked());
        QVERIFY(!f->ui().CpuUser1->isChecked());
    }



    void startUpCreatesTheHiddenWindowsAfterAFailedLoad()
    {
        // No Base\Words.dat in the scratch folder: FormCreate reports, and start-up goes on.
        FormFixture f;
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file Base\\Words.dat")});
        QVERIFY(f->ui().Form2 && f->ui().Form3 && f->ui().Form4);
        QVERIFY(!f->ui().Form2->isVisible() && !f->ui().Form3->isVisible() && !f->ui().Form4->isVisible());
        QCOMPARE(f->ui().Form2->windowTitle(), QStringLiteral("Редактор"));
    }

    void controlStateTick()
    {
        FormFixture f;
        f->T1Timer();
        QVERIFY(!f->ui().Speak->isEnabled() && !f->ui().EnRus->isEnabled() && !f->ui().Talk->isEnabled());
        QVERIFY(!f->ui().Cancel->isEnabled() && !f->ui().N15->isEnabled());

        f->ui().Input->setText(QStringLiteral(" ")); // spaces are not empty
        f->T1Timer();
        QVERIFY(f->ui().Speak->isEnabled() && f->ui().EnRus->isEnabled() && f->ui().Talk->isEnabled());
        QVERIFY(!f->ui().Cancel->isEnabled());

        f->appendTranscript(cp("Привет."), LineStyle::User);
        f->T1Timer();
        QVERIFY(f->ui().Cancel->isEnabled() && f->ui().N15->isEnabled());

        f->ui().Input->clear();
        f->ui().RE1->clearLines();
        f->T1Timer();
        QVERIFY(!f->ui().Speak->isEnabled() && !f->ui().Talk->isEnabled() && !f->ui().Cancel->isEnabled() && !f->ui().N15->isEnabled());
    }

    void focusReturnsToTheInputLine()
    {
        FormFixture f;
        f->show();
        f->ui().RE1->setFocus();
        QCOMPARE(f->focusWidget(), static_cast<QWidget*>(f->ui().RE1));
        f->T1Timer();
        QCOMPARE(f->focusWidget(), static_cast<QWidget*>(f->ui().Input));
    }

    // MP1 on every real change of the input line, whoever makes it.
    void typingCue()
    {
        FormFixture f;
        f->show();
        typeText(f->ui().Input, QStringLiteral("привет"));
        QCOMPARE(f.cues.played, std::vector<Cue>(6, Cue::MP1));
        f->ui().Input->setText(QStringLiteral("привет")); // the same text: no change
        QCOMPARE(f.cues.played.size(), size_t(6));
        f->clearInput();
        QCOMPARE(f.cues.played.size(), size_t(7));
        f->clearInput(); // already empty
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
        f->ui().Input->setText(typed);
        f->T1Timer();
        f.cues.played.clear();
        QTest::keyClick(f->ui().Input, Qt::Key(key));
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
        f->ui().Input->setText(QStringLiteral("привет"));
        f->T1Timer();
        f->ui().Talk->setEnabled(false);
        f.cues.played.clear();
        QTest::keyClick(f->ui().Input, Qt::Key_Return);
        QVERIFY(f.cues.played.empty());
        QCOMPARE(f->ui().RE1->count(), 0);
    }

    // A press from code runs the handler even while the button is disabled.
    void pressFromCodeWhileDisabled()
    {
        writeBase(*scratch_);
        FormFixture f;
        f->ui().Input->setText(QStringLiteral("привет"));
        QVERIFY(!f->ui().Speak->isEnabled());
        f->TalkClick();
        QVERIFY(f->ui().RE1->count() >= 1);
        QCOMPARE(f->ui().RE1->line(0), QStringLiteral("Привет."));
    }

    void undoShortcutReachesTheMenuFromTheInputLine()
    {
        FormFixture f;
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f->appendTranscript(cp("один"), LineStyle::User);
        f->appendTranscript(cp("два"), LineStyle::Program);
        f->T1Timer();
        QTest::keyClick(f->ui().Input, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(transcriptLines(*f), QStringList{QStringLiteral("один")});
        f->ui().RE1->clearLines();
        f->T1Timer(); // Ctrl+Z is disabled with the transcript empty
        f->engine().preset().Log.add("CPU:     x");
        QTest::keyClick(f->ui().Input, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->engine().state().Log.count(), 1);
    }

    // Phrases are taken in Windows-1251: what has no form there becomes "?".
    void inputIsTakenInWindows1251()
    {
        FormFixture f;
        // A symbol goes, a smile is written as typed, a letter the code page lacks is marked.
        f->ui().Input->setText(QStringLiteral("ёлка ✓"));
        QCOMPARE(f->inputText(), cp("ёлка"));
        f->ui().Input->setText(QStringLiteral("ёлка \U0001F60A"));
        QCOMPARE(f->inputText(), cp("ёлка)"));
        f->ui().Input->setText(QStringLiteral("ёлка \u65E5"));
        QCOMPARE(f->inputText(), cp("ёлка ?"));
    }

    void secondaryWindowRule()
    {
        FormFixture f;
        f->show();
        f->ui().T[0]->start();
        f->N38Click();
        QVERIFY(!f->ui().T[0]->isActive());
        QVERIFY(!f->isEnabled());
        QVERIFY(f->ui().Form2->isVisible() && f->ui().Form2->isEnabled());
        QCOMPARE(f->ui().Form2->SpinEdit1->value(), 1);
        f->ui().Form2->Button2Click();
        QVERIFY(f->ui().T[0]->isActive());
        QVERIFY(f->isEnabled());
        QVERIFY(!f->ui().Form2->isVisible());
    }

    void closeBoxEndsWithoutTheLog()
    {
        writeBase(*scratch_);
        const auto before = scratch_->readLines("Base\\Log.Tovrin");
        FormFixture f(false);
        f->show();
        f->engine().preset().Log.add(cp("USER:     Привет."));
        QVERIFY(f->close());
        QVERIFY(!f->isVisible());
        for (QTimer* t : f->ui().T)
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
                form->T3Timer(); // a tick that comes while this box is open
            }
        } nested;
        nested.form = f.form.get();
        f->services().reporter = &nested;
        f->ui().T[2]->start();
        f->T8Timer(); // Words is missing: shown; T3 fails meanwhile and is kept back
        QCOMPARE(nested.shown, QStringList{QStringLiteral("Cannot open file Base\\Words.Dat")});
        QVERIFY(f->ui().T[2]->isActive());
        f->services().reporter = &f.reporter;
        f->T3Timer();
        QCOMPARE(f.reporter.errors.mid(1), QStringList{QStringLiteral("Cannot open file Base\\Words.Dat")});
        QVERIFY(!f->ui().T[2]->isActive());
    }

    void guardShowsTheExactMessageAndGoesOn()
    {
        FormFixture f;
        f.reporter.errors.clear();
        bool after = false;
        f->guarded([] { throw FileError::cannotOpen(cp("Base\\Фразы.Dat")); });
        f->guarded([&] { after = true; });
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file Base\\Фразы.Dat")});
        QVERIFY(after);
    }

    void busyPointer()
    {
        FormFixture f;
        f->setBusy(true);
        f->setBusy(true);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        f->setBusy(false);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // What a turn means drives the timers: a farewell the shrink-and-close, an armed delayed
    // remark T9, the greeting's end T10.
    void turnMeaningDrivesTheTimers()
    {
        FormFixture f;
        f->setFarewell(true);
        QVERIFY(f->timerEnabled(Timer::T4));
        f->setFarewell(false);
        QVERIFY(!f->timerEnabled(Timer::T4));

        f->setDelayedRemarkArmed(true);
        QVERIFY(f->timerEnabled(Timer::T9));
        const int remaining = f->ui().T[8]->remainingTime();
        f->setDelayedRemarkArmed(true); // arming an armed remark does not restart its pace
        QVERIFY(f->ui().T[8]->remainingTime() <= remaining);
        f->setDelayedRemarkArmed(false);
        QVERIFY(!f->timerEnabled(Timer::T9));

        f->setTimerEnabled(Timer::T10, true);
        f->greetingDone();
        QVERIFY(!f->timerEnabled(Timer::T10));
    }

    void sanitiserClearsTheLineAndDisablesTheTranscript()
    {
        FormFixture f;
        f->ui().Input->setText(QStringLiteral("абв^"));
        for (int i = 0; i < 3; ++i) {
            f->T5Timer();
            QCOMPARE(f->ui().Input->text(), QStringLiteral("абв^"));
        }
        f->T5Timer();
        QCOMPARE(f->ui().Input->text(), QString());
        QVERIFY(!f->ui().RE1->isEnabled());
    }

private:
    std::unique_ptr<ScratchDir> scratch_;
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
