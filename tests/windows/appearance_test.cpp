// The Settings menu's colours and fonts: what each command changes at once, what the next
// transcript lines take, the check mark of the restore command, and the restore itself.
#include "app/editorwindow.h"
#include "app/mainwindow.h"
#include "ui/transcript.h"
#include "kb/cp1251.h"
#include "support/formfixture.h"
#include "ui/aboutwindow.h"
#include "ui/appearance.h"
#include "ui/pickers.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace tovrin;
using namespace tovrin::test;

namespace {

const QColor Silver(192, 192, 192);
const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);
const QColor Blue(0, 0, 255);
const FontChoice Initial{QStringLiteral("MS Sans Serif"), 8, false, false};

struct Fixture : ScratchForm {

    Fixture()
    {
        reporter.errors.clear(); // the knowledge file is not needed here
    }

    Transcript::Attributes append(const QString& text, LineStyle style)
    {
        hostOf(form).appendTranscript(cp1251::fromUtf8(text.toStdString()), style);
        return transcriptOf(form)->lineAttributes(transcriptOf(form)->count() - 1);
    }
};

// The colour a control shows while enabled (a disabled caption keeps the window's grey).
QColor colour(const QWidget* w, QPalette::ColorRole role)
{
    return w->palette().color(QPalette::Active, role);
}

// A colour command: how to run it, the picker value it works on, and where its effect shows.
struct ColourCommand {
    const char* name;
    const char* action; // its menu entry
    QColor Appearance::*value;
    std::function<QColor(const TForm1&)> effect;
};

const QList<ColourCommand>& colourCommands()
{
    static const QList<ColourCommand> commands{
        {"N6 main background", "N6", &Appearance::ColorDialog1,
         [](const TForm1& f) { return colour(&f, QPalette::Window); }},
        {"N21 transcript background", "N21", &Appearance::ColorDialog1,
         [](const TForm1& f) { return colour(transcriptOf(f), QPalette::Base); }},
        {"N16 input background", "N16", &Appearance::ColorDialog1,
         [](const TForm1& f) { return colour(inputOf(f), QPalette::Base); }},
        {"Mystring2 input text", "Mystring2", &Appearance::ColorDialog1,
         [](const TForm1& f) { return colour(inputOf(f), QPalette::Text); }},
        {"User1 transcript colour", "User1", &Appearance::ColorDialog2,
         [](const TForm1& f) { return transcriptOf(f)->current().color; }},
        {"Cpu1 transcript colour", "Cpu1", &Appearance::ColorDialog3,
         [](const TForm1& f) { return transcriptOf(f)->current().color; }},
    };
    return commands;
}

} // namespace

class AppearanceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fresh(); }
    void cleanup() { f.reset(); }

    void startsFromTheDesignValues();
    void colourCommandsApplyOnlyAConfirmedChoice();
    void everyCommandClearsTheRestoreMarkEvenWhenCancelled();
    void sharedColourDialogOpensWithTheColourConfirmedLast();
    void buttonCaptionsAreChosenOneByOne_data();
    void buttonCaptionsAreChosenOneByOne();
    void speakersColoursReachTheirNextLinesOnly();
    void idleRemarkTakesTheSharedColour();
    void transcriptChoicesReachTheSelectionOnly();
    void transcriptFontTakesFaceOnConfirmAndSizeAndStyleAlways();
    void speakersFontsReachTheirNextLines();
    void inputFontTakesFaceOnConfirmStyleAlwaysSizeNever();
    void restoreBringsBackTheInitialSettings();
    void restoreLeavesFaceOfInputAndTranscriptAlone();
    void restoreMarkFollowsTheMenu();

    void fontPickerOffersFaceStyleAndSizeOnly();
    void fontPickerKeepsAFaceThatIsNotInstalled();

private:
    // The old window and its working folder go before the new ones come.
    void fresh()
    {
        f.reset();
        f = std::make_unique<Fixture>();
    }

    std::unique_ptr<Fixture> f;
};

void AppearanceTest::startsFromTheDesignValues()
{
    TForm1& form = f->form;
    QVERIFY(actionOf(form, "N13")->isChecked());
    QCOMPARE(form.appearance().ColorDialog1, Black);
    QCOMPARE(form.appearance().ColorDialog2, Black);
    QCOMPARE(form.appearance().ColorDialog3, Black);
    QCOMPARE(form.appearance().FontDialog1, Initial);
    QCOMPARE(form.appearance().FontDialog2, Initial);
    QCOMPARE(form.appearance().FontDialog3, Initial);
    QCOMPARE(colour(&form, QPalette::Window), Silver);
    QCOMPARE(colour(transcriptOf(form), QPalette::Base), Silver);
    QCOMPARE(colour(inputOf(form), QPalette::Base), Silver);
    QCOMPARE(colour(inputOf(form), QPalette::Text), Black);
    // Only a restore makes the input line bold.
    QVERIFY(!inputOf(form)->font().bold());
}

void AppearanceTest::colourCommandsApplyOnlyAConfirmedChoice()
{
    for (const ColourCommand& command : colourCommands()) {
        fresh();
        TForm1& form = f->form;
        const QColor before = command.effect(form);

        f->pickers.colors = {std::nullopt};
        actionOf(form, command.action)->trigger();
        QVERIFY2(command.effect(form) == before, command.name);
        QVERIFY2(form.appearance().*command.value == Black, command.name);

        f->pickers.colors = {Red};
        actionOf(form, command.action)->trigger();
        QVERIFY2(command.effect(form) == Red, command.name);
        QVERIFY2(form.appearance().*command.value == Red, command.name);
        QVERIFY2(f->pickers.colorPresets == (QList<QColor>{Black, Black}), command.name);
    }
}

void AppearanceTest::everyCommandClearsTheRestoreMarkEvenWhenCancelled()
{
    const char* const commands[] = {"N6",   "N21",       "N16",   "N9",   "User1",
                                    "Cpu1", "Mystring2", "User2", "Cpu2", "Mystring1"};
    // The mark is cleared before the dialog opens: the dialog itself sees it cleared.
    struct WatchingPickers : Pickers {
        QAction* mark = nullptr;
        QList<bool> markWhileOpen;
        bool pickColor(QColor&, QWidget*) override
        {
            markWhileOpen << mark->isChecked();
            return false;
        }
        bool pickFont(FontChoice&, bool, QWidget*) override
        {
            markWhileOpen << mark->isChecked();
            return false;
        }
    };
    for (const char* name : commands) {
        fresh();
        WatchingPickers watching;
        watching.mark = actionOf(f->form, "N13");
        f->form.services().pickers = &watching;
        QVERIFY2(actionOf(f->form, "N13")->isChecked(), name);
        actionOf(f->form, name)->trigger();
        QVERIFY2(!actionOf(f->form, "N13")->isChecked(), name);
        QVERIFY2(!watching.markWhileOpen.isEmpty() && !watching.markWhileOpen.contains(true), name);
        f->form.services().pickers = &f->pickers;
    }
}

void AppearanceTest::sharedColourDialogOpensWithTheColourConfirmedLast()
{
    TForm1& form = f->form;
    f->pickers.colors = {Green, std::nullopt, Blue};
    actionOf(form, "N6")->trigger();
    actionOf(form, "N21")->trigger();
    actionOf(form, "Mystring2")->trigger();
    QCOMPARE(f->pickers.colorPresets, (QList<QColor>{Black, Green, Green}));
    QCOMPARE(colour(&form, QPalette::Window), Green);
    QCOMPARE(colour(transcriptOf(form), QPalette::Base), Silver);
    QCOMPARE(colour(inputOf(form), QPalette::Text), Blue);
    QCOMPARE(form.appearance().ColorDialog1, Blue);
    // The speakers' colours are dialogs of their own.
    QCOMPARE(form.appearance().ColorDialog2, Black);
    QCOMPARE(form.appearance().ColorDialog3, Black);
}

void AppearanceTest::buttonCaptionsAreChosenOneByOne_data()
{
    QTest::addColumn<QList<QColor>>("answers"); // an invalid colour cancels
    QTest::addColumn<QList<QColor>>("presets");
    QTest::addColumn<QList<QColor>>("captions"); // Speak, Cancel, EnRus; invalid: unchanged

    const QColor cancel;
    QTest::newRow("first confirmed, the rest cancelled")
        << QList<QColor>{Blue, cancel, cancel} << QList<QColor>{Black, Blue, Blue}
        << QList<QColor>{Blue, cancel, cancel};
    QTest::newRow("middle cancelled")
        << QList<QColor>{Red, cancel, Green} << QList<QColor>{Black, Red, Red}
        << QList<QColor>{Red, cancel, Green};
    QTest::newRow("each its own") << QList<QColor>{Red, Green, Blue}
                                  << QList<QColor>{Black, Red, Green}
                                  << QList<QColor>{Red, Green, Blue};
    QTest::newRow("all cancelled")
        << QList<QColor>{cancel, cancel, cancel} << QList<QColor>{Black, Black, Black}
        << QList<QColor>{cancel, cancel, cancel};
}

void AppearanceTest::buttonCaptionsAreChosenOneByOne()
{
    QFETCH(QList<QColor>, answers);
    QFETCH(QList<QColor>, presets);
    QFETCH(QList<QColor>, captions);

    TForm1& form = f->form;
    const QList<QToolButton*> buttons{buttonOf(form, "Speak"), buttonOf(form, "Cancel"),
                                      buttonOf(form, "EnRus")};
    QList<QColor> before;
    for (QToolButton* b : buttons)
        before << colour(b, QPalette::ButtonText);
    for (const QColor& answer : answers)
        f->pickers.colors.push_back(answer.isValid() ? std::optional<QColor>(answer)
                                                     : std::nullopt);

    actionOf(form, "N9")->trigger();

    QCOMPARE(f->pickers.colorPresets, presets);
    for (int i = 0; i < buttons.size(); ++i) {
        const QColor expected = captions[i].isValid() ? captions[i] : before[i];
        QCOMPARE(colour(buttons[i], QPalette::ButtonText), expected);
    }
}

void AppearanceTest::speakersColoursReachTheirNextLinesOnly()
{
    TForm1& form = f->form;
    f->append(QStringLiteral("Привет."), LineStyle::User);

    f->pickers.colors = {Red, Blue};
    actionOf(form, "User1")->trigger();
    QCOMPARE(f->append(QStringLiteral("Как дела?"), LineStyle::User).color, Red);
    QCOMPARE(f->append(QStringLiteral("Хорошо."), LineStyle::Program).color, Black);

    actionOf(form, "Cpu1")->trigger();
    QCOMPARE(f->append(QStringLiteral("Ещё."), LineStyle::User).color, Red);
    QCOMPARE(f->append(QStringLiteral("Ответ."), LineStyle::Program).color, Blue);

    // Nothing already shown changes colour.
    QCOMPARE(transcriptOf(form)->lineAttributes(0).color, Black);
    QCOMPARE(transcriptOf(form)->lineAttributes(2).color, Black);
}

void AppearanceTest::idleRemarkTakesTheSharedColour()
{
    TForm1& form = f->form;
    f->pickers.colors = {Green, Blue};
    f->pickers.fonts = {FontChoice{QStringLiteral("Arial"), 12, true, false}};
    actionOf(form, "N6")->trigger(); // a background, but the shared colour is the idle remark's too
    actionOf(form, "Cpu1")->trigger();
    actionOf(form, "Cpu2")->trigger();

    const auto reply = f->append(QStringLiteral("Ответ."), LineStyle::Program);
    const auto remark = f->append(QStringLiteral("Молчите?"), LineStyle::IdleRemark);
    QCOMPARE(reply.color, Blue);
    QCOMPARE(remark.color, Green);
    QCOMPARE(remark.font, reply.font);
}

void AppearanceTest::transcriptChoicesReachTheSelectionOnly()
{
    TForm1& form = f->form;
    const FontChoice arial{QStringLiteral("Arial"), 12, true, false};
    form.appearance().FontDialog1 = arial;
    f->append(QStringLiteral("Первая строка."), LineStyle::User);
    f->append(QStringLiteral("Вторая строка."), LineStyle::Program);

    // The first line selected, as the user would do with the mouse.
    QTextCursor cursor(transcriptOf(form)->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    transcriptOf(form)->setTextCursor(cursor);
    const auto formatAt = [&form](int line) {
        QTextCursor at(transcriptOf(form)->document()->findBlockByNumber(line));
        at.movePosition(QTextCursor::NextCharacter);
        return at.charFormat();
    };

    // A colour: the selection takes it and keeps its own font.
    f->pickers.colors = {Red};
    actionOf(form, "User1")->trigger();
    QCOMPARE(formatAt(0).foreground().color(), Red);
    QCOMPARE(formatAt(0).fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    QCOMPARE(formatAt(0).fontPointSize(), 12.0);
    QCOMPARE(formatAt(1).foreground().color(), Black);

    // A cancelled font: size and style reach the selection, the face does not.
    f->pickers.fonts = {std::nullopt};
    actionOf(form, "Cpu2")->trigger();
    QCOMPARE(formatAt(0).foreground().color(), Red);
    QCOMPARE(formatAt(0).fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    QCOMPARE(formatAt(0).fontPointSize(), 8.0);
    QCOMPARE(formatAt(0).fontWeight(), int(QFont::Normal));

    // A confirmed one brings its face as well.
    f->pickers.fonts = {FontChoice{QStringLiteral("Courier New"), 10, false, true}};
    actionOf(form, "Cpu2")->trigger();
    QCOMPARE(formatAt(0).fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")});
    QCOMPARE(formatAt(0).fontPointSize(), 10.0);
    QVERIFY(formatAt(0).fontItalic());
    QCOMPARE(formatAt(1).fontPointSize(), 8.0);

    // Only the shown text changed; the lines keep the attributes they were appended with.
    QCOMPARE(transcriptOf(form)->lineAttributes(0).font, arial);
}

void AppearanceTest::transcriptFontTakesFaceOnConfirmAndSizeAndStyleAlways()
{
    TForm1& form = f->form;
    const FontChoice arialBold{QStringLiteral("Arial"), 12, true, false};
    f->pickers.fonts = {arialBold};
    actionOf(form, "User2")->trigger();
    QCOMPARE(form.appearance().FontDialog1, arialBold);
    QCOMPARE(transcriptOf(form)->current().font, arialBold);

    // A cancelled program font still brings its size and style, but not its face.
    f->pickers.fonts = {std::nullopt};
    actionOf(form, "Cpu2")->trigger();
    QCOMPARE(form.appearance().FontDialog2, Initial);
    QCOMPARE(transcriptOf(form)->current().font,
             (FontChoice{QStringLiteral("Arial"), 8, false, false}));

    QCOMPARE(f->pickers.fontPresets, (QList<FontChoice>{Initial, Initial}));
    QCOMPARE(f->pickers.fontOnlySize8, (QList<bool>{false, false}));
}

void AppearanceTest::speakersFontsReachTheirNextLines()
{
    TForm1& form = f->form;
    const FontChoice user{QStringLiteral("Arial"), 14, false, true};
    const FontChoice program{QStringLiteral("Courier New"), 10, true, true};
    f->pickers.fonts = {user, program};
    actionOf(form, "User2")->trigger();
    actionOf(form, "Cpu2")->trigger();

    QCOMPARE(f->append(QStringLiteral("Привет."), LineStyle::User).font, user);
    QCOMPARE(f->append(QStringLiteral("Здравствуйте."), LineStyle::Program).font, program);
    QCOMPARE(f->append(QStringLiteral("Пока."), LineStyle::User).font, user);
}

void AppearanceTest::inputFontTakesFaceOnConfirmStyleAlwaysSizeNever()
{
    TForm1& form = f->form;
    const int size = inputOf(form)->font().pointSize();
    f->pickers.fonts = {FontChoice{QStringLiteral("Arial"), 12, true, true}};
    actionOf(form, "Mystring1")->trigger();
    QCOMPARE(f->pickers.fontOnlySize8, QList<bool>{true});
    QCOMPARE(inputOf(form)->font().family(), QStringLiteral("Arial"));
    QVERIFY(inputOf(form)->font().bold());
    QVERIFY(inputOf(form)->font().italic());
    QCOMPARE(inputOf(form)->font().pointSize(), size);

    // A cancel puts the dialog's style back, and leaves the face as it is.
    QFont changed = inputOf(form)->font();
    changed.setFamily(QStringLiteral("Courier New"));
    changed.setBold(false);
    changed.setItalic(false);
    inputOf(form)->setFont(changed);
    f->pickers.fonts = {std::nullopt};
    actionOf(form, "Mystring1")->trigger();
    QCOMPARE(inputOf(form)->font().family(), QStringLiteral("Courier New"));
    QVERIFY(inputOf(form)->font().bold());
    QVERIFY(inputOf(form)->font().italic());
    QCOMPARE(inputOf(form)->font().pointSize(), size);
}

void AppearanceTest::restoreBringsBackTheInitialSettings()
{
    TForm1& form = f->form;
    const FontChoice odd{QStringLiteral("Arial"), 12, true, true};
    f->pickers.colors = {Red, Green, Blue, Red, Green, Blue, Red, Green, Blue};
    f->pickers.fonts = {odd, odd, odd};
    actionOf(form, "N6")->trigger();
    actionOf(form, "N21")->trigger();
    actionOf(form, "N16")->trigger();
    actionOf(form, "N9")->trigger();
    actionOf(form, "User1")->trigger();
    actionOf(form, "Cpu1")->trigger();
    actionOf(form, "Mystring2")->trigger();
    actionOf(form, "User2")->trigger();
    actionOf(form, "Cpu2")->trigger();
    actionOf(form, "Mystring1")->trigger();
    child<QLineEdit>(*editorOf(form), "Edit1")->setText(QStringLiteral("Base\\Exchange.Dat"));
    child<QSpinBox>(*editorOf(form), "SpinEdit1")->setValue(5000);
    aboutOf(form)->setOuterHeight(TForm3::UnfoldedHeight);
    QVERIFY(!actionOf(form, "N13")->isChecked());

    actionOf(form, "N13")->trigger();

    QVERIFY(actionOf(form, "N13")->isChecked());
    QCOMPARE(colour(&form, QPalette::Window), Silver);
    QCOMPARE(colour(transcriptOf(form), QPalette::Base), Silver);
    QCOMPARE(colour(inputOf(form), QPalette::Base), Silver);
    QCOMPARE(colour(inputOf(form), QPalette::Text), Black);
    QVERIFY(inputOf(form)->font().bold());
    QVERIFY(!inputOf(form)->font().italic());
    for (QToolButton* b :
         {buttonOf(form, "Speak"), buttonOf(form, "Cancel"), buttonOf(form, "EnRus")})
        QCOMPARE(colour(b, QPalette::ButtonText), Black);
    QCOMPARE(form.appearance().ColorDialog1, Black);
    QCOMPARE(form.appearance().ColorDialog2, Black);
    QCOMPARE(form.appearance().ColorDialog3, Black);
    QCOMPARE(form.appearance().FontDialog1, Initial);
    QCOMPARE(form.appearance().FontDialog2, Initial);
    // The input line's dialog gets its face and size back and keeps its style.
    QCOMPARE(form.appearance().FontDialog3,
             (FontChoice{QStringLiteral("MS Sans Serif"), 8, true, true}));
    QCOMPARE(child<QLineEdit>(*editorOf(form), "Edit1")->text(), QStringLiteral("D:\\Txt.Dat"));
    QCOMPARE(child<QSpinBox>(*editorOf(form), "SpinEdit1")->value(), 1000);
    QCOMPARE(aboutOf(form)->outerHeight(), TForm3::FoldedHeight);

    // The speakers take the initial settings from their next lines on.
    const auto user = f->append(QStringLiteral("Привет."), LineStyle::User);
    const auto program = f->append(QStringLiteral("Здравствуйте."), LineStyle::Program);
    QCOMPARE(user.color, Black);
    QCOMPARE(user.font, Initial);
    QCOMPARE(program.color, Black);
    QCOMPARE(program.font, Initial);

    // A later change of the editor's fields counts as a change of the settings again.
    child<QSpinBox>(*editorOf(form), "SpinEdit1")->setValue(2000);
    QVERIFY(!actionOf(form, "N13")->isChecked());
}

void AppearanceTest::restoreLeavesFaceOfInputAndTranscriptAlone()
{
    TForm1& form = f->form;
    const FontChoice arial{QStringLiteral("Arial"), 12, false, true};
    f->pickers.fonts = {arial, arial};
    f->pickers.colors = {Red};
    actionOf(form, "Mystring1")->trigger();
    actionOf(form, "User2")->trigger();
    actionOf(form, "User1")->trigger();
    f->append(QStringLiteral("Привет."), LineStyle::User);
    const Transcript::Attributes current = transcriptOf(form)->current();

    actionOf(form, "N13")->trigger();

    QCOMPARE(inputOf(form)->font().family(), QStringLiteral("Arial"));
    QCOMPARE(transcriptOf(form)->current(), current);
    QCOMPARE(transcriptOf(form)->lineAttributes(0).color, Red);
    QCOMPARE(transcriptOf(form)->lineAttributes(0).font, arial);
    QCOMPARE(transcriptOf(form)->count(), 1);
}

void AppearanceTest::restoreMarkFollowsTheMenu()
{
    TForm1& form = f->form;
    actionOf(form, "N6")->trigger(); // cancelled
    QVERIFY(!actionOf(form, "N13")->isChecked());
    actionOf(form, "N13")->trigger();
    QVERIFY(actionOf(form, "N13")->isChecked());
    // Choosing the restore again keeps the mark: it is set, never toggled.
    actionOf(form, "N13")->trigger();
    QVERIFY(actionOf(form, "N13")->isChecked());
}

void AppearanceTest::fontPickerOffersFaceStyleAndSizeOnly()
{
    const FontChoice preset{QStringLiteral("DejaVu Sans"), 12, false, true};
    FontPickerDialog any(preset, false, nullptr);
    QCOMPARE(any.choice(), preset);
    QVERIFY(any.findChildren<QCheckBox*>().isEmpty()); // no underline, no strike-out
    QCOMPARE(any.styleList->count(), 4);
    QVERIFY(any.sizeList->count() > 1);

    // Styles as listed: regular, italic, bold, bold italic.
    const QList<std::pair<bool, bool>> styles{
        {false, false}, {false, true}, {true, false}, {true, true}};
    for (int row = 0; row < styles.size(); ++row) {
        any.styleList->setCurrentRow(row);
        QCOMPARE(any.choice().bold, styles[row].first);
        QCOMPARE(any.choice().italic, styles[row].second);
    }

    FontPickerDialog only8(preset, true, nullptr);
    QCOMPARE(only8.sizeList->count(), 1);
    QCOMPARE(only8.sizeList->item(0)->text(), QStringLiteral("8"));
    QCOMPARE(only8.choice().size, 8);
    only8.sizeEdit->setValue(14);
    QCOMPARE(only8.choice().size, 8);
}

void AppearanceTest::fontPickerKeepsAFaceThatIsNotInstalled()
{
    FontPickerDialog dialog(Initial, false, nullptr);
    QCOMPARE(dialog.choice(), Initial);

    // A face typed in part becomes the installed face it highlights.
    QVERIFY(dialog.faceList->count() > 0);
    const QString installed = dialog.faceList->item(0)->text();
    dialog.faceEdit->clear();
    QTest::keyClicks(dialog.faceEdit, installed.left(3));
    QVERIFY(dialog.faceList->currentItem());
    QCOMPARE(dialog.choice().face, dialog.faceList->currentItem()->text());
    QVERIFY(dialog.choice().face.startsWith(installed.left(3)));
}

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
