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
            {LineStyle::IdleRemark, Green, UserFont},  // colour only
            {LineStyle::Program, Blue, ProgramFont},
            {LineStyle::Service, Teal, ProgramFont},   // teal only
            {LineStyle::Unchanged, Teal, ProgramFont}, // as the line before
            {LineStyle::User, Red, UserFont},
        };
        int n = 0;
        for (const Step& s : steps) {
            f->appendTranscript(cp("строка ") + std::to_string(n), s.style);
            const auto a = f->ui().RE1->lineAttributes(n);
            QCOMPARE(a.color, s.color);
            QCOMPARE(a.font, s.font);
            const QTextCharFormat shown = shownFormat(*f->ui().RE1, n);
            QCOMPARE(shown.foreground().color(), s.color);
            QCOMPARE(shown.fontFamilies().toStringList().value(0), s.font.face);
            QCOMPARE(shown.fontPointSize(), double(s.font.size));
            QCOMPARE(shown.fontWeight() == QFont::Bold, s.font.bold);
            QCOMPARE(shown.fontItalic(), s.font.italic);
            QCOMPARE(f->ui().RE1->document()->findBlockByNumber(n).blockFormat().alignment() & Qt::AlignHCenter,
                     Qt::AlignHCenter);
            ++n;
        }
        QCOMPARE(f->transcriptCount(), n);
    }

    void startsBlackInTheDesignFont()
    {
        FormFixture f;
        const auto a = f->ui().RE1->current();
        QCOMPARE(a.color, QColor(Qt::black));
        QCOMPARE(a.font, FontChoice{});
        QCOMPARE(f->transcriptCount(), 0);
        QCOMPARE(f->transcriptLine(-1), std::string());
        QCOMPARE(f->transcriptLine(0), std::string());
    }

    void linesArePlainText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("markup") << "<b>да</b>" << "<b>да</b>";
        QTest::newRow("entity") << "&amp; &lt;" << "&amp; &lt;";
        QTest::newRow("line break") << "раз\nдва" << "раз два";
        QTest::newRow("empty") << "" << "";
    }

    void linesArePlainText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        FormFixture f;
        f->appendTranscript(cpOf(typed), LineStyle::User);
        QCOMPARE(f->ui().RE1->count(), 1);
        QCOMPARE(f->ui().RE1->line(0), shown);
        QCOMPARE(f->ui().RE1->toPlainText(), shown);
    }

    // A long entry wraps on screen but stays one line: the turn's previous line, undo and
    // the count all see whole entries.
    void aWrappedEntryIsOneLine()
    {
        FormFixture f;
        f->show();
        const std::string longLine = cp(std::string(120, 'x') + " очень длинная фраза " + std::string(120, 'y'));
        f->appendTranscript(cp("Первая."), LineStyle::User);
        f->appendTranscript(longLine, LineStyle::Program);
        f->appendTranscript(cp("Третья."), LineStyle::User);
        QVERIFY(f->ui().RE1->document()->findBlockByNumber(1).layout()->lineCount() > 1);
        QCOMPARE(f->transcriptCount(), 3);
        QCOMPARE(f->transcriptLine(1), longLine);
        f->ui().RE1->removeLast();
        QCOMPARE(f->transcriptCount(), 2);
        QCOMPARE(f->transcriptLine(1), longLine);
        f->ui().RE1->removeLast();
        QCOMPARE(f->ui().RE1->toPlainText(), QStringLiteral("Первая."));
    }

    void removeAndClear()
    {
        FormFixture f;
        f->ui().RE1->removeLast(); // nothing to remove
        QCOMPARE(f->ui().RE1->count(), 0);
        f->appendTranscript(cp("один"), LineStyle::User);
        f->appendTranscript("", LineStyle::Unchanged);
        f->appendTranscript(cp("три"), LineStyle::Program);
        f->ui().RE1->removeLast();
        QCOMPARE(transcriptLines(*f), (QStringList{"один", ""}));
        f->ui().RE1->removeLast();
        f->ui().RE1->removeLast();
        QCOMPARE(f->ui().RE1->count(), 0);
        QCOMPARE(f->ui().RE1->toPlainText(), QString());
        f->appendTranscript(cp("снова"), LineStyle::User);
        f->ui().RE1->clearLines();
        QCOMPARE(f->ui().RE1->count(), 0);
        f->appendTranscript(cp("после"), LineStyle::User);
        QCOMPARE(transcriptLines(*f), QStringList{"после"});
    }

    // The settings recolour what the user has selected; nothing else changes.
    void selectionTakesTheCurrentAttributes()
    {
        FormFixture f;
        f->appendTranscript(cp("красное"), LineStyle::User);
        f->appendTranscript(cp("чёрное"), LineStyle::User);
        QTextCursor c(f->ui().RE1->document()->findBlockByNumber(0));
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        f->ui().RE1->setTextCursor(c);
        f->ui().RE1->setCurrentColor(Red);
        f->ui().RE1->applyCurrentToSelection();
        QCOMPARE(shownFormat(*f->ui().RE1, 0).foreground().color(), Red);
        QCOMPARE(shownFormat(*f->ui().RE1, 1).foreground().color(), QColor(Qt::black));
    }

private:
    std::unique_ptr<ScratchDir> scratch_;
};

QTEST_MAIN(TranscriptTest)
#include "transcript_test.moc"
