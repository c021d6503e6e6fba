#pragma once
// The about window's design: the places of its panes and controls, in client pixels, their
// texts and faces.
#include "ui/look.h"

#include <QRect>
#include <QString>

namespace tovrin::form3 {

inline const QString Title = QStringLiteral("О программе");
// Outer heights, frame included: only the upper pane shows, or both panes.
constexpr int FoldedHeight = 179;
constexpr int UnfoldedHeight = 327;
constexpr int ClientWidth = 377;
// What the window design allows for the title bar and borders before the window system has
// told the real frame: the upper pane fills the folded window exactly.
constexpr int FrameAllowance = FoldedHeight - 153;

constexpr QRect UpperPane(0, 0, 377, 153);
constexpr QRect Picture(8, 8, 178, 137);
inline const QString PictureResource = QStringLiteral(":/ui/about.png");

constexpr QRect Label(196, 6, 164, 82);
// "2.26" reads "ВЕРСИЯ: 2.2.6.": every digit stands apart.
inline QString versionCaption()
{
    QString digits;
    for (const QChar c : look::Version)
        if (c.isDigit())
            digits += QString(c) + u'.';
    return QStringLiteral("ВЕРСИЯ: ") + digits;
}
inline const QString LabelFace = QStringLiteral("Arial Black");
constexpr int LabelPixelHeight = 29;

constexpr QRect HistoryButton(186, 93, 185, 25);
constexpr QRect CloseButton(186, 121, 185, 25);
inline const QString History = QStringLiteral("История");
inline const QString Close = QStringLiteral("Закрыть");

constexpr QRect LowerPane(0, 153, 376, 148);
constexpr QRect Memo(3, 4, 370, 140);
inline const QString MemoFace = QStringLiteral("Courier New");
constexpr int MemoPixelHeight = 11; // 8 points at 96 pixels per inch

// The window system may tell the frame's size a moment after it has shown and framed the
// window (X11 window managers do, without any event), so the height and the first centring
// are done once more when things have settled.
constexpr int FrameSettleMs = 150;

} // namespace tovrin::form3
