#include "ui/statustext.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QStringList>

namespace tovrin {

namespace {

// The room left and right of the text inside the panel's sunken frame.
constexpr int kIndent = 2;
// Narrow faces of the common font families, the one the set-up installs first.
const QStringList kNarrowFaces = {
    QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("Arial Narrow"),
    QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")};
constexpr int kSmallestPixels = 7;

bool fits(const QLabel* panel, const QFont& font, const QString& text)
{
    return QFontMetrics(font).horizontalAdvance(text) + 2 * kIndent <=
        panel->contentsRect().width();
}

} // namespace

void setStatusPanelText(QLabel* panel, const QString& text)
{
    panel->setIndent(kIndent);
    QFont font = panel->parentWidget() ? panel->parentWidget()->font() : panel->font();
    // The last panel runs to the window's edge and takes what room its text asks for.
    const bool fixedWidth = panel->minimumWidth() == panel->maximumWidth();
    if (fixedWidth && !fits(panel, font, text)) {
        font.setFamilies(kNarrowFaces);
        const int pixels = QFontInfo(font).pixelSize();
        for (int size = pixels - 1; size >= kSmallestPixels && !fits(panel, font, text); --size)
            font.setPixelSize(size);
    }
    if (panel->font() != font)
        panel->setFont(font);
    panel->setText(text);
}

} // namespace tovrin
