// The window's animations, ticked by hand: the shake (T7) and the shrink-and-close (T4).
#include "support/formfixture.h"
#include "app/shrinkpath.h"
#include "input/keyboardwindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace tovrin;
using namespace tovrin::test;

namespace {

// A shown main window on a small Base folder, or on the delivered data; nothing ticks by
// itself.
struct Window : ScratchForm {
    explicit Window(bool deliveredData) :
        ScratchForm(deliveredData ? Folder::Delivered : Folder::SmallBase)
    {
        form.show();
    }

    int played(Cue cue) const
    {
        return static_cast<int>(std::count(cues.played.begin(), cues.played.end(), cue));
    }
    QStringList logFile() const
    {
        QStringList lines;
        for (const auto& l : dir.readLines("Base\\Log.Tovrin"))
            lines << QString::fromStdString(l);
        return lines;
    }
};

QList<QMenu*> shakenMenus(const TForm1& form)
{
    return {menuOf(form, "N1"), menuOf(form, "N5"), menuOf(form, "N11")};
}

} // namespace

class AnimationsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { window_.reset(); }

    void shakeJumpsInsideTheSquareAndComesBackToTheCentre_data();
    void shakeJumpsInsideTheSquareAndComesBackToTheCentre();
    void shakeLocksInputAndMenusOnlyWhileItRuns();
    void newDialogueShakesThenGreets();
    void shrinkDriftsAndSoundsFromTheTenthStepAndExitsAtTheEightieth();
    void shrinkOnItsOwnTimerLastsOverASecond();
    void shrinkStopsWhereItIsAndTheNextFarewellCountsOn();
    void shrinkStopsAtTheSmallestSizeButKeepsDrifting();
    void shrinkPutsTheKeyboardAwayAndLeavesTheWindowUsable();
    void shrinkKeepsItsOwnPlaceWhenTheReportsLag_data();
    void shrinkKeepsItsOwnPlaceWhenTheReportsLag();
    void failingExitIsReportedOnceAndLeavesTheWindowUsable();

private:
    Window& open(bool deliveredData = false)
    {
        window_ = std::make_unique<Window>(deliveredData);
        return *window_;
    }
    std::unique_ptr<Window> window_;
};

void AnimationsTest::shakeJumpsInsideTheSquareAndComesBackToTheCentre_data()
{
    QTest::addColumn<int>("jumpsDraw");
    QTest::addColumn<int>("jumps");
    QTest::newRow("fewest jumps") << 0 << 125;
    QTest::newRow("most jumps") << 125 << 250;
    QTest::newRow("in between") << 62 << 187;
}

void AnimationsTest::shakeJumpsInsideTheSquareAndComesBackToTheCentre()
{
    QFETCH(int, jumpsDraw);
    QFETCH(int, jumps);
    Window& w = open();
    TForm1& form = w.form;
    const QPoint centre = form.pos();
    const QSize size = form.size();

    // Drawn places that sweep the whole square, corners included.
    QList<QPoint> drawn;
    w.window.dice.push(jumpsDraw);
    for (int i = 0; i < jumps; ++i) {
        const int x = i % 11, y = (i * 7 + 3) % 11;
        w.window.dice.push(x);
        w.window.dice.push(y);
        drawn << QPoint(95 + x, 95 + y);
    }
    QList<QPoint> seen;
    form.onShakeJump = [&](const QPoint& p) {
        seen << p;
        QCOMPARE(form.size(), size);
    };

    tick(form, 7);

    QCOMPARE(seen.size(), jumps);
    QCOMPARE(seen, drawn);
    for (const QPoint& p : seen) {
        QVERIFY2(p.x() >= 95 && p.x() <= 105, qPrintable(QString::number(p.x())));
        QVERIFY2(p.y() >= 95 && p.y() <= 105, qPrintable(QString::number(p.y())));
    }
    // Every draw asked for: the count of jumps, then 11 places across and 11 down.
    QCOMPARE(w.window.dice.asked.front(), 126);
    QCOMPARE(static_cast<int>(w.window.dice.asked.size()), 1 + 2 * jumps);
    QVERIFY(std::all_of(w.window.dice.asked.begin() + 1, w.window.dice.asked.end(),
                        [](int n) { return n == 11; }));
    QCOMPARE(w.window.dice.reseeds, 1);

    // Back in the centre of the desktop, where the window first showed, at its own size.
    QCOMPARE(form.pos(), centre);
    QCOMPARE(form.size(), size);
    const QPoint desktopCentre = form.screen()->availableGeometry().center();
    QVERIFY((form.frameGeometry().center() - desktopCentre).manhattanLength() <= 2);
}

void AnimationsTest::shakeLocksInputAndMenusOnlyWhileItRuns()
{
    Window& w = open();
    TForm1& form = w.form;
    setRunning(timerOf(form, 7), true);
    bool lockedThroughout = true;
    form.onShakeJump = [&](const QPoint&) {
        lockedThroughout = lockedThroughout && inputOf(form)->isReadOnly();
        for (QMenu* m : shakenMenus(form))
            lockedThroughout = lockedThroughout && !m->menuAction()->isEnabled();
        lockedThroughout = lockedThroughout && w.cues.played == std::vector<Cue>{Cue::MP4};
    };

    tick(form, 7);

    QVERIFY(lockedThroughout);
    QVERIFY(!inputOf(form)->isReadOnly());
    for (QMenu* m : shakenMenus(form))
        QVERIFY(m->menuAction()->isEnabled());
    QVERIFY(w.cues.played == std::vector<Cue>{Cue::MP4});
    QVERIFY(!timerOf(form, 7)->isActive());
    QVERIFY(timerOf(form, 10)->isActive());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void AnimationsTest::newDialogueShakesThenGreets()
{
    Window& w = open();
    TForm1& form = w.form;
    actionOf(form, "N2")->trigger();
    QVERIFY(timerOf(form, 7)->isActive());
    // Every draw 0: the fewest jumps, and the greeting's one chance in three comes.
    tick(form, 7);
    QVERIFY(timerOf(form, 10)->isActive());
    tick(form, 10);
    QVERIFY(!timerOf(form, 10)->isActive());
    QVERIFY(w.cues.played == (std::vector<Cue>{Cue::MP4, Cue::MP5}));
    QCOMPARE(transcriptLines(form), QStringList{QStringLiteral("Здравствуй, я Товрин.")});
}

void AnimationsTest::shrinkDriftsAndSoundsFromTheTenthStepAndExitsAtTheEightieth()
{
    Window& w = open(true); // the delivered Base folder, with its Log.Tovrin
    TForm1& form = w.form;
    EngineTestAccess::addLogLine(form.engine(), cp1251::fromUtf8("USER:     Пока."));
    EngineTestAccess::addLogLine(form.engine(), cp1251::fromUtf8("CPU:     До свидания."));
    const int linesBefore = w.logFile().size();
    setRunning(timerOf(form, 4), true);
    const QPoint start = form.pos();
    const QSize size = form.size();

    for (int step = 1; step <= 79; ++step) {
        tick(form, 4);
        QCOMPARE(form.shrinkStep(), step);
        QCOMPARE(form.pos(), start - step * QPoint(3, 2));
        QCOMPARE(
            form.size(),
            QSize(std::max(size.width() - 10 * step, 1), std::max(size.height() - 8 * step, 1)));
        QCOMPARE(w.played(Cue::MP6), std::max(0, step - 9));
    }
    QVERIFY(form.isVisible());
    QVERIFY(timerOf(form, 4)->isActive());
    QCOMPARE(w.logFile().size(), linesBefore);

    tick(form, 4);
    QCOMPARE(form.shrinkStep(), 80);
    QVERIFY(!timerOf(form, 4)->isActive());
    QVERIFY(!form.isVisible());
    QVERIFY(w.window.reporter.errors.isEmpty());
    QCOMPARE(w.played(Cue::MP6), 71);

    const QStringList log = w.logFile();
    QCOMPARE(log.size(), linesBefore + 9);
    QCOMPARE(log[linesBefore], QString());
    QCOMPARE(log[linesBefore + 1], QString(80, u'-'));
    const int learnt = static_cast<int>(w.dir.readLines("Base\\Words.Dat").size()) - 1;
    QCOMPARE(log[linesBefore + 5],
             QStringLiteral("//Загружено фраз выученных программой: %1").arg(learnt));
    QCOMPARE(log[log.size() - 3], QStringLiteral("USER:     Пока."));
    QCOMPARE(log[log.size() - 2], QStringLiteral("CPU:     До свидания."));
    QCOMPARE(log.back(), QString(53, u'='));
}

// Left to its own timer, the shrink-and-close paces its 80 steps at the clock's tick: the
// farewell stays on screen for over a second before the exit (a slower machine only makes it
// longer).
void AnimationsTest::shrinkOnItsOwnTimerLastsOverASecond()
{
    Window& w = open(true);
    TForm1& form = w.form;
    QElapsedTimer clock;
    clock.start();
    hostOf(form).setFarewell(true);
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 20000);
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(form.shrinkStep(), 80);
    QCOMPARE(w.played(Cue::MP6), 71);
}

void AnimationsTest::shrinkStopsWhereItIsAndTheNextFarewellCountsOn()
{
    Window& w = open();
    TForm1& form = w.form;
    w.dir.writeLines("Base\\Words.Dat", {"// База", "ПРИВЕТ^Здравствуй!;", "ПОКА^До свидания!;@"});
    const QPoint start = form.pos();

    say(form, QStringLiteral("пока"));
    QVERIFY(timerOf(form, 4)->isActive());
    for (int i = 0; i < 30; ++i)
        tick(form, 4);
    // A reply from a main phrase without the farewell mark stops the shrink where it is.
    say(form, QStringLiteral("привет"));
    QVERIFY(!timerOf(form, 4)->isActive());
    QCOMPARE(form.shrinkStep(), 30);
    const QRect reached = form.geometry();
    QCOMPARE(form.pos(), start - 30 * QPoint(3, 2));

    // The next farewell: the count goes on from 30, so 50 more steps end the program.
    say(form, QStringLiteral("пока"));
    QVERIFY(timerOf(form, 4)->isActive());
    QCOMPARE(form.geometry(), reached);
    for (int i = 0; i < 49; ++i)
        tick(form, 4);
    QVERIFY(form.isVisible());
    QCOMPARE(form.pos(), start - 79 * QPoint(3, 2));
    tick(form, 4);
    QCOMPARE(form.shrinkStep(), 80);
    QVERIFY(!form.isVisible());
    QVERIFY(w.window.reporter.errors.isEmpty());
}

void AnimationsTest::shrinkStopsAtTheSmallestSizeButKeepsDrifting()
{
    Window& w = open();
    TForm1& form = w.form;
    setRunning(timerOf(form, 4), true);
    const QPoint start = form.pos();
    for (int step = 1; step <= 79; ++step)
        tick(form, 4);
    // 79 steps take off far more than the window has: it sits at its smallest size, which
    // the user cannot change, and it still moved on every step.
    QCOMPARE(form.size(), QSize(1, 1));
    QCOMPARE(form.minimumSize(), QSize(1, 1));
    QCOMPARE(form.maximumSize(), QSize(1, 1));
    QCOMPARE(form.pos(), start - 79 * QPoint(3, 2));
}

void AnimationsTest::shrinkPutsTheKeyboardAwayAndLeavesTheWindowUsable()
{
    Window& w = open();
    TForm1& form = w.form;
    // The keyboard is open: the main window takes no input and its T1 rests.
    actionOf(form, "N22")->trigger();
    QVERIFY(keyboardOf(form)->isVisible());
    QVERIFY(!form.isEnabled());
    setRunning(timerOf(form, 4), true);

    tick(form, 4);
    QVERIFY(!keyboardOf(form)->isVisible());
    QVERIFY(!child<QTimer>(*keyboardOf(form), "T1")->isActive());
    QVERIFY(form.isEnabled());
    QVERIFY(timerOf(form, 1)->isActive());
    QCOMPARE(form.shrinkStep(), 1);
}

// A window system reports a moved window's place some time after the move; the path goes on
// from where it put the window, not from the place read back, unless that is off its path.
void AnimationsTest::shrinkKeepsItsOwnPlaceWhenTheReportsLag_data()
{
    QTest::addColumn<QList<QPoint>>("reported");
    QTest::addColumn<QList<QPoint>>("placed");
    const QList<QPoint> path = {{97, 98}, {94, 96}, {91, 94}, {88, 92}};
    QTest::newRow("reported at once")
        << QList<QPoint>{{100, 100}, {97, 98}, {94, 96}, {91, 94}} << path;
    QTest::newRow("never reported")
        << QList<QPoint>{{100, 100}, {100, 100}, {100, 100}, {100, 100}} << path;
    QTest::newRow("reported two steps late")
        << QList<QPoint>{{100, 100}, {100, 100}, {100, 100}, {97, 98}} << path;
    QTest::newRow("moved by the user on the way")
        << QList<QPoint>{{100, 100}, {97, 98}, {300, 50}, {300, 50}}
        << QList<QPoint>{{97, 98}, {94, 96}, {297, 48}, {294, 46}};
}

void AnimationsTest::shrinkKeepsItsOwnPlaceWhenTheReportsLag()
{
    QFETCH(QList<QPoint>, reported);
    QFETCH(QList<QPoint>, placed);
    ShrinkPath path;
    QList<QPoint> seen;
    for (const QPoint& p : reported)
        seen << path.next(p, QPoint(3, 2));
    QCOMPARE(seen, placed);
}

void AnimationsTest::failingExitIsReportedOnceAndLeavesTheWindowUsable()
{
    Window& w = open();
    TForm1& form = w.form;
    EngineTestAccess::addLogLine(form.engine(), cp1251::fromUtf8("CPU:     До свидания."));
    w.dir.remove("Base\\Log.Tovrin");
    setRunning(timerOf(form, 4), true);
    for (int step = 1; step <= 79; ++step) // up to the step before the exit
        tick(form, 4);
    const QRect before = form.geometry();

    tick(form, 4);
    QCOMPARE(w.window.reporter.errors.size(), 1);
    QVERIFY(w.window.reporter.errors[0].contains(QStringLiteral("Log.Tovrin")));
    // T4 is stopped, so no further tick can report it again; the rest of the failing tick is
    // skipped and the window stays open and usable where the shrink left it.
    QVERIFY(!timerOf(form, 4)->isActive());
    QCOMPARE(form.geometry(), before);
    QVERIFY(form.isVisible());
    QVERIFY(form.isEnabled());
    QVERIFY(!inputOf(form)->isReadOnly());
    QCOMPARE(form.engine().state().Log.count(), 1);

    // With the log file back, the next farewell ends the program at its first step.
    w.dir.write("Base\\Log.Tovrin", "");
    setRunning(timerOf(form, 4), true);
    tick(form, 4);
    QCOMPARE(w.window.reporter.errors.size(), 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(w.logFile().back(), QString(53, u'='));
}

QTEST_MAIN(AnimationsTest)
#include "animations_test.moc"
