// The remarks as the window makes them: their styles in the transcript, and a missing list
// reported once however often its timer tries again.
#include "app/mainwindow.h"
#include "app/transcript.h"
#include "kb/cp1251.h"
#include "support/guisupport.h"
#include "support/testsupport.h"

#include <QTest>
#include <QTimer>

#include <memory>

using namespace tovrin;
using namespace tovrin::test;

namespace {

struct Fixture {
    ScratchDir dir{true};
    RecordingCues cues;
    ScriptedDice dice;
    ScriptedPickers pickers;
    RecordingReporter reporter;
    TForm1 form{Services{&cues, &dice, &pickers, &reporter}};

    Fixture()
    {
        for (QTimer* t : form.T)
            t->stop();
    }
    // One second of silence with the given threshold (60 + draw).
    void idleSecond(int thresholdDraw)
    {
        dice.push(thresholdDraw);
        form.T2Timer();
    }
    QString lastLine() const { return form.RE1->line(form.RE1->count() - 1); }
};

} // namespace

class RemarksWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    void remarksTakeTheirOwnStyles();
    void delayedRemarkStopsItsTimer();
    void missingPauseListIsReportedOncePerRunOfFailures();
    void missingGreetingListIsReportedOncePerArming();

private:
    std::unique_ptr<Fixture> f;
};

void RemarksWindowTest::remarksTakeTheirOwnStyles()
{
    TForm1& form = f->form;
    f->dir.writeLines("Base\\Pause.Dat", {"Тишина."});
    f->dir.writeLines("Base\\Begin.dat", {"Привет!"});
    form.ColorDialog1 = Qt::red;
    form.ColorDialog3 = Qt::blue;
    form.FontDialog2 = FontChoice{QStringLiteral("Arial"), 12, true, false};

    // The greeting in the program style.
    form.setTimerEnabled(Timer::T10, true);
    f->dice.push(0);
    form.T10Timer();
    QCOMPARE(f->lastLine(), QStringLiteral("Привет!"));
    QCOMPARE(form.RE1->lineAttributes(0).color, QColor(Qt::blue));
    QCOMPARE(form.RE1->lineAttributes(0).font, form.FontDialog2);
    QVERIFY(!form.timerEnabled(Timer::T10));

    // The idle remark in the shared colour, the font as the greeting left it.
    form.engine().IdleTicks = 59;
    f->idleSecond(0);
    QCOMPARE(f->lastLine(), QStringLiteral("Тишина."));
    QCOMPARE(form.RE1->lineAttributes(1).color, QColor(Qt::red));
    QCOMPARE(form.RE1->lineAttributes(1).font, form.FontDialog2);
    QCOMPARE(QString::fromStdString(cp1251::toUtf8(form.engine().Log.get(1))),
             QStringLiteral("CPU:     Тишина."));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void RemarksWindowTest::delayedRemarkStopsItsTimer()
{
    TForm1& form = f->form;
    form.engine().RE2 = LineList({cp1251::fromUtf8("нулевая"), cp1251::fromUtf8("первая")});
    form.setTimerEnabled(Timer::T9, true);
    form.T9Timer();
    QCOMPARE(form.RE1->count(), 0);
    QVERIFY(form.timerEnabled(Timer::T9));
    form.T9Timer();
    QCOMPARE(f->lastLine(), QStringLiteral("первая"));
    QVERIFY(!form.timerEnabled(Timer::T9));
    QCOMPARE(form.timerInterval(Timer::T9), 1000);
}

void RemarksWindowTest::missingPauseListIsReportedOncePerRunOfFailures()
{
    TForm1& form = f->form;
    f->dir.remove("Base\\Pause.Dat");
    form.engine().IdleTicks = 60;
    // Due at once, then a quiet second below its threshold, then due again: one message.
    f->idleSecond(0);
    f->idleSecond(30);
    f->idleSecond(0);
    for (int i = 0; i < 10; ++i)
        f->idleSecond(30);
    QCOMPARE(f->reporter.errors,
             QStringList{QStringLiteral("Cannot open file Base\\Pause.Dat")});
    QCOMPARE(form.engine().IdleTicks, 73);
    QCOMPARE(form.RE1->count(), 0);

    // A remark that succeeds ends the run; the next failure is news again.
    f->dir.writeLines("Base\\Pause.Dat", {"Тишина."});
    f->idleSecond(0);
    QCOMPARE(form.RE1->count(), 1);
    f->dir.remove("Base\\Pause.Dat");
    form.engine().IdleTicks = 89;
    f->idleSecond(30);
    QCOMPARE(f->reporter.errors.size(), 2);
}

void RemarksWindowTest::missingGreetingListIsReportedOncePerArming()
{
    TForm1& form = f->form;
    f->dir.remove("Base\\Begin.dat");
    form.setTimerEnabled(Timer::T10, true);
    for (int i = 0; i < 5; ++i) {
        f->dice.push(0);
        form.T10Timer();
    }
    QCOMPARE(f->reporter.errors, QStringList{QStringLiteral("Cannot open file Base\\Begin.dat")});
    QVERIFY(form.timerEnabled(Timer::T10));

    // A tick without the chance stops T10; the next arming may report again.
    f->dice.push(1);
    form.T10Timer();
    QVERIFY(!form.timerEnabled(Timer::T10));
    form.setTimerEnabled(Timer::T10, true);
    f->dice.push(0);
    form.T10Timer();
    QCOMPARE(f->reporter.errors.size(), 2);
    QCOMPARE(form.RE1->count(), 0);
}

QTEST_MAIN(RemarksWindowTest)
#include "remarks_window_test.moc"
