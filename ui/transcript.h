#pragma once
// The transcript RE1: a read-only pane of centred lines, each with the colour, face, size and
// style that were current when it was appended. Lines are counted as they were appended,
// however they wrap on screen. The text is always plain text, never markup.
#include "ui/pickers.h"

#include <QColor>
#include <QTextEdit>
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
};

} // namespace tovrin
