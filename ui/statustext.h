#pragma once
// The texts of the status bar's panels are shown whole: a panel's width is fixed, and a text
// that the window's face makes too wide is set in a narrower face of the same height (and only
// if even that is too wide, smaller).
class QLabel;
class QString;

namespace tovrin {

void setStatusPanelText(QLabel* panel, const QString& text);

} // namespace tovrin
