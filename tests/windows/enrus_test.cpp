// The layout correction as the main window runs it: button, Ctrl+S, cues and change signals.
#include "app/mainwindow.h"
#include "support/formfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace tovrin;
using namespace tovrin::test;
using namespace Qt::StringLiterals;

namespace {

// The main window on a small Base, for the turns it may run.
struct Window : ScratchForm {
    Window() : ScratchForm(Folder::SmallBase) {}

    // Types a line as the user would have it before pressing "E/R", then forgets the cues.
    void type(const QString& text)
    {
        inputOf(form)->setText(text);
        cues.played.clear();
    }
};

} // namespace

class EnRusTest : public QObject {
    Q_OBJECT

private slots:
    void convertsTheWholeLine_data();
    void convertsTheWholeLine();
    void secondPressConvertsWhatTheFirstProduced();
    void ignoresCaretAndSelection();
    void keepsCharactersOutsideTheCodePage();
    void ctrlSWorksWhileTheButtonIsDisabled();
};

void EnRusTest::convertsTheWholeLine_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    // What each key becomes is the layout table's own test; here, what the window does with it.
    QTest::newRow("greeting") << u"Ghbdtn"_s << u"Привет"_s;
    QTest::newRow("question and spaces") << u"Lf? z gjyzk"_s << u"Да? я понял"_s;
    QTest::newRow("already Cyrillic") << u"Привет"_s << u"Привет"_s;
    QTest::newRow("empty line") << QString() << QString();
}

void EnRusTest::convertsTheWholeLine()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    Window w;
    w.type(typed);
    QSignalSpy changes(inputOf(w.form), &QLineEdit::textChanged);

    actionOf(w.form, "N36")->trigger();

    QCOMPARE(inputOf(w.form)->text(), expected);
    QCOMPARE(inputOf(w.form)->text().size(), typed.size());
    const bool changed = expected != typed;
    QCOMPARE(changes.count(), changed ? 1 : 0);
    // The click comes first on every press; typing is heard only when the line really changed.
    QCOMPARE(w.heard(), changed ? u"MP3 MP1"_s : u"MP3"_s);
    QVERIFY(w.reporter.errors.isEmpty());
}

void EnRusTest::secondPressConvertsWhatTheFirstProduced()
{
    Window w;
    w.type(u"@|$^&"_s);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->text(), u"\"/;:?"_s);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->text(), u"Э.жЖ?"_s);
    QCOMPARE(w.heard(), u"MP3 MP1 MP3 MP1"_s);
}

void EnRusTest::ignoresCaretAndSelection()
{
    Window w;
    w.type(u"Ghbdtn vbh"_s);
    inputOf(w.form)->setSelection(2, 3);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->text(), u"Привет мир"_s);

    w.type(u"Ghbdtn"_s);
    inputOf(w.form)->setCursorPosition(2);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->text(), u"Привет"_s);
    QCOMPARE(inputOf(w.form)->cursorPosition(), 2);

    // A line with nothing to convert is not touched at all: its selection stays.
    w.type(u"Привет"_s);
    inputOf(w.form)->setSelection(1, 2);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->selectedText(), u"ри"_s);
}

void EnRusTest::keepsCharactersOutsideTheCodePage()
{
    // Pasted text may hold characters Windows-1251 has no place for; they stay as they are,
    // and the rest of the line is converted around them.
    Window w;
    w.type(u"café Ghbdtn 😀 €"_s);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->text(), u"сфаé Привет 😀 €"_s);
}

void EnRusTest::ctrlSWorksWhileTheButtonIsDisabled()
{
    Window w;
    w.type(u"Ghbdtn"_s);
    buttonOf(w.form, "EnRus")->setEnabled(false);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->text(), u"Привет"_s);
    QCOMPARE(w.heard(), u"MP3 MP1"_s);

    w.type(u"Lf"_s);
    actionOf(w.form, "N36")->trigger();
    QCOMPARE(inputOf(w.form)->text(), u"Да"_s);
}

QTEST_MAIN(EnRusTest)
#include "enrus_test.moc"
