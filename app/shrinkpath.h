#pragma once
// Where the shrink-and-close puts the window at each step. The window system reports a moved
// window's place late, so a step that started from the place read back would undo the moves
// not yet reported. The path keeps its own idea of the place instead, and follows the place
// read back only when that is no place the shrink has put the window (the user has moved it,
// or the shrink starts afresh).
#include <QPoint>

namespace tovrin {

class ShrinkPath {
public:
    // The place of the next step, drift up and to the left of the last, given the place the
    // window system reports now.
    QPoint next(QPoint reported, QPoint drift);

private:
    bool onPath(QPoint reported) const;

    QPoint drift_;
    QPoint last_;
    int steps_ = 0; // moves made along the path from its start
};

} // namespace tovrin
