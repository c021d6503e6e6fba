#pragma once
// The transcript RE1: a read-only pane of centred lines, each with the colour, face, size and
// style that were current when it was appended. Lines are counted as they were appended,
// however they wrap on screen. The text is always plain text, never markup.
#include "ui/pickers.h"

#include <QColor>
#include <QTextCharFormat>
#include <QTextEdit>
#include <utility>
#include <vector>

namespace tovrin {

class Transcript : public QTextEdit {
    Q_OBJECT

public:
    struct Attributes {
        QColor color;
        FontChoice font;
        bool operator==(const Attributes&) const = default;
    };

    explicit Transcript(QWidget* parent = nullptr);

    // The current attributes that the next appended line takes.
    Attributes current() const { return current_; }
    void setCurrentColor(const QColor& color);
    void setCurrentFace(const QString& face);
    void setCurrentSizeAndStyle(int size, bool bold, bool italic);
    void setCurrentFont(const FontChoice& font);

    void appendLine(const QString& line);
    int count() const { return static_cast<int>(lines_.size()); }
    QString line(int index) const;
    Attributes lineAttributes(int index) const;
    void removeLast();
    void clearLines();

    // Applies the current attributes to the text the user has selected, if any.
    void applyCurrentToSelection();

private:
    std::vector<Attributes> lines_;
    Attributes current_;
    // The character format of attributes, made once while they are among the last few used.
    const QTextCharFormat& formatOf(const Attributes& attributes);
    static constexpr std::size_t kKeptFormats = 4;
    std::vector<std::pair<Attributes, QTextCharFormat>> formats_;
};

} // namespace tovrin
