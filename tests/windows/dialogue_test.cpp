// Undo, the new dialogue and the exit that appends the dialogue log to Base\Log.Tovrin.
#include "support/formfixture.h"

#include "kb/cp1251.h"
#include "kb/dialoglog.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <ctime>

using namespace tovrin;
using namespace tovrin::test;

namespace {

const QString Rule80 = QString(80, u'-');
const QString Under = QString(22, u' ') + QString(30, u'_');
const QString Tilde = QString(22, u' ') + QString(30, u'~');
const QString Equals = QString(53, u'=');

QStringList fileLines(const ScratchDir& dir, const std::string& path)
{
    QStringList out;
    for (const auto& l : dir.readLines(path))
        out << QString::fromStdString(l);
    return out;
}

// A Base folder with a knowledge file of `entries` entries below its header and a log file.
void prepareBase(const ScratchDir& dir, int entries, const std::vector<std::string>& log = {})
{
    std::vector<std::string> words = {"// База"};
    for (int i = 0; i < entries; ++i)
        words.push_back("КЛЮЧ " + std::to_string(i) + "^Ответ;");
    dir.writeLines("Base\\Words.Dat", words);
    dir.writeLines("Base\\Log.Tovrin", log);
}

void takeTurn(FormFixture& f, const QString& phrase) { say(*f, phrase); }

} // namespace

class DialogueTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    // After a turn whose lines fit, the first undo takes the reply from both records and the
    // second the phrase.
    void undoAfterATurn()
    {
        ScratchDir dir;
        writeBase(dir);
        FormFixture f;
        takeTurn(f, QStringLiteral("привет"));
        QCOMPARE(transcriptOf(*f)->count(), 2);
        QCOMPARE(logLines(*f).size(), 2);
        const QString phrase = transcriptOf(*f)->line(0);
        QCOMPARE(phrase, QStringLiteral("Привет."));
        QCOMPARE(logLines(*f).at(0), QStringLiteral("USER:     Привет."));
        QVERIFY(logLines(*f).at(1).startsWith(QStringLiteral("CPU:     ")));
        QCOMPARE(logLines(*f).at(1).mid(9), transcriptOf(*f)->line(1));

        undo(*f);
        QVERIFY(timerOf(*f, 7)->isActive());
        QCOMPARE(transcriptLines(*f), QStringList{phrase});
        QCOMPARE(logLines(*f), QStringList{QStringLiteral("USER:     Привет.")});
        timerOf(*f, 7)->stop();
        actionOf(*f, "N15")->trigger(); // Ctrl+Z does the same
        QCOMPARE(transcriptOf(*f)->count(), 0);
        QCOMPARE(logLines(*f), QStringList());
        QVERIFY(timerOf(*f, 7)->isActive());
    }

    // Lines that live only in the transcript make the two records lose different entries.
    void undoAfterAModeSwitch()
    {
        ScratchDir dir;
        writeBase(dir);
        FormFixture f;
        takeTurn(f, QStringLiteral("привет"));
        const QString reply = transcriptOf(*f)->line(1);
        actionOf(*f, "CpuUser1")->trigger();
        QCOMPARE(transcriptOf(*f)->count(), 4);
        QCOMPARE(logLines(*f).size(), 2);
        undo(*f);
        QCOMPARE(transcriptLines(*f),
                 (QStringList{"Привет.", reply,
                              QStringLiteral("Сервис:   // Режим диалога Cpu\\User.")}));
        QCOMPARE(logLines(*f), QStringList{QStringLiteral("USER:     Привет.")});
    }

    void newDialogue()
    {
        ScratchDir dir;
        writeBase(dir);
        FormFixture f;
        takeTurn(f, QStringLiteral("привет"));
        inputOf(*f)->setText(QStringLiteral("недописанное"));
        f.cues.played.clear();
        actionOf(*f, "N2")->trigger();
        QCOMPARE(transcriptOf(*f)->count(), 0);
        QCOMPARE(f->engine().state().Log.count(), 0);
        QCOMPARE(inputOf(*f)->text(), QString());
        QCOMPARE(f.cues.played, std::vector<Cue>{Cue::MP1});
        QVERIFY(timerOf(*f, 7)->isActive());
        QVERIFY(timerOf(*f, 10)->isActive());
    }

    // The block: empty line, rules, date and time, the learnt count, the dialogue, "=" rule.
    // The window dates it with the core's stamp, as the terminal version does, whatever the
    // hour and the regional settings.
    void exitAppendsTheBlock_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QStringList>("dialogue");
        QTest::newRow("two turns") << 3
                                   << QStringList{"USER:     Привет.", "CPU:     Здравствуй!",
                                                  "USER:     Как дела?", "CPU:     Хорошо."};
        QTest::newRow("empty dialogue") << 0 << QStringList();
    }

    void exitAppendsTheBlock()
    {
        QFETCH(int, entries);
        QFETCH(QStringList, dialogue);
        ScratchDir dir;
        prepareBase(dir, entries, {"старый блок"});
        FormFixture f;
        f->show();
        for (const QString& l : dialogue)
            EngineTestAccess::addLogLine(f->engine(), cpOf(l));
        const LogStamp before = MakeLogStamp(std::time(nullptr));
        actionOf(*f, "N4")->trigger();
        const LogStamp after = MakeLogStamp(std::time(nullptr));
        QCOMPARE(f.reporter.errors, QStringList());
        QVERIFY(!f->isVisible());

        const QStringList lines = fileLines(dir, "Base\\Log.Tovrin");
        QStringList expected = {
            "старый блок",
            "",
            Rule80,
            Under,
            "DATE",
            Tilde,
            QStringLiteral("//Загружено фраз выученных программой: %1").arg(entries)};
        expected << dialogue << Equals;
        QCOMPARE(lines.size(), expected.size());
        const auto stampLine = [](const LogStamp& s) {
            return QString(22, u' ') + QStringLiteral("Дата - ") +
                QString::fromStdString(cp1251::toUtf8(s.date)) + QStringLiteral("   |   Время - ") +
                QString::fromStdString(cp1251::toUtf8(s.time));
        };
        QVERIFY2(lines.at(4) == stampLine(before) || lines.at(4) == stampLine(after),
                 qPrintable(lines.at(4)));
        expected[4] = lines.at(4);
        QCOMPARE(lines, expected);
    }

    // A failed exit leaves everything as it was and can be chosen again; the log file is
    // never created by it.
    void failedExit_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("log file") << "Base\\Log.Tovrin";
        QTest::newRow("knowledge file") << "Base\\Words.Dat";
    }

    void failedExit()
    {
        QFETCH(QString, missing);
        ScratchDir dir;
        prepareBase(dir, 2);
        dir.remove(missing.toStdString());
        FormFixture f;
        f.reporter.errors.clear();
        f->show();
        hostOf(*f).appendTranscript(cp("Привет."), LineStyle::User);
        EngineTestAccess::addLogLine(f->engine(), cp("USER:     Привет."));
        actionOf(*f, "N4")->trigger();
        QCOMPARE(f.reporter.errors.size(), 1);
        QVERIFY2(f.reporter.errors.at(0).startsWith(QStringLiteral("Cannot open file Base\\"),
                                                    Qt::CaseInsensitive),
                 qPrintable(f.reporter.errors.at(0)));
        QVERIFY(f->isVisible());
        QCOMPARE(transcriptLines(*f), QStringList{"Привет."});
        QCOMPARE(logLines(*f), QStringList{"USER:     Привет."});
        QCOMPARE(dir.exists("Base\\Log.Tovrin"), missing != QStringLiteral("Base\\Log.Tovrin"));

        prepareBase(dir, 2);
        actionOf(*f, "N4")->trigger();
        QCOMPARE(f.reporter.errors.size(), 1);
        QVERIFY(!f->isVisible());
        QVERIFY(fileLines(dir, "Base\\Log.Tovrin").contains(QStringLiteral("USER:     Привет.")));
    }

    // Only the dialogue running at the exit reaches the log file.
    void newDialogueDiscardsTheOldLog()
    {
        ScratchDir dir;
        prepareBase(dir, 1);
        FormFixture f;
        EngineTestAccess::addLogLine(f->engine(), cp("USER:     Старое."));
        actionOf(*f, "N2")->trigger();
        EngineTestAccess::addLogLine(f->engine(), cp("USER:     Новое."));
        actionOf(*f, "N4")->trigger();
        const QStringList lines = fileLines(dir, "Base\\Log.Tovrin");
        QVERIFY(!lines.contains(QStringLiteral("USER:     Старое.")));
        QCOMPARE(lines.mid(lines.size() - 2), (QStringList{"USER:     Новое.", Equals}));
    }
};

QTEST_MAIN(DialogueTest)
#include "dialogue_test.moc"
