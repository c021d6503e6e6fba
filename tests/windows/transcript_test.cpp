// The transcript: which attributes each kind of line takes, lines counted as appended, plain
// text only, and the removal of the last line.
#include "support/formfixture.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace tovrin;
using namespace tovrin::test;

namespace {

const QColor Green(0, 128, 0), Red(255, 0, 0), Blue(0, 0, 255), Teal(0, 0x80, 0x80);
const FontChoice UserFont{QStringLiteral("Arial"), 12, true, false};
const FontChoice ProgramFont{QStringLiteral("Courier"), 10, false, true};

QTextCharFormat shownFormat(const Transcript& t, int line)
{
    const QTextBlock block = t.document()->findBlockByNumber(line);
    return block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
}

} // namespace

class TranscriptTest : public QObject {
    Q_OBJECT

private slots:
    void init() { scratch_ = std::make_unique<ScratchDir>(); }
    void cleanup() { scratch_.reset(); }

    // Each line takes what its kind sets and keeps the rest as the line before left it.
    void attributesOfEachKindOfLine()
    {
        FormFixture f;
        f->appearance().ColorDialog1 = Green;
        f->appearance().ColorDialog2 = Red;
        f->appearance().ColorDialog3 = Blue;
        f->appearance().FontDialog1 = UserFont;
        f->appearance().FontDialog2 = ProgramFont;
        struct Step {
            LineStyle style;
            QColor color;
            FontChoice font;
        };
        const Step steps[] = {
            {LineStyle::User, Red, UserFont},
            {LineStyle::IdleRemark, Green, UserFont}, // colour only
            {LineStyle::Program, Blue, ProgramFont},
            {LineStyle::Service, Teal, ProgramFont}, // teal only
            {LineStyle::Unchanged, Teal, ProgramFont}, // as the line before
            {LineStyle::User, Red, UserFont},
        };
        int n = 0;
        for (const Step& s : steps) {
            hostOf(*f).appendTranscript(cp("строка ") + std::to_string(n), s.style);
            const auto a = transcriptOf(*f)->lineAttributes(n);
            QCOMPARE(a.color, s.color);
            QCOMPARE(a.font, s.font);
            const QTextCharFormat shown = shownFormat(*transcriptOf(*f), n);
            QCOMPARE(shown.foreground().color(), s.color);
            QCOMPARE(shown.fontFamilies().toStringList().value(0), s.font.face);
            QCOMPARE(shown.fontPointSize(), double(s.font.size));
            QCOMPARE(shown.fontWeight() == QFont::Bold, s.font.bold);
            QCOMPARE(shown.fontItalic(), s.font.italic);
            QCOMPARE(transcriptOf(*f)->document()->findBlockByNumber(n).blockFormat().alignment() &
                         Qt::AlignHCenter,
                     Qt::AlignHCenter);
            ++n;
        }
        QCOMPARE(hostOf(*f).transcriptCount(), n);
    }

    void startsBlackInTheDesignFont()
    {
        FormFixture f;
        const auto a = transcriptOf(*f)->current();
        QCOMPARE(a.color, QColor(Qt::black));
        QCOMPARE(a.font, FontChoice{});
        QCOMPARE(hostOf(*f).transcriptCount(), 0);
        QCOMPARE(hostOf(*f).transcriptLine(-1), std::string());
        QCOMPARE(hostOf(*f).transcriptLine(0), std::string());
    }

    void linesArePlainText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("markup") << "<b>да</b>"
                                << "<b>да</b>";
        QTest::newRow("entity") << "&amp; &lt;"
                                << "&amp; &lt;";
        QTest::newRow("line break") << "раз\nдва"
                                    << "раз два";
        QTest::newRow("empty") << ""
                               << "";
    }

    void linesArePlainText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        FormFixture f;
        hostOf(*f).appendTranscript(cpOf(typed), LineStyle::User);
        QCOMPARE(transcriptOf(*f)->count(), 1);
        QCOMPARE(transcriptOf(*f)->line(0), shown);
        QCOMPARE(transcriptOf(*f)->toPlainText(), shown);
    }

    // A long entry wraps on screen but stays one line: the turn's previous line, undo and
    // the count all see whole entries.
    void aWrappedEntryIsOneLine()
    {
        FormFixture f;
        f->show();
        const std::string longLine =
            cp(std::string(120, 'x') + " очень длинная фраза " + std::string(120, 'y'));
        hostOf(*f).appendTranscript(cp("Первая."), LineStyle::User);
        hostOf(*f).appendTranscript(longLine, LineStyle::Program);
        hostOf(*f).appendTranscript(cp("Третья."), LineStyle::User);
        QVERIFY(transcriptOf(*f)->document()->findBlockByNumber(1).layout()->lineCount() > 1);
        QCOMPARE(hostOf(*f).transcriptCount(), 3);
        QCOMPARE(hostOf(*f).transcriptLine(1), longLine);
        transcriptOf(*f)->removeLast();
        QCOMPARE(hostOf(*f).transcriptCount(), 2);
        QCOMPARE(hostOf(*f).transcriptLine(1), longLine);
        transcriptOf(*f)->removeLast();
        QCOMPARE(transcriptOf(*f)->toPlainText(), QStringLiteral("Первая."));
    }

    void removeAndClear()
    {
        FormFixture f;
        transcriptOf(*f)->removeLast(); // nothing to remove
        QCOMPARE(transcriptOf(*f)->count(), 0);
        hostOf(*f).appendTranscript(cp("один"), LineStyle::User);
        hostOf(*f).appendTranscript("", LineStyle::Unchanged);
        hostOf(*f).appendTranscript(cp("три"), LineStyle::Program);
        transcriptOf(*f)->removeLast();
        QCOMPARE(transcriptLines(*f), (QStringList{"один", ""}));
        transcriptOf(*f)->removeLast();
        transcriptOf(*f)->removeLast();
        QCOMPARE(transcriptOf(*f)->count(), 0);
        QCOMPARE(transcriptOf(*f)->toPlainText(), QString());
        hostOf(*f).appendTranscript(cp("снова"), LineStyle::User);
        transcriptOf(*f)->clearLines();
        QCOMPARE(transcriptOf(*f)->count(), 0);
        hostOf(*f).appendTranscript(cp("после"), LineStyle::User);
        QCOMPARE(transcriptLines(*f), QStringList{"после"});
    }

    // The settings recolour what the user has selected; nothing else changes.
    void selectionTakesTheCurrentAttributes()
    {
        FormFixture f;
        hostOf(*f).appendTranscript(cp("красное"), LineStyle::User);
        hostOf(*f).appendTranscript(cp("чёрное"), LineStyle::User);
        QTextCursor c(transcriptOf(*f)->document()->findBlockByNumber(0));
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        transcriptOf(*f)->setTextCursor(c);
        transcriptOf(*f)->setCurrentColor(Red);
        transcriptOf(*f)->applyCurrentToSelection();
        QCOMPARE(shownFormat(*transcriptOf(*f), 0).foreground().color(), Red);
        QCOMPARE(shownFormat(*transcriptOf(*f), 1).foreground().color(), QColor(Qt::black));
    }

private:
    std::unique_ptr<ScratchDir> scratch_;
};

QTEST_MAIN(TranscriptTest)
#include "transcript_test.moc"
