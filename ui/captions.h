#pragma once
// The caption colour that the user gives a button. Only the enabled look takes it: a disabled
// caption keeps the window's grey, so that a disabled button reads as disabled whatever colour
// was chosen.
#include <QColor>
#include <QPalette>
#include <QWidget>

namespace tovrin {

inline void setCaptionColour(QWidget* button, const QColor& colour)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Active, QPalette::ButtonText, colour);
    palette.setColor(QPalette::Inactive, QPalette::ButtonText, colour);
    button->setPalette(palette);
}

} // namespace tovrin
