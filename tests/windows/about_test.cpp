// The about window: its design, opening and closing as a secondary window, the history that
// unfolds and folds with "История", and a missing history file.
#include "app/mainwindow.h"
#include "support/formfixture.h"
#include "ui/aboutwindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tovrin;
using namespace tovrin::test;

namespace {

const QString History1 = QStringLiteral("Версия 2.2.6.\nИсправлена ошибка.");
const QString History2 = QStringLiteral("Версия 2.2.7.");

struct Fixture : ScratchForm {
    TForm3& about = *form.ui().Form3;

    Fixture()
    {
        reporter.errors.clear(); // the knowledge file is not needed here
        form.timer(Timer::T1)->start();
        form.show();
    }

    void writeHistory(const QString& text)
    {
        std::vector<std::string> lines;
        for (const QString& line : text.split(QLatin1Char('\n')))
            lines.push_back(line.toStdString());
        dir.writeLines("ReadMe.Txt", lines);
    }

    void open()
    {
        form.N12Click();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
    }
};

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        f = std::make_unique<Fixture>();
        QVERIFY(QTest::qWaitForWindowExposed(&f->form));
    }
    void cleanup() { f.reset(); }

    void followsTheWindowDesign();
    void opensFoldedAsASecondaryWindow();
    void historyUnfoldsAndFolds();
    void historyPressAddsOnePixel_data();
    void historyPressAddsOnePixel();
    void closingGivesTheMainWindowBack();
    void reopensFoldedWithTheLastText();
    void eachPressReadsTheHistoryAfresh();
    void missingHistoryIsReportedAndNothingMoves();
    void escapeDoesNotCloseIt();
    void centredOnTheDesktopOnlyTheFirstTime();

private:
    std::unique_ptr<Fixture> f;
};

void AboutTest::followsTheWindowDesign()
{
    TForm3& about = f->about;
    QVERIFY(about.isHidden());
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    // Closed by its own button only, and never resized by the user.
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    // The picture is found among the program's own resources.
    QVERIFY(!about.Image1->pixmap().isNull());
    QCOMPARE(about.Image1->size(), QSize(178, 137));
    QVERIFY(about.Memo1->isReadOnly());
}

void AboutTest::opensFoldedAsASecondaryWindow()
{
    f->about.setOuterHeight(TForm3::UnfoldedHeight);
    f->open();
    QVERIFY(!f->form.timer(Timer::T1)->isActive());
    QVERIFY(!f->form.isEnabled());
    QVERIFY(f->about.isVisible());
    QVERIFY(f->about.isEnabled());
    QCOMPARE(f->about.outerHeight(), 179);
    QTRY_COMPARE(f->about.frameGeometry().height(), 179);
}

void AboutTest::historyUnfoldsAndFolds()
{
    f->writeHistory(History1);
    f->open();

    f->about.Button1->click();
    QCOMPARE(f->about.Memo1->toPlainText(), History1);
    QCOMPARE(f->about.outerHeight(), 327);
    QTRY_COMPARE(f->about.frameGeometry().height(), 327);
    // Unfolded, the whole of the memo shows.
    QVERIFY(f->about.TabControl2->geometry().bottom() < f->about.height());

    f->about.Button1->click();
    QCOMPARE(f->about.outerHeight(), 179);
    QTRY_COMPARE(f->about.frameGeometry().height(), 179);
    QCOMPARE(f->about.Memo1->toPlainText(), History1);
    QVERIFY(f->reporter.errors.isEmpty());
}

void AboutTest::historyPressAddsOnePixel_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("folded unfolds") << 179 << 327;
    QTest::newRow("unfolded folds") << 327 << 179;
    QTest::newRow("one short of folded") << 178 << 179;
    QTest::newRow("one over folded") << 180 << 181;
    QTest::newRow("one short of unfolded") << 326 << 327;
    QTest::newRow("elsewhere") << 250 << 251;
}

void AboutTest::historyPressAddsOnePixel()
{
    QFETCH(int, before);
    QFETCH(int, after);
    f->writeHistory(History1);
    f->about.setOuterHeight(before);
    f->about.Button1Click();
    QCOMPARE(f->about.outerHeight(), after);
}

void AboutTest::closingGivesTheMainWindowBack()
{
    f->open();
    f->about.Button2->click();
    QVERIFY(f->form.timer(Timer::T1)->isActive());
    QVERIFY(f->form.isEnabled());
    QVERIFY(f->about.isHidden());
}

void AboutTest::reopensFoldedWithTheLastText()
{
    f->writeHistory(History1);
    f->open();
    f->about.Button1->click();
    QCOMPARE(f->about.outerHeight(), 327);
    f->about.Button2->click();

    f->open();
    QCOMPARE(f->about.outerHeight(), 179);
    QTRY_COMPARE(f->about.frameGeometry().height(), 179);
    QCOMPARE(f->about.Memo1->toPlainText(), History1);
}

void AboutTest::eachPressReadsTheHistoryAfresh()
{
    f->writeHistory(History1);
    f->open();
    f->about.Button1->click();
    f->writeHistory(History2);
    f->about.Button1->click();
    QCOMPARE(f->about.Memo1->toPlainText(), History2);
    QCOMPARE(f->about.outerHeight(), 179);
}

void AboutTest::missingHistoryIsReportedAndNothingMoves()
{
    f->open();
    f->about.Button1->click();
    QCOMPARE(f->reporter.errors, QStringList{QStringLiteral("Cannot open file ReadMe.Txt")});
    QCOMPARE(f->about.outerHeight(), 179);
    QVERIFY(f->about.Memo1->toPlainText().isEmpty());

    // Unfolded with a history, then the file goes: the window and the memo stay as they were.
    f->writeHistory(History1);
    f->about.Button1->click();
    f->dir.remove("ReadMe.Txt");
    f->about.Button1->click();
    QCOMPARE(f->reporter.errors.size(), 2);
    QCOMPARE(f->about.outerHeight(), 327);
    QCOMPARE(f->about.Memo1->toPlainText(), History1);
}

void AboutTest::escapeDoesNotCloseIt()
{
    f->open();
    QTest::keyClick(&f->about, Qt::Key_Escape);
    f->about.close();
    QVERIFY(f->about.isVisible());
    QVERIFY(!f->form.isEnabled());
}

void AboutTest::centredOnTheDesktopOnlyTheFirstTime()
{
    f->open();
    const QRect desktop = f->about.screen()->availableGeometry();
    QTRY_VERIFY((f->about.frameGeometry().center() - desktop.center()).manhattanLength() <= 2);

    const QPoint elsewhere = f->about.pos() + QPoint(40, 30);
    f->about.move(elsewhere);
    QTRY_COMPARE(f->about.pos(), elsewhere);
    f->about.Button2->click();
    f->open();
    QTRY_COMPARE(f->about.pos(), elsewhere);
}

QTEST_MAIN(AboutTest)
#include "about_test.moc"
