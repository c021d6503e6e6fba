// The remarks as the window makes them: their styles in the transcript, and a missing list
// reported once however often its timer tries again.
#include "support/formfixture.h"

#include <QGuiApplication>
#include <QTest>

#include <memory>

using namespace tovrin;
using namespace tovrin::test;

namespace {

struct Window {
    Window()
    {
        writeBase(dir);
        f = std::make_unique<FormFixture>();
    }
    ScratchDir dir;
    std::unique_ptr<FormFixture> f;
    TForm1& form() const { return **f; }

    // One second of silence with the given threshold (60 + draw).
    void idleSecond(int thresholdDraw)
    {
        f->dice.push(thresholdDraw);
        tick(form(), 2);
    }
    QString lastLine() const
    {
        return transcriptOf(form())->line(transcriptOf(form())->count() - 1);
    }
};

} // namespace

class RemarksWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<Window>(); }
    void cleanup() { f.reset(); }

    void remarksTakeTheirOwnStyles();
    void delayedRemarkStopsItsTimer();
    void missingPauseListIsReportedOncePerRunOfFailures();
    void missingGreetingListIsReportedOncePerArming();

private:
    std::unique_ptr<Window> f;
};

void RemarksWindowTest::remarksTakeTheirOwnStyles()
{
    TForm1& form = f->form();
    f->dir.writeLines("Base\\Pause.Dat", {"Тишина."});
    f->dir.writeLines("Base\\Begin.dat", {"Привет!"});
    form.appearance().ColorDialog1 = Qt::red;
    form.appearance().ColorDialog3 = Qt::blue;
    form.appearance().FontDialog2 = FontChoice{QStringLiteral("Arial"), 12, true, false};

    // The greeting in the program style.
    setRunning(timerOf(form, 10), true);
    f->f->dice.push(0);
    tick(form, 10);
    QCOMPARE(f->lastLine(), QStringLiteral("Привет!"));
    QCOMPARE(transcriptOf(form)->lineAttributes(0).color, QColor(Qt::blue));
    QCOMPARE(transcriptOf(form)->lineAttributes(0).font, form.appearance().FontDialog2);
    QVERIFY(!timerOf(form, 10)->isActive());

    // The idle remark in the shared colour, the font as the greeting left it.
    EngineTestAccess::setSilence(form.engine(), 59);
    f->idleSecond(0);
    QCOMPARE(f->lastLine(), QStringLiteral("Тишина."));
    QCOMPARE(transcriptOf(form)->lineAttributes(1).color, QColor(Qt::red));
    QCOMPARE(transcriptOf(form)->lineAttributes(1).font, form.appearance().FontDialog2);
    QCOMPARE(QString::fromStdString(cp1251::toUtf8(form.engine().state().Log.get(1))),
             QStringLiteral("CPU:     Тишина."));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void RemarksWindowTest::delayedRemarkStopsItsTimer()
{
    TForm1& form = f->form();
    f->dir.writeLines("Base\\AI.dat", {"нулевая", "первая"});
    setRunning(timerOf(form, 9), true);
    tick(form, 9);
    QCOMPARE(transcriptOf(form)->count(), 0);
    QVERIFY(timerOf(form, 9)->isActive());
    tick(form, 9);
    QCOMPARE(f->lastLine(), QStringLiteral("первая"));
    QVERIFY(!timerOf(form, 9)->isActive());
}

void RemarksWindowTest::missingPauseListIsReportedOncePerRunOfFailures()
{
    TForm1& form = f->form();
    f->dir.remove("Base\\Pause.Dat");
    EngineTestAccess::setSilence(form.engine(), 60);
    // Due at once, then a quiet second below its threshold, then due again: one message.
    f->idleSecond(0);
    f->idleSecond(30);
    f->idleSecond(0);
    for (int i = 0; i < 10; ++i)
        f->idleSecond(30);
    QCOMPARE(f->f->reporter.errors,
             QStringList{QStringLiteral("Cannot open file Base\\Pause.Dat")});
    QCOMPARE(form.engine().state().IdleTicks, 73);
    QCOMPARE(transcriptOf(form)->count(), 0);

    // A remark that succeeds ends the run; the next failure is news again.
    f->dir.writeLines("Base\\Pause.Dat", {"Тишина."});
    f->idleSecond(0);
    QCOMPARE(transcriptOf(form)->count(), 1);
    f->dir.remove("Base\\Pause.Dat");
    EngineTestAccess::setSilence(form.engine(), 89);
    f->idleSecond(30);
    QCOMPARE(f->f->reporter.errors.size(), 2);
}

void RemarksWindowTest::missingGreetingListIsReportedOncePerArming()
{
    TForm1& form = f->form();
    f->dir.remove("Base\\Begin.dat");
    setRunning(timerOf(form, 10), true);
    for (int i = 0; i < 5; ++i) {
        f->f->dice.push(0);
        tick(form, 10);
    }
    QCOMPARE(f->f->reporter.errors,
             QStringList{QStringLiteral("Cannot open file Base\\Begin.dat")});
    QVERIFY(timerOf(form, 10)->isActive());

    // A tick without the chance stops T10; the next arming may report again.
    f->f->dice.push(1);
    tick(form, 10);
    QVERIFY(!timerOf(form, 10)->isActive());
    setRunning(timerOf(form, 10), true);
    f->f->dice.push(0);
    tick(form, 10);
    QCOMPARE(f->f->reporter.errors.size(), 2);
    QCOMPARE(transcriptOf(form)->count(), 0);
}

QTEST_MAIN(RemarksWindowTest)
#include "remarks_window_test.moc"
