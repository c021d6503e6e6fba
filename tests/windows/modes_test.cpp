// The two conversation modes, the editor window and the exchange-file poll (T6).
#include "support/formfixture.h"

#include "kb/linelist.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
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
    f->ui().Form2->Edit1->setText(path);
    (byTimer ? f->ui().Form2->RB2 : f->ui().Form2->RB1)->setChecked(true);
    f->ui().Form2->SpinEdit1->setValue(milliseconds);
}

} // namespace

class ModesTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        scratch_ = std::make_unique<ScratchDir>();
        writeBase(*scratch_);
    }
    void cleanup() { scratch_.reset(); }

    void switchToCpuUser()
    {
        FormFixture f;
        f->ui().Input->setText(QStringLiteral("набрано"));
        f->ui().T[5]->start();
        f->CpuUser1Click();
        f->CpuUser1Click(); // the active mode runs all its steps again
        QCOMPARE(f->ui().Input->text(), QString());
        QVERIFY(f->ui().T[0]->isActive());
        QVERIFY(!f->ui().T[5]->isActive());
        QCOMPARE(f->ui().SB1Panels[2]->text(), QStringLiteral("Режим Cpu\\User"));
        QCOMPARE(transcriptLines(*f), (QStringList{UserNotice, "", UserNotice, ""}));
        QCOMPARE(f->ui().RE1->lineAttributes(0).color, Teal);
        QCOMPARE(f->ui().RE1->lineAttributes(1).color, Teal); // the empty line sets nothing
        QCOMPARE(f->engine().state().Log.count(), 0);
        QVERIFY(f->ui().CpuUser1->isChecked() && !f->ui().Cpu31->isChecked());
        QVERIFY(!f->cpuCpuMode());
    }

    void switchToCpuCpu()
    {
        FormFixture f;
        f->appearance().FontDialog2 = FontChoice{QStringLiteral("Courier"), 10, false, true};
        f->appendTranscript(cp("Ответ."), LineStyle::Program);
        f->ui().T[0]->start();
        f->ui().T[5]->setInterval(5000); // left as its own tick set it
        f->ui().Input->setText(QStringLiteral("остаётся"));
        f->Cpu31Click();
        QVERIFY(!f->ui().T[0]->isActive());
        QVERIFY(f->ui().T[5]->isActive());
        QCOMPARE(f->ui().T[5]->interval(), 5000);
        QCOMPARE(f->ui().SB1Panels[2]->text(), QStringLiteral("Режим Cpu\\Cpu"));
        QCOMPARE(transcriptLines(*f), (QStringList{"Ответ.", CpuNotice}));
        QCOMPARE(f->ui().RE1->lineAttributes(1).color, Teal);
        QCOMPARE(f->ui().RE1->lineAttributes(1).font, f->appearance().FontDialog2); // the font stays
        QCOMPARE(f->ui().Input->text(), QStringLiteral("остаётся"));
        QVERIFY(f->ui().Cpu31->isChecked() && !f->ui().CpuUser1->isChecked());
        QVERIFY(f->cpuCpuMode());
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
        f->N38Click();
        f->ui().Form2->RB2Click();
        f->ui().Form2->SpinEdit1->findChild<QLineEdit*>()->setText(typed);
        f->ui().Form2->Button1Click();
        QCOMPARE(f->ui().Form2->SpinEdit1->value(), stored);
        QVERIFY(!f->ui().Form2->isVisible());
        QVERIFY(f->isEnabled());
        QVERIFY(f->ui().T[0]->isActive());
    }

    // "Отмена" keeps whatever was left in the editor, unconverted; opening sets 1.
    void cancelKeepsTheFields()
    {
        FormFixture f;
        f->ui().Form2->SpinEdit1->setValue(5000);
        f->N38Click();
        QCOMPARE(f->ui().Form2->SpinEdit1->value(), 1);
        f->ui().Form2->Edit1->setText(QStringLiteral("C:\\other.txt"));
        f->ui().Form2->RB2->setChecked(true);
        f->ui().Form2->SpinEdit1->setValue(7);
        f->ui().Form2->Button2Click();
        QCOMPARE(f->ui().Form2->SpinEdit1->value(), 7);
        QCOMPARE(f->ui().Form2->Edit1->text(), QStringLiteral("C:\\other.txt"));
        QVERIFY(f->ui().Form2->RB2->isChecked());
        QCOMPARE(f->exchangePath(), std::string("C:\\other.txt"));
    }

    // Escape leaves the editor as "Отмена" does: the main window is never left disabled.
    void escapeLeavesLikeCancel()
    {
        FormFixture f;
        f->N38Click();
        QTest::keyClick(f->ui().Form2, Qt::Key_Escape);
        QVERIFY(!f->ui().Form2->isVisible());
        QVERIFY(f->isEnabled());
        QVERIFY(f->ui().T[0]->isActive());
    }

    void radioButtonsDriveThePeriodField()
    {
        FormFixture f;
        f->ui().Form2->RB2->setChecked(true);
        QVERIFY(f->ui().Form2->SpinEdit1->isEnabled());
        f->ui().Form2->RB1->setChecked(true);
        QVERIFY(!f->ui().Form2->SpinEdit1->isEnabled());
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
        QVERIFY(f->ui().N13->isChecked());
        if (field == 0)
            f->ui().Form2->Edit1->setText(text);
        else
            f->ui().Form2->SpinEdit1->setValue(text.toInt());
        QCOMPARE(f->ui().N13->isChecked(), !cleared);
    }

    void openingTheEditorChangesThePeriod()
    {
        FormFixture f;
        f->ui().Form2->SpinEdit1->setValue(1000);
        f->ui().N13->setChecked(true);
        f->N38Click(); // 1000 -> 1 is a change
        QVERIFY(!f->ui().N13->isChecked());
    }

    // The default path names a drive that does not exist here: shown once, the poll goes on.
    void pollOfTheDefaultPath()
    {
        FormFixture f;
        f->Cpu31Click();
        for (int i = 0; i < 5; ++i)
            f->T6Timer();
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file D:\\Txt.Dat")});
        QVERIFY(f->ui().T[5]->isActive());
        // Back to Cpu\User and again to Cpu\Cpu: the failure is shown anew.
        f->CpuUser1Click();
        f->Cpu31Click();
        f->T6Timer();
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
        f->Cpu31Click();
        f->T6Timer();
        f->T6Timer();
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file Txt.Dat")});
        scratch_->writeLines("Txt.Dat", {""});
        f->T6Timer();
        QCOMPARE(f.reporter.errors.size(), 1);
        scratch_->remove("Txt.Dat");
        f->T6Timer();
        f->T6Timer();
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
        f->Cpu31Click();
        f->T6Timer();
        f->N38Click();
        for (const QString& typed : {QStringLiteral("/"), QStringLiteral("/t"), QStringLiteral("/tm")}) {
            f->ui().Form2->Edit1->setText(typed);
            f->T6Timer();
        }
        QCOMPARE(f.reporter.errors, QStringList());
        QVERIFY(f->ui().Form2->isVisible());
        (accept ? f->ui().Form2->Button1 : f->ui().Form2->Button2)->click();
        f->T6Timer();
        f->T6Timer();
        QCOMPARE(f.reporter.errors, QStringList{QStringLiteral("Cannot open file /tm")});
    }

    // On ENTER: every tick reloads the file and enables Talk; ENTER takes the first line.
    void enterReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("plain text, CR LF") << QByteArray("\xea\xe0\xea \xe4\xe5\xeb\xe0\r\n\xe8 \xe5\xf9\xb8\r\n")
                                           << "Как дела.";
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
        f->Cpu31Click();
        f->ui().Talk->setEnabled(false);
        f->T6Timer();
        QVERIFY(f->ui().Talk->isEnabled());
        QCOMPARE(f.reporter.errors, QStringList());
        const int before = f->ui().RE1->count();
        QTest::keyClick(f->ui().Input, Qt::Key_Return);
        if (phrase.isEmpty()) {
            QCOMPARE(f->ui().RE1->count(), before); // an empty phrase ends the turn at once
        } else {
            QCOMPARE(f->ui().RE1->line(before), phrase);
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
        f->Cpu31Click();
        QCOMPARE(f->ui().T[5]->interval(), 1); // the first tick comes at once
        f->ui().Talk->setEnabled(true);
        f->T6Timer();
        QCOMPARE(f->ui().T[5]->interval(), 2000);
        QVERIFY(!f->ui().Talk->isEnabled());
        QCOMPARE(f.reporter.errors, QStringList());
        QCOMPARE(f->ui().RE1->count(), 3);
        QCOMPARE(f->ui().RE1->line(1), QStringLiteral("Как дела."));
        const QString reply = f->ui().RE1->line(2);
        const auto file = scratch_->readLines("Txt.Dat");
        QCOMPARE(file.size(), size_t(1));
        QCOMPARE(QString::fromStdString(file[0]), reply);

        // The next tick answers the program's own reply.
        f->T6Timer();
        QCOMPARE(f->ui().RE1->count(), 5);
        QCOMPARE(f->ui().RE1->line(3).left(reply.size() - 1), reply.left(reply.size() - 1));
    }

    void timerReadingOfAnEmptyFileTakesNoTurn()
    {
        scratch_->write("Txt.Dat", "");
        FormFixture f;
        configure(f, QStringLiteral("Txt.Dat"), true);
        f->Cpu31Click();
        f->T6Timer();
        f->T6Timer();
        QCOMPARE(f->ui().RE1->count(), 1); // only the notice
        QCOMPARE(f.reporter.errors, QStringList());
        QCOMPARE(f.cues.played, std::vector<Cue>());
    }

private:
    std::unique_ptr<ScratchDir> scratch_;
};

QTEST_MAIN(ModesTest)
#include "modes_test.moc"
