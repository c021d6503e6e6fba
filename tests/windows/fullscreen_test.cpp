// Full screen and back: the menu entry's caption and check mark, the panels stretched to the
// window as the window system really maximised it, and the fixed places of the return.
#include "app/mainwindow.h"
#include "ui/transcript.h"
#include "support/formfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <memory>

using namespace tovrin;
using namespace tovrin::test;

namespace {

struct Fixture : ScratchForm {

    // The timers are stopped (no shake): only the window system moves the window here.
    Fixture() { form.show(); }
};

// Everything the two modes move or resize, by name.
struct Places {
    QRect panel, transcript, bar, speak, enRus, cancel, input;
    explicit Places(const TForm1& f) :
        panel(child<QWidget>(f, "TabControl1")->geometry()),
        transcript(transcriptOf(f)->geometry()),
        bar(child<QWidget>(f, "TabControl2")->geometry()),
        speak(buttonOf(f, "Speak")->geometry()),
        enRus(buttonOf(f, "EnRus")->geometry()),
        cancel(buttonOf(f, "Cancel")->geometry()),
        input(inputOf(f)->geometry())
    {
    }
};

} // namespace

class FullScreenTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        f = std::make_unique<Fixture>();
        QVERIFY(QTest::qWaitForWindowExposed(&f->form));
    }
    void cleanup() { f.reset(); }

    void fullScreenStretchesThePanelsToTheMaximisedWindow();
    void returnPutsEverythingBackButTheTranscriptsHeight();
    void secondRoundGoesTheSameWay();

private:
    void checkStretched(const Places& start);
    std::unique_ptr<Fixture> f;
};

void FullScreenTest::checkStretched(const Places& start)
{
    TForm1& form = f->form;
    QVERIFY(form.isMaximized());
    // The window system's own account of the frame, which the widget's copy may lag behind.
    const QSize outer = form.windowHandle()->frameGeometry().size();
    const int w = outer.width();
    const int h = outer.height();
    // The window really grew: the offscreen screen is larger than the normal window.
    QVERIFY(w > start.panel.width() && h > start.bar.bottom());

    QCOMPARE(child<QWidget>(form, "TabControl1")->geometry(),
             QRect(start.panel.topLeft(), QSize(w - 4, h - 98)));
    QCOMPARE(transcriptOf(form)->geometry(), QRect(QPoint(3, 5), QSize(w - 11, h - 108)));
    QCOMPARE(child<QWidget>(form, "TabControl2")->geometry(),
             QRect(start.bar.left(), h - 99, w - 5, start.bar.height()));
    QCOMPARE(buttonOf(form, "Speak")->geometry(),
             QRect(QPoint(w - 93, start.speak.top()), start.speak.size()));
    QCOMPARE(buttonOf(form, "EnRus")->geometry(),
             QRect(QPoint(w - 136, start.enRus.top()), start.enRus.size()));
    QCOMPARE(buttonOf(form, "Cancel")->geometry(),
             QRect(QPoint(w - 163, start.cancel.top()), start.cancel.size()));
    QCOMPARE(inputOf(form)->geometry(),
             QRect(start.input.topLeft(), QSize(w - 167, start.input.height())));
}

void FullScreenTest::fullScreenStretchesThePanelsToTheMaximisedWindow()
{
    TForm1& form = f->form;
    const Places start(form);

    actionOf(form, "N40")->trigger();

    QVERIFY(actionOf(form, "N40")->isChecked());
    QCOMPARE(actionOf(form, "N40")->text(), QStringLiteral("Normal"));
    checkStretched(start);
}

void FullScreenTest::returnPutsEverythingBackButTheTranscriptsHeight()
{
    TForm1& form = f->form;
    const Places start(form);
    const QRect window = form.geometry();
    const QSize minimum = form.minimumSize();
    const QSize maximum = form.maximumSize();

    actionOf(form, "N40")->trigger();
    QVERIFY(form.isMaximized());
    actionOf(form, "N40")->trigger();

    QVERIFY(!actionOf(form, "N40")->isChecked());
    QCOMPARE(actionOf(form, "N40")->text(), QStringLiteral("Full Screen"));
    QVERIFY(!form.isMaximized());
    QCOMPARE(form.minimumSize(), minimum);
    QCOMPARE(form.maximumSize(), maximum);
    QTRY_COMPARE(form.geometry(), window);

    const Places back(form);
    QCOMPARE(back.panel, start.panel);
    QCOMPARE(back.transcript, QRect(3, 5, 581, 305));
    QCOMPARE(back.bar, start.bar);
    QCOMPARE(back.speak, start.speak);
    QCOMPARE(back.enRus, start.enRus);
    QCOMPARE(back.cancel, start.cancel);
    QCOMPARE(back.input, start.input);
}

void FullScreenTest::secondRoundGoesTheSameWay()
{
    TForm1& form = f->form;
    const Places start(form);
    actionOf(form, "N40")->trigger();
    actionOf(form, "N40")->trigger();
    actionOf(form, "N40")->trigger();
    QCOMPARE(actionOf(form, "N40")->text(), QStringLiteral("Normal"));
    checkStretched(start);
    actionOf(form, "N40")->trigger();
    QCOMPARE(actionOf(form, "N40")->text(), QStringLiteral("Full Screen"));
    QCOMPARE(transcriptOf(form)->size(), QSize(581, 305));
}

QTEST_MAIN(FullScreenTest)
#include "fullscreen_test.moc"
