// The knowledge counts after start: the status bar (T3) and the submenu of the base (T8).
#include "support/formfixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using namespace tovrin;
using namespace tovrin::test;

namespace {

const QString Loading = QStringLiteral("Идёт загрузка подождите...");
const QString Loaded = QStringLiteral("Загрузка окончена");

// Header, then main phrases (bare keys count too) and branches of any depth.
const std::vector<std::string> Words = {
    "// заголовок: ПРИВЕТ^не считается;",
    "ПРИВЕТ^Привет!;Здравствуй!;",
    "_КАК ДЕЛА^Хорошо, а у тебя?;",
    "__ХОРОШО^Вот и славно.;Рад слышать.;",
    "_ТЫ КТО^Я программа.;",
    "ПОКА^До свидания!;Пока.;Всего доброго.;@",
    "ЧТО ТАКОЕ СЧАСТЬЕ?^",
};
// 3 main phrases, 3 branches, 9 replies, 6 entries.

void writeLists(const ScratchDir& dir, int perList)
{
    for (const char* name : {"Base\\BigString.Dat", "Base\\Pause.Dat", "Base\\Povtor.Dat",
                             "Base\\W1.Dat", "Base\\W2.Dat", "Base\\X.Dat"}) {
        std::vector<std::string> lines;
        for (int i = 0; i < perList; ++i)
            lines.push_back("Фраза " + std::to_string(i) + ".");
        dir.writeLines(name, lines);
    }
}

} // namespace

class StatisticsTest : public QObject {
    Q_OBJECT

private slots:
    void statusBarCounts_data()
    {
        QTest::addColumn<std::vector<std::string>>("words");
        QTest::addColumn<QString>("known");
        QTest::newRow("example") << Words
                                 << "Программе известно:   [главные фразы - 3   ветки - 3]";
        QTest::newRow("header only") << std::vector<std::string>{"// заголовок"}
                                     << "Программе известно:   [главные фразы - 0   ветки - 0]";
    }

    void statusBarCounts()
    {
        QFETCH(std::vector<std::string>, words);
        QFETCH(QString, known);
        ScratchDir dir;
        dir.writeLines("Base\\Words.Dat", words);
        FormFixture f(false);
        QVERIFY(timerOf(*f, 3)->isActive());
        tick(*f, 3);
        QCOMPARE(panelOf(*f, 0)->text(), Loaded);
        QCOMPARE(panelOf(*f, 1)->text(), known);
        QVERIFY(!inputOf(*f)->isReadOnly());
        QVERIFY(!timerOf(*f, 3)->isActive());
        QCOMPARE(f.reporter.errors, QStringList());
    }

    // A failed count is shown once and never locks the user out of typing.
    void statusBarCountFailsOnce()
    {
        ScratchDir dir;
        FormFixture f(false);
        f.reporter.errors.clear();
        inputOf(*f)->setText(QStringLiteral("уже набрано"));
        tick(*f, 3);
        QCOMPARE(f.reporter.errors,
                 QStringList{QStringLiteral("Cannot open file Base\\Words.Dat")});
        QVERIFY(!timerOf(*f, 3)->isActive());
        QCOMPARE(panelOf(*f, 0)->text(), Loading);
        QCOMPARE(panelOf(*f, 1)->text(), QString());
        QVERIFY(!inputOf(*f)->isReadOnly());
        QVERIFY(buttonOf(*f, "Speak")->isEnabled());
    }

    void menuCounts_data()
    {
        QTest::addColumn<std::vector<std::string>>("words");
        QTest::addColumn<int>("perList");
        QTest::addColumn<QStringList>("captions");
        // 6 entries; 9 replies + 6 lists of 4 lines = 33 outgoing.
        QTest::newRow("example") << Words << 4
                                 << QStringList{"&Входящие выражения: [6]",
                                                "&Исходящие выражения: [33]", "&Итого: [39]"};
        QTest::newRow("empty lists, header only")
            << std::vector<std::string>{"// заголовок"} << 0
            << QStringList{"&Входящие выражения: [0]", "&Исходящие выражения: [0]", "&Итого: [0]"};
    }

    void menuCounts()
    {
        QFETCH(std::vector<std::string>, words);
        QFETCH(int, perList);
        QFETCH(QStringList, captions);
        ScratchDir dir;
        dir.writeLines("Base\\Words.Dat", words);
        writeLists(dir, perList);
        dir.writeLines("Base\\Collection.Dat", {"не считается"});
        dir.writeLines("Base\\AI.dat", {"не считается"});
        FormFixture f(false);
        QVERIFY(timerOf(*f, 8)->isActive());
        tick(*f, 8);
        QCOMPARE((QStringList{actionOf(*f, "N18")->text(), actionOf(*f, "N19")->text(),
                              actionOf(*f, "N20")->text()}),
                 captions);
        QVERIFY(!timerOf(*f, 8)->isActive());
        QCOMPARE(f.reporter.errors, QStringList());
    }

    // A list missing halfway: what was counted before keeps its number; shown once.
    void menuCountFailsOnce()
    {
        ScratchDir dir;
        dir.writeLines("Base\\Words.Dat", Words);
        writeLists(dir, 2);
        dir.remove("Base\\Povtor.Dat");
        FormFixture f(false);
        tick(*f, 8);
        QCOMPARE(f.reporter.errors,
                 QStringList{QStringLiteral("Cannot open file Base\\Povtor.Dat")});
        QCOMPARE(actionOf(*f, "N18")->text(), QStringLiteral("&Входящие выражения: [6]"));
        QCOMPARE(actionOf(*f, "N19")->text(), QStringLiteral("&Исходящие выражения:"));
        QCOMPARE(actionOf(*f, "N20")->text(), QStringLiteral("&Итого:"));
        QVERIFY(!timerOf(*f, 8)->isActive());
    }
};

QTEST_MAIN(StatisticsTest)
#include "statistics_test.moc"
