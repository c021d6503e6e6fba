#pragma once
// Layout correction of the input line ("E/R", Ctrl+S): the line as the Russian layout would
// have typed it.
class QLineEdit;
class QString;

namespace tovrin {

// Characters are converted one by one, so that a character the code page cannot hold (pasted
// into the line) stays as it is instead of turning into "?" with the rest of the line.
QString correctedLine(const QString& text);

// Corrects the input line in place, keeping the caret. An unchanged line is left alone, so that
// no change (and no typing cue) is signalled.
void correctLayout(QLineEdit* input);

} // namespace tovrin
