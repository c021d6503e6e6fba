// The virtual keyboard: its window, its keys, Caps Lock, Bcksp and [Enter], and the main
// window's state while it is open.
#include "app/mainwindow.h"
#include "ui/transcript.h"
#include "input/keyboardwindow.h"
#include "support/formfixture.h"
#include "ui/window.h"

#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace tovrin;
using namespace tovrin::test;
using namespace Qt::StringLiterals;

namespace {

// The main window on a small Base, or on the delivered data.
struct Window : ScratchForm {
    explicit Window(bool delivered = false) :
        ScratchForm(delivered ? Folder::Delivered : Folder::SmallBase)
    {
    }

    TForm4& kb = *keyboardOf(form);

    QString input() const { return inputOf(form)->text(); }
    void setInput(const QString& text)
    {
        inputOf(form)->setText(text);
        cues.played.clear();
    }
    QToolButton* key(const QString& name) const { return child<QToolButton>(kb, qPrintable(name)); }
    void press(const char* name) { key(QString::fromLatin1(name))->click(); }
    QTimer* keyboardTimer() const { return child<QTimer>(kb, "T1"); }
    // Bcksp as the user presses it: the keyboard's tick enables it first.
    void backspace()
    {
        tick(keyboardTimer());
        key(QStringLiteral("SB62"))->click();
    }
    void hideKeyboard() { child<QAction>(kb, "N2")->trigger(); }
    // What Caps Lock's caption says: 1 pressed, 0 not.
    int caps() const
    {
        const QString caption = key(QStringLiteral("SB63"))->text();
        return caption == u"Caps Lock [нажат]"_s   ? 1
            : caption == u"Caps Lock [не нажат]"_s ? 0
                                                   : -1;
    }
};

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void signAndSpaceKeysIgnoreCapsLock();
    void lettersFollowCapsLock();
    void keysAppendAtTheEndWhateverTheCaret();
    void backspaceRemovesTheLastCharacter();
    void timerEnablesBackspaceAndEnterByTheLine();
    void keysStopAtTheInputLimit();
    void enterRunsATurnAndTheKeyboardStays();
    void openingAndHidingFollowTheSecondaryWindowRule();
    void capsLockSurvivesHiding();
    void firstShowingIsCentredLaterOnesWhereItWas();
    void escapeAndCloseNeverStrandTheMainWindow();
};

void KeyboardTest::signAndSpaceKeysIgnoreCapsLock()
{
    Window w;
    // A sign of each row, a sign that a letter's case could change, and the space bar.
    const QList<std::pair<const char*, QString>> keys = {
        {"SB4", u"#"_s}, {"SB65", u"`"_s}, {"SB28", u","_s}, {"SB26", u">"_s}, {"SB23", u" "_s}};
    for (int caps = 0; caps < 2; ++caps) {
        QCOMPARE(w.caps(), caps);
        for (const auto& [name, sign] : keys) {
            w.setInput(u"x"_s);
            w.press(name);
            QCOMPARE(w.input(), u"x"_s + sign);
            QCOMPARE(w.heard(), u"MP1"_s);
        }
        w.key(u"SB63"_s)->click();
    }
}

void KeyboardTest::lettersFollowCapsLock()
{
    Window w;
    const char* word[] = {"SB45", "SB46", "SB38", "SB31", "SB34", "SB48"}; // П Р И В Е Т
    QCOMPARE(w.caps(), 0);
    w.setInput(QString());
    for (const char* k : word)
        w.press(k);
    QCOMPARE(w.input(), u"привет"_s);
    QCOMPARE(w.heard(), u"MP1 MP1 MP1 MP1 MP1 MP1"_s);

    w.key("SB63")->click();
    QCOMPARE(w.caps(), 1);
    QCOMPARE(w.key("SB63")->text(), u"Caps Lock [нажат]"_s);
    w.setInput(QString());
    for (const char* k : word)
        w.press(k);
    QCOMPARE(w.input(), u"ПРИВЕТ"_s);

    w.key("SB63")->click();
    QCOMPARE(w.caps(), 0);
    QCOMPARE(w.key("SB63")->text(), u"Caps Lock [не нажат]"_s);
    w.setInput(QString());
    w.press("SB35"); // Ё
    w.key("SB63")->click();
    w.press("SB35");
    QCOMPARE(w.input(), u"ёЁ"_s);

    // The first and the last letter of both rows.
    w.setInput(QString());
    for (const char* k : {"SB29", "SB45", "SB46", "SB61"})
        w.press(k);
    QCOMPARE(w.input(), u"АПРЯ"_s); // Caps Lock is still pressed
}

void KeyboardTest::keysAppendAtTheEndWhateverTheCaret()
{
    Window w;
    w.setInput(u"ривет"_s);
    inputOf(w.form)->setCursorPosition(0);
    w.press("SB45");
    QCOMPARE(w.input(), u"риветп"_s);

    inputOf(w.form)->setSelection(0, 3);
    w.press("SB23");
    QCOMPARE(w.input(), u"риветп "_s);
}

void KeyboardTest::backspaceRemovesTheLastCharacter()
{
    Window w;
    w.setInput(u"да"_s);
    inputOf(w.form)->setCursorPosition(0);
    w.backspace();
    QCOMPARE(w.input(), u"д"_s);
    w.backspace();
    QCOMPARE(w.input(), QString());
    QCOMPARE(w.heard(), u"MP1 MP1"_s);

    // A character made of two code units goes as a whole.
    w.setInput(u"да😀"_s);
    w.backspace();
    QCOMPARE(w.input(), u"да"_s);

    // Reached from code on an empty line it changes nothing.
    w.setInput(QString());
    QSignalSpy changes(inputOf(w.form), &QLineEdit::textChanged);
    w.backspace();
    QCOMPARE(w.input(), QString());
    QCOMPARE(changes.count(), 0);
}

void KeyboardTest::timerEnablesBackspaceAndEnterByTheLine()
{
    Window w;
    w.setInput(u"д"_s);
    tick(w.keyboardTimer());
    QVERIFY(w.key("SB62")->isEnabled());
    QVERIFY(w.key("SB66")->isEnabled());

    w.key("SB62")->click();
    tick(w.keyboardTimer());
    QVERIFY(!w.key("SB62")->isEnabled());
    QVERIFY(!w.key("SB66")->isEnabled());

    // A disabled Bcksp cannot be pressed; a line of spaces is not empty.
    w.key("SB62")->click();
    w.key("SB23")->click();
    QCOMPARE(w.input(), u" "_s);
    tick(w.keyboardTimer());
    QVERIFY(w.key("SB62")->isEnabled());
    QVERIFY(w.key("SB66")->isEnabled());
}

void KeyboardTest::keysStopAtTheInputLimit()
{
    Window w;
    const int limit = inputOf(w.form)->maxLength();
    QCOMPARE(limit, 255);
    w.setInput(QString(limit - 1, u'a'));
    w.press("SB29");
    QCOMPARE(w.input().size(), limit);
    QVERIFY(w.input().endsWith(u'а'));

    w.cues.played.clear();
    QSignalSpy changes(inputOf(w.form), &QLineEdit::textChanged);
    for (const char* k : {"SB29", "SB4", "SB23"})
        w.press(k);
    QCOMPARE(w.input().size(), limit);
    QVERIFY(w.input().endsWith(u'а'));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(w.heard(), QString());

    w.backspace();
    QCOMPARE(w.input().size(), limit - 1);
}

void KeyboardTest::enterRunsATurnAndTheKeyboardStays()
{
    Window w(true);
    w.form.show();
    actionOf(w.form, "N22")->trigger();
    for (const char* k : {"SB45", "SB46", "SB38", "SB31", "SB34", "SB48"})
        w.press(k);
    w.cues.played.clear();
    tick(w.keyboardTimer());
    QVERIFY(w.key("SB66")->isEnabled());
    QVERIFY(!w.form.isEnabled());

    w.key("SB66")->click();

    QCOMPARE(transcriptOf(w.form)->count(), 2);
    QCOMPARE(transcriptOf(w.form)->line(0), u"Привет."_s);
    QVERIFY(!transcriptOf(w.form)->line(1).isEmpty());
    QCOMPARE(w.input(), QString());
    // The phrase is heard, then the reply, then the line being cleared.
    QCOMPARE(w.heard(), u"MP2 MP5 MP1"_s);
    QVERIFY(w.reporter.errors.isEmpty());
    QVERIFY(w.kb.isVisible());
    QVERIFY(!w.form.isEnabled());

    tick(w.keyboardTimer());
    QVERIFY(!w.key("SB66")->isEnabled());
    QVERIFY(!w.key("SB62")->isEnabled());
}

void KeyboardTest::openingAndHidingFollowTheSecondaryWindowRule()
{
    Window w;
    w.form.show();
    // As the program runs: the control-state tick and the idle count are going.
    QTimer* mainT1 = timerOf(w.form, 1);
    mainT1->start();
    timerOf(w.form, 2)->start();
    w.keyboardTimer()->stop();

    actionOf(w.form, "N22")->trigger();
    QVERIFY(w.kb.isVisible());
    QVERIFY(w.kb.isEnabled());
    QVERIFY(w.keyboardTimer()->isActive());
    QVERIFY(!w.form.isEnabled());
    QVERIFY(!mainT1->isActive());
    // The keys stay usable although their main window is disabled.
    QVERIFY(w.key(u"SB29"_s)->isEnabled());
    w.setInput(QString());
    w.press("SB29");
    QCOMPARE(w.input(), u"а"_s);
    // The main window's other timers go on.
    QVERIFY(timerOf(w.form, 2)->isActive());

    w.hideKeyboard();
    QVERIFY(w.kb.isHidden());
    QVERIFY(!w.keyboardTimer()->isActive());
    QVERIFY(w.form.isEnabled());
    QVERIFY(mainT1->isActive());
    QCOMPARE(mainT1->interval(), kClockTickMs);

    // And once more: the second opening is like the first.
    actionOf(w.form, "N22")->trigger();
    QVERIFY(w.kb.isVisible());
    QVERIFY(w.kb.isEnabled());
    QVERIFY(!w.form.isEnabled());
    QVERIFY(!mainT1->isActive());
    w.hideKeyboard();
    QVERIFY(w.form.isEnabled());
}

void KeyboardTest::capsLockSurvivesHiding()
{
    Window w;
    actionOf(w.form, "N22")->trigger();
    w.key("SB63")->click();
    w.hideKeyboard();
    actionOf(w.form, "N22")->trigger();
    QCOMPARE(w.caps(), 1);
    QCOMPARE(w.key("SB63")->text(), u"Caps Lock [нажат]"_s);
    w.setInput(QString());
    w.press("SB29");
    QCOMPARE(w.input(), u"А"_s);
}

void KeyboardTest::firstShowingIsCentredLaterOnesWhereItWas()
{
    Window w;
    w.form.show();
    actionOf(w.form, "N22")->trigger();
    const QRect desktop = w.kb.screen()->availableGeometry();
    const QPoint offset = w.kb.geometry().center() - desktop.center();
    QVERIFY2(offset.manhattanLength() <= 40,
             qPrintable(u"off centre by %1,%2"_s.arg(offset.x()).arg(offset.y())));

    w.kb.move(desktop.topLeft() + QPoint(30, 40));
    const QPoint moved = w.kb.pos();
    w.hideKeyboard();
    actionOf(w.form, "N22")->trigger();
    QCOMPARE(w.kb.pos(), moved);
}

void KeyboardTest::escapeAndCloseNeverStrandTheMainWindow()
{
    Window w;
    w.form.show();
    actionOf(w.form, "N22")->trigger();
    QTest::keyClick(&w.kb, Qt::Key_Escape);
    QVERIFY(w.kb.isVisible());
    QVERIFY(!w.form.isEnabled());

    // However the window manager closes it, the main window gets its input back.
    w.kb.close();
    QVERIFY(w.kb.isHidden());
    QVERIFY(w.form.isEnabled());
    QVERIFY(timerOf(w.form, 1)->isActive());
    QVERIFY(!w.keyboardTimer()->isActive());
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
