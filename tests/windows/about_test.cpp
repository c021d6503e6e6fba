// The about window: opening and closing as a secondary window, the history that
// unfolds and folds with "История", and a missing history file.
#include "app/mainwindow.h"
#include "support/formfixture.h"
#include "ui/aboutwindow.h"

#include <QApplication>
#include <QLabel>
#include <QSet>
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
    TForm3& about = *aboutOf(form);

    Fixture()
    {
        reporter.errors.clear(); // the knowledge file is not needed here
        timerOf(form, 1)->start();
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
        actionOf(form, "N12")->trigger();
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

    void fixedSizeAndClosedByItsOwnButton();
    void opensFoldedAsASecondaryWindow();
    void historyUnfoldsAndFolds();
    void historyPressAddsOnePixel_data();
    void historyPressAddsOnePixel();
    void closingGivesTheMainWindowBack();
    void reopensFoldedWithTheLastText();
    void eachPressReadsTheHistoryAfresh();
    void missingHistoryIsReportedAndNothingMoves();
    void keysOfTheWindow_data();
    void keysOfTheWindow();
    void centredOnTheDesktopOnlyTheFirstTime();

private:
    std::unique_ptr<Fixture> f;
};

void AboutTest::fixedSizeAndClosedByItsOwnButton()
{
    TForm3& about = f->about;
    QVERIFY(about.isHidden());
    // Closed by its own button only, and never resized by the user.
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    // The picture is found among the program's own resources.
    QVERIFY(!child<QLabel>(about, "Image1")->pixmap().isNull());
    QVERIFY(child<QPlainTextEdit>(about, "Memo1")->isReadOnly());
}

void AboutTest::opensFoldedAsASecondaryWindow()
{
    f->about.setOuterHeight(TForm3::UnfoldedHeight);
    f->open();
    QVERIFY(!timerOf(f->form, 1)->isActive());
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

    child<QPushButton>(f->about, "Button1")->click();
    QCOMPARE(child<QPlainTextEdit>(f->about, "Memo1")->toPlainText(), History1);
    QCOMPARE(f->about.outerHeight(), 327);
    QTRY_COMPARE(f->about.frameGeometry().height(), 327);
    // Unfolded, the whole of the memo shows.
    QVERIFY(child<QFrame>(f->about, "TabControl2")->geometry().bottom() < f->about.height());

    child<QPushButton>(f->about, "Button1")->click();
    QCOMPARE(f->about.outerHeight(), 179);
    QTRY_COMPARE(f->about.frameGeometry().height(), 179);
    QCOMPARE(child<QPlainTextEdit>(f->about, "Memo1")->toPlainText(), History1);
    QVERIFY(f->reporter.errors.isEmpty());
}

void AboutTest::historyPressAddsOnePixel_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    // Folded and unfolded themselves are the two heights historyUnfoldsAndFolds sees.
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
    child<QPushButton>(f->about, "Button1")->click();
    QCOMPARE(f->about.outerHeight(), after);
}

void AboutTest::closingGivesTheMainWindowBack()
{
    f->open();
    child<QPushButton>(f->about, "Button2")->click();
    QVERIFY(timerOf(f->form, 1)->isActive());
    QVERIFY(f->form.isEnabled());
    QVERIFY(f->about.isHidden());
}

void AboutTest::reopensFoldedWithTheLastText()
{
    f->writeHistory(History1);
    f->open();
    child<QPushButton>(f->about, "Button1")->click();
    QCOMPARE(f->about.outerHeight(), 327);
    child<QPushButton>(f->about, "Button2")->click();

    f->open();
    QCOMPARE(f->about.outerHeight(), 179);
    QTRY_COMPARE(f->about.frameGeometry().height(), 179);
    QCOMPARE(child<QPlainTextEdit>(f->about, "Memo1")->toPlainText(), History1);
}

void AboutTest::eachPressReadsTheHistoryAfresh()
{
    f->writeHistory(History1);
    f->open();
    child<QPushButton>(f->about, "Button1")->click();
    f->writeHistory(History2);
    child<QPushButton>(f->about, "Button1")->click();
    QCOMPARE(child<QPlainTextEdit>(f->about, "Memo1")->toPlainText(), History2);
    QCOMPARE(f->about.outerHeight(), 179);
}

void AboutTest::missingHistoryIsReportedAndNothingMoves()
{
    f->open();
    child<QPushButton>(f->about, "Button1")->click();
    QCOMPARE(f->reporter.errors, QStringList{QStringLiteral("Cannot open file ReadMe.Txt")});
    QCOMPARE(f->about.outerHeight(), 179);
    QVERIFY(child<QPlainTextEdit>(f->about, "Memo1")->toPlainText().isEmpty());

    // Unfolded with a history, then the file goes: the window and the memo stay as they were.
    f->writeHistory(History1);
    child<QPushButton>(f->about, "Button1")->click();
    f->dir.remove("ReadMe.Txt");
    child<QPushButton>(f->about, "Button1")->click();
    QCOMPARE(f->reporter.errors.size(), 2);
    QCOMPARE(f->about.outerHeight(), 327);
    QCOMPARE(child<QPlainTextEdit>(f->about, "Memo1")->toPlainText(), History1);
}

// The keyboard alone works the window: Tab goes between the two buttons only while the
// history is folded (and on into the memo while it shows), Enter and Space press the button
// that has the focus, Escape acts as "Закрыть". The window manager's close does nothing.
void AboutTest::keysOfTheWindow_data()
{
    QTest::addColumn<bool>("unfolded");
    QTest::addColumn<int>("tabStops");
    QTest::newRow("folded") << false << 2;
    QTest::newRow("unfolded") << true << 3;
}

void AboutTest::keysOfTheWindow()
{
    QFETCH(bool, unfolded);
    QFETCH(int, tabStops);
    f->writeHistory(History1);
    f->open();
    TForm3& about = f->about;
    about.activateWindow();
    QTRY_VERIFY(about.isActiveWindow());
    if (unfolded) {
        child<QPushButton>(about, "Button1")->setFocus();
        QTest::keyClick(child<QPushButton>(about, "Button1"), Qt::Key_Return);
        QCOMPARE(about.outerHeight(), TForm3::UnfoldedHeight);
        QCOMPARE(child<QPlainTextEdit>(about, "Memo1")->toPlainText(), History1);
    }

    QSet<QWidget*> stops;
    child<QPushButton>(about, "Button2")->setFocus();
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused && focused->isVisible());
        stops.insert(focused);
    }
    QStringList names;
    for (QWidget* w : stops)
        names << QString::fromLatin1(w->metaObject()->className()) + w->objectName();
    QVERIFY2(stops.size() == tabStops, qPrintable(names.join(QLatin1Char(' '))));
    QCOMPARE(stops.contains(child<QPlainTextEdit>(about, "Memo1")), unfolded);

    // Enter and Space on "История" fold or unfold.
    child<QPushButton>(about, "Button1")->setFocus();
    QTest::keyClick(child<QPushButton>(about, "Button1"), Qt::Key_Enter);
    QCOMPARE(about.outerHeight(), unfolded ? TForm3::FoldedHeight : TForm3::UnfoldedHeight);
    QTest::keyClick(child<QPushButton>(about, "Button1"), Qt::Key_Space);
    QCOMPARE(about.outerHeight(), unfolded ? TForm3::UnfoldedHeight : TForm3::FoldedHeight);

    about.close();
    QVERIFY(about.isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(about.isHidden());
    QVERIFY(f->form.isEnabled());
    QVERIFY(timerOf(f->form, 1)->isActive());

    // Enter on "Закрыть" closes it as well.
    f->open();
    child<QPushButton>(about, "Button2")->setFocus();
    QTest::keyClick(child<QPushButton>(about, "Button2"), Qt::Key_Return);
    QVERIFY(about.isHidden());
    QVERIFY(f->form.isEnabled());
}

void AboutTest::centredOnTheDesktopOnlyTheFirstTime()
{
    f->open();
    const QRect desktop = f->about.screen()->availableGeometry();
    QTRY_VERIFY((f->about.frameGeometry().center() - desktop.center()).manhattanLength() <= 2);

    const QPoint elsewhere = f->about.pos() + QPoint(40, 30);
    f->about.move(elsewhere);
    QTRY_COMPARE(f->about.pos(), elsewhere);
    child<QPushButton>(f->about, "Button2")->click();
    f->open();
    QTRY_COMPARE(f->about.pos(), elsewhere);
}

QTEST_MAIN(AboutTest)
#include "about_test.moc"
