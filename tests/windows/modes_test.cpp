// The two conversation modes, the editor window and the exchange-file poll (T6).
#include "support/formfixture.h"
#include "ui/window.h"

#include "kb/linelist.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QImage>
#include <QTest>

using namespace tovrin;
using namespace tovrin::test;

namespace {

const QColor Teal(0, 0x80, 0x80);
const QString UserNotice = QStringLiteral("Сервис:   // Режим диалога Cpu\\User.");
const QString CpuNotice = QStringLiteral("Сервис:   // Режим диалога Cpu\\Cpu.");

// Points the editor at an exchange file and picks the way of reading.
void configure(FormFixture& f, const QString& path, bool byTimer, int milliseconds = 1000)
{
    child<QLineEdit>(*editorOf(*f), "Edit1")->setText(path);
    (byTimer ? child<QRadioButton>(*editorOf(*f), "RB2")
             : child<QRadioButton>(*editorOf(*f), "RB1"))
        ->setChecked(true);
    child<QSpinBox>(*editorOf(*f), "SpinEdit1")->setValue(milliseconds);
}

} // namespace

class ModesTest : public QObject {
    Q_OBJECT

private slots:
    // Every control of the editor's groups lies inside its frame, below the frame's top line as
    // it is drawn: the first row that is not background, seen between the caption's end and the
    // group's right edge.
    void groupControlsLieInsideTheirFrames()
    {
        FormFixture f;
        TForm2* e = editorOf(*f);
        for (QGroupBox* box :
             {child<QGroupBox>(*e, "GroupBox1"), child<QGroupBox>(*e, "GroupBox2")}) {
            const QImage drawn = box->grab().toImage();
            const int x = drawn.width() - 20;
            const QRgb background = drawn.pixel(x, drawn.height() / 2);
            int line = 0;
            while (line < drawn.height() && drawn.pixel(x, line) == background)
                ++line;
            QVERIFY(line < drawn.height() / 2);
            for (const QWidget* control : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                QVERIFY2(line + 2 <= control->y(),
                         qPrintable(QStringLiteral("%1: line %2, control at %3")
                                        .arg(box->title())
                                        .arg(line)
                                        .arg(control->y())));
        }
    }

    void init()
    {
        scratch_ = std::make_unique<ScratchDir>();
        writeBase(*scratch_);
    }
    void cleanup() { scratch_.reset(); }

    void switchToCpuUser()
    {
        FormFixture f;
        inputOf(*f)->setText(QStringLiteral("набрано"));
        timerOf(*f, 6)->start();
        actionOf(*f, "CpuUser1")->trigger();
        actionOf(*f, "CpuUser1")->trigger(); // the active mode runs all its steps again
        QCOMPARE(inputOf(*f)->text(), QString());
        QVERIFY(timerOf(*f, 1)->isActive());
        QVERIFY(!timerOf(*f, 6)->isActive());
        QCOMPARE(panelOf(*f, 2)->text(), QStringLiteral("Режим Cpu\\User"));
        QCOMPARE(transcriptLines(*f), (QStringList{UserNotice, "", UserNotice, ""}));
        QCOMPARE(transcriptOf(*f)->lineAttributes(0).color, Teal);
        QCOMPARE(transcriptOf(*f)->lineAttributes(1).color, Teal); // the empty line sets nothing
        QCOMPARE(f->engine().state().Log.count(), 0);
        QVERIFY(actionOf(*f, "CpuUser1")->isChecked() && !actionOf(*f, "Cpu31")->isChecked());
        QVERIFY(!hostOf(*f).cpuCpuMode());
    }

    void switchToCpuCpu()
    {
        FormFixture f;
        f->appearance().FontDialog2 = FontChoice{QStringLiteral("Courier"), 10, false, true};
        hostOf(*f).appendTranscript(cp("Ответ."), LineStyle::Program);
        timerOf(*f, 1)->start();
        timerOf(*f, 6)->setInterval(5000); // left as its own tick set it
        inputOf(*f)->setText(QStringLiteral("остаётся"));
        actionOf(*f, "Cpu31")->trigger();
        QVERIFY(!timerOf(*f, 1)->isActive());
        QVERIFY(timerOf(*f, 6)->isActive());
        QCOMPARE(timerOf(*f, 6)->interval(), 5000);
        QCOMPARE(panelOf(*f, 2)->text(), QStringLiteral("Режим Cpu\\Cpu"));
        QCOMPARE(transcriptLines(*f), (QStringList{"Ответ.", CpuNotice}));
        QCOMPARE(transcriptOf(*f)->lineAttributes(1).color, Teal);
        QCOMPARE(transcriptOf(*f)->lineAttributes(1).font,
                 f->appearance().FontDialog2); // the font stays
        QCOMPARE(inputOf(*f)->text(), QStringLiteral("остаётся"));
        QVERIFY(actionOf(*f, "Cpu31")->isChecked() && !actionOf(*f, "CpuUser1")->isChecked());
        QVERIFY(hostOf(*f).cpuCpuMode());
        QCOMPARE(f->engine().state().Log.count(), 0);
    }

    // Seconds while the editor is open, milliseconds once accepted, within 1..36000.
    void acceptedPeriod_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::newRow("5 s") << "5" << 5000;
        QTest::newRow("1 s") << "1" << 1000;
        QTest::newRow("36 s") << "36" << 36000;
        QTest::newRow("37 s is kept at 36000") << "37" << 36000;
        QTest::newRow("36000 s is kept at 36000") << "36000" << 36000;
        QTest::newRow("an emptied field reads as 1") << "" << 1000;
    }

    void acceptedPeriod()
    {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        FormFixture f;
        f->show();
        actionOf(*f, "N38")->trigger();
        child<QRadioButton>(*editorOf(*f), "RB2")->click();
        child<QSpinBox>(*editorOf(*f), "SpinEdit1")->findChild<QLineEdit*>()->setText(typed);
        child<QPushButton>(*editorOf(*f), "Button1")->click();
        QCOMPARE(child<QSpinBox>(*editorOf(*f), "SpinEdit1")->value(), stored);
        QVERIFY(!editorOf(*f)->isVisible());
        QVERIFY(f->isEnabled());
        QVERIFY(timerOf(*f, 1)->isActive());
    }

    // "Отмена" keeps whatever was left in the editor, unconverted; opening sets 1.
    void cancelKeepsTheFields()
    {
        FormFixture f;
        child<QSpinBox>(*editorOf(*f), "SpinEdit1")->setValue(5000);
        actionOf(*f, "N38")->trigger();
        QCOMPARE(child<QSpinBox>(*editorOf(*f), "SpinEdit1")->value(), 1);
        child<QLineEdit>(*editorOf(*f), "Edit1")->setText(QStringLiteral("C:\\other.txt"));
        child<QRadioButton>(*editorOf(*f), "RB2")->setChecked(true);
        child<QSpinBox>(*editorOf(*f), "SpinEdit1")->setValue(7);
        child<QPushButton>(*editorOf(*f), "Button2")->click();
        QCOMPARE(child<QSpinBox>(*editorOf(*f), "SpinEdit1")->value(), 7);
        QCOMPARE(child<QLineEdit>(*editorOf(*f), "Edit1")->text(), QStringLiteral("C:\\other.txt"));
        QVERIFY(child<QRadioButton>(*editorOf(*f), "RB2")->isChecked());
        QCOMPARE(hostOf(*f).exchangePath(), std::string("C:\\other.txt"));
    }

    // The exchange file may never be one of the program's own files: the editor says so in
    // the message box and stays open, whichever button is pressed, until the path is another.
    void editorRefusesTheProgramsOwnFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accept");
        QTest::newRow("the knowledge file, Хорошо") << QStringLiteral("Base\\Words.Dat") << true;
        QTest::newRow("another case, Отмена") << QStringLiteral("base\\w1.dat") << false;
        QTest::newRow("a sound") << QStringLiteral("Sound\\Close.wav") << true;
    }

    void editorRefusesTheProgramsOwnFiles()
    {
        QFETCH(QString, path);
        QFETCH(bool, accept);
        scratch_->write("Sound\\Close.wav", "RIFF");
        FormFixture f;
        const auto words = scratch_->readLines("Base\\Words.Dat");
        actionOf(*f, "N38")->trigger();
        TForm2* editor = editorOf(*f);
        child<QLineEdit>(*editor, "Edit1")->setText(path);
        accept ? child<QPushButton>(*editor, "Button1")->click()
               : child<QPushButton>(*editor, "Button2")->click();
        QVERIFY(editor->isVisible());
        QVERIFY(!f->isEnabled());
        QCOMPARE(f.reporter.errors.size(), 1);
        QVERIFY2(f.reporter.errors[0].contains(path) &&
                     f.reporter.errors[0].contains(QStringLiteral("другой файл")),
                 qPrintable(f.reporter.errors[0]));

        child<QLineEdit>(*editor, "Edit1")->setText(QStringLiteral("Base\\Txt.Dat"));
        accept ? child<QPushButton>(*editor, "Button1")->click()
               : child<QPushButton>(*editor, "Button2")->click();
        QVERIFY(!editor->isVisible());
        QVERIFY(f->isEnabled());
        QCOMPARE(f.reporter.errors.size(), 1);
        QCOMPARE(scratch_->readLines("Base\\Words.Dat"), words);
    }

    // Escape leaves the editor as "Отмена" does: the main window is never left disabled.
    void escapeLeavesLikeCancel()
    {
        FormFixture f;
        actionOf(*f, "N38")->trigger();
        QTest::keyClick(editorOf(*f), Qt::Key_Escape);
        QVERIFY(!editorOf(*f)->isVisible());
        QVERIFY(f->isEnabled());
        QVERIFY(timerOf(*f, 1)->isActive());
    }

    void radioButtonsDriveThePeriodField()
    {
        FormFixture f;
        child<QRadioButton>(*editorOf(*f), "RB2")->setChecked(true);
        QVERIFY(child<QSpinBox>(*editorOf(*f), "SpinEdit1")->isEnabled());
        child<QRadioButton>(*editorOf(*f), "RB1")->setChecked(true);
        QVERIFY(!child<QSpinBox>(*editorOf(*f), "SpinEdit1")->isEnabled());
    }

    // Any real change of the two fields clears the mark of "Вернуть первоначальные настройки".
    void fieldChangesClearTheRestoreMark_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("path changed") << 0 << "C:\\x.txt" << true;
        QTest::newRow("path set to what it holds") << 0 << "D:\\Txt.Dat" << false;
        QTest::newRow("period changed") << 1 << "25" << true;
        QTest::newRow("period set to what it holds") << 1 << "1" << false;
    }

    void fieldChangesClearTheRestoreMark()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, cleared);
        FormFixture f;
        QVERIFY(actionOf(*f, "N13")->isChecked());
        if (field == 0)
            child<QLineEdit>(*editorOf(*f), "Edit1")->setText(text);
        else
            child<QSpinBox>(*editorOf(*f), "SpinEdit1")->setValue(text.toInt());
        QCOMPARE(actionOf(*f, "N13")->isChecked(), !cleared);
    }

    void openingTheEditorChangesThePeriod()
    {
        FormFixture f;
        child<QSpinBox>(*editorOf(*f), "SpinEdit1")->setValue(1000);
        actionOf(*f, "N13")->setChecked(true);
        actionOf(*f, "N38")->trigger(); // 1000 -> 1 is a change
        QVERIFY(!actionOf(*f, "N13")->isChecked());
    }

    // The default path names a drive that does not exist here: shown once, the poll goes on.
    void pollOfTheDefaultPath()
    {
        FormFixture f;
        actionOf(*f, "Cpu31")->trigger();
        for (int i = 0; i < 5; ++i)
            tick(*f, 6);
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file D:\\Txt.Dat")});
        QVERIFY(timerOf(*f, 6)->isActive());
        // Back to Cpu\User and again to Cpu\Cpu: the failure is shown anew.
        actionOf(*f, "CpuUser1")->trigger();
        actionOf(*f, "Cpu31")->trigger();
        tick(*f, 6);
        QCOMPARE(f.reporter.errors.size(), 2);
    }

    // A failure is shown once, and again only after a tick that succeeded.
    void pollFailureShownOnceUntilASuccess_data()
    {
        QTest::addColumn<bool>("byTimer");
        QTest::newRow("on ENTER") << false;
        QTest::newRow("by timer") << true;
    }

    void pollFailureShownOnceUntilASuccess()
    {
        QFETCH(bool, byTimer);
        FormFixture f;
        configure(f, QStringLiteral("Txt.Dat"), byTimer);
        actionOf(*f, "Cpu31")->trigger();
        tick(*f, 6);
        tick(*f, 6);
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file Txt.Dat")});
        scratch_->writeLines("Txt.Dat", {""});
        tick(*f, 6);
        QCOMPARE(f.reporter.errors.size(), 1);
        scratch_->remove("Txt.Dat");
        tick(*f, 6);
        tick(*f, 6);
        QCOMPARE(f.reporter.errors.size(), 2);
    }

    // While the path is being typed in the editor the poll's failures wait for the editor to
    // close: a message would take the keyboard in mid-word. Either way of leaving it.
    void pollFailureWhileEditingWaitsForTheEditorToClose_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("Хорошо") << true;
        QTest::newRow("Отмена") << false;
    }

    void pollFailureWhileEditingWaitsForTheEditorToClose()
    {
        QFETCH(bool, accept);
        scratch_->writeLines("Txt.Dat", {"привет"});
        FormFixture f;
        f->show();
        configure(f, QStringLiteral("Txt.Dat"), false);
        actionOf(*f, "Cpu31")->trigger();
        tick(*f, 6);
        actionOf(*f, "N38")->trigger();
        for (const QString& typed :
             {QStringLiteral("/"), QStringLiteral("/t"), QStringLiteral("/tm")}) {
            child<QLineEdit>(*editorOf(*f), "Edit1")->setText(typed);
            tick(*f, 6);
        }
        QCOMPARE(f.reporter.errors, QStringList());
        QVERIFY(editorOf(*f)->isVisible());
        (accept ? child<QPushButton>(*editorOf(*f), "Button1")
                : child<QPushButton>(*editorOf(*f), "Button2"))
            ->click();
        tick(*f, 6);
        tick(*f, 6);
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file /tm")});
    }

    // On ENTER: every tick reloads the file and enables Talk; ENTER takes the first line.
    void enterReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("plain text, CR LF")
            << QByteArray("\xea\xe0\xea \xe4\xe5\xeb\xe0\r\n\xe8 \xe5\xf9\xb8\r\n") << "Как дела.";
        QTest::newRow("RTF") << QByteArray() << "Как дела.";
        QTest::newRow("empty file") << QByteArray("") << "";
        QTest::newRow("empty first line") << QByteArray("\r\n\xe8 \xe5\xf9\xb8\r\n") << "";
    }

    void enterReading()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, phrase);
        if (QByteArray(QTest::currentDataTag()) == "RTF")
            LineList({cp("как дела"), cp("и ещё")}).save("Txt.Dat");
        else
            scratch_->write("Txt.Dat", content.toStdString());
        FormFixture f;
        f->show();
        configure(f, QStringLiteral("Txt.Dat"), false);
        actionOf(*f, "Cpu31")->trigger();
        talkOf(*f)->setEnabled(false);
        tick(*f, 6);
        QVERIFY(talkOf(*f)->isEnabled());
        QCOMPARE(f.reporter.errors, QStringList());
        const int before = transcriptOf(*f)->count();
        QTest::keyClick(inputOf(*f), Qt::Key_Return);
        if (phrase.isEmpty()) {
            QCOMPARE(transcriptOf(*f)->count(), before); // an empty phrase ends the turn at once
        } else {
            QCOMPARE(transcriptOf(*f)->line(before), phrase);
            QCOMPARE(logLines(*f).value(0), QStringLiteral("USER:     ") + phrase);
        }
    }

    // By timer: the interval comes from the editor, Talk is disabled and a turn is taken on
    // the first line; the reply replaces the file.
    void timerReading()
    {
        scratch_->writeLines("Txt.Dat", {"как дела", "и ещё"});
        FormFixture f;
        configure(f, QStringLiteral("Txt.Dat"), true, 2000);
        actionOf(*f, "Cpu31")->trigger();
        QCOMPARE(timerOf(*f, 6)->interval(), kClockTickMs); // the first tick comes at once
        talkOf(*f)->setEnabled(true);
        tick(*f, 6);
        QCOMPARE(timerOf(*f, 6)->interval(), 2000);
        QVERIFY(!talkOf(*f)->isEnabled());
        QCOMPARE(f.reporter.errors, QStringList());
        QCOMPARE(transcriptOf(*f)->count(), 3);
        QCOMPARE(transcriptOf(*f)->line(1), QStringLiteral("Как дела."));
        const QString reply = transcriptOf(*f)->line(2);
        const auto file = scratch_->readLines("Txt.Dat");
        QCOMPARE(file.size(), size_t(1));
        QCOMPARE(QString::fromStdString(file[0]), reply);

        // The next tick answers the program's own reply.
        tick(*f, 6);
        QCOMPARE(transcriptOf(*f)->count(), 5);
        QCOMPARE(transcriptOf(*f)->line(3).left(reply.size() - 1), reply.left(reply.size() - 1));
    }

    void timerReadingOfAnEmptyFileTakesNoTurn()
    {
        scratch_->write("Txt.Dat", "");
        FormFixture f;
        configure(f, QStringLiteral("Txt.Dat"), true);
        actionOf(*f, "Cpu31")->trigger();
        tick(*f, 6);
        tick(*f, 6);
        QCOMPARE(transcriptOf(*f)->count(), 1); // only the notice
        QCOMPARE(f.reporter.errors, QStringList());
        QCOMPARE(f.cues.played, std::vector<Cue>());
    }

private:
    std::unique_ptr<ScratchDir> scratch_;
};

QTEST_MAIN(ModesTest)
#include "modes_test.moc"
