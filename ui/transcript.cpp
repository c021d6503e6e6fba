#include "ui/transcript.h"

#include <QPalette>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace tovrin {

namespace {

QTextCharFormat charFormat(const Transcript::Attributes& a)
{
    QTextCharFormat format;
    format.setForeground(a.color);
    format.setFontFamilies({a.font.face});
    format.setFontPointSize(a.font.size);
    format.setFontWeight(a.font.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(a.font.italic);
    return format;
}

QTextBlockFormat centred()
{
    QTextBlockFormat format;
    format.setAlignment(Qt::AlignHCenter);
    return format;
}

// One appended line is one paragraph: a line break inside it would split it in two and
// the count would no longer match what was appended.
QString oneParagraph(QString line)
{
    for (QChar& c : line)
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u' ';
    return line;
}

} // namespace

Transcript::Transcript(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // The selection stays visible while the focus is elsewhere (it always is: T1 keeps it in
    // the input line), so a selection can be recoloured from the settings menu.
    QPalette p = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    setPalette(p);

    current_.color = Qt::black;
    QTextCursor cursor(document());
    cursor.setBlockFormat(centred());
}

void Transcript::setCurrentColor(const QColor& color) { current_.color = color; }

void Transcript::setCurrentFace(const QString& face) { current_.font.face = face; }

void Transcript::setCurrentSizeAndStyle(int size, bool bold, bool italic)
{
    current_.font.size = size;
    current_.font.bold = bold;
    current_.font.italic = italic;
}

void Transcript::setCurrentFont(const FontChoice& font) { current_.font = font; }

void Transcript::appendLine(const QString& line)
{
    static const QTextBlockFormat kCentred = centred();
    const QTextCharFormat& format = formatOf(current_);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // One edit: the document tells its layout and its watchers of the new paragraph once.
    cursor.beginEditBlock();
    if (lines_.empty()) {
        cursor.setBlockFormat(kCentred);
        cursor.setBlockCharFormat(format);
    } else {
        cursor.insertBlock(kCentred, format);
    }
    cursor.insertText(oneParagraph(line), format);
    cursor.endEditBlock();
    lines_.push_back(current_);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

const QTextCharFormat& Transcript::formatOf(const Attributes& attributes)
{
    // The user's and the program's lines take turns: the formats of the last few attributes
    // are kept, the oldest given up first.
    for (const auto& [made, format] : formats_)
        if (made == attributes)
            return format;
    if (formats_.size() == kKeptFormats)
        formats_.erase(formats_.begin());
    formats_.emplace_back(attributes, charFormat(attributes));
    return formats_.back().second;
}

QString Transcript::line(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return document()->findBlockByNumber(index).text();
}

Transcript::Attributes Transcript::lineAttributes(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return lines_[static_cast<size_t>(index)];
}

void Transcript::removeLast()
{
    if (lines_.empty())
        return;
    lines_.pop_back();
    if (lines_.empty()) {
        clearLines();
        return;
    }
    // The last paragraph goes together with the paragraph break before it.
    const QTextBlock last = document()->findBlockByNumber(count());
    QTextCursor cursor(document());
    cursor.setPosition(last.position() - 1);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void Transcript::clearLines()
{
    lines_.clear();
    clear();
    QTextCursor cursor(document());
    cursor.setBlockFormat(centred());
}

void Transcript::applyCurrentToSelection()
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        cursor.mergeCharFormat(charFormat(current_));
}

} // namespace tovrin
