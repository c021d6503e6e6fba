#include "app/shrinkpath.h"

namespace tovrin {

bool ShrinkPath::onPath(QPoint reported) const
{
    // The places the path has visited are last_ + k × drift for k from 0 to steps_.
    for (int k = 0; k <= steps_; ++k)
        if (last_ + drift_ * k == reported)
            return true;
    return false;
}

QPoint ShrinkPath::next(QPoint reported, QPoint drift)
{
    if (steps_ == 0 || drift != drift_ || !onPath(reported)) {
        drift_ = drift;
        last_ = reported;
        steps_ = 0;
    }
    last_ -= drift_;
    ++steps_;
    return last_;
}

} // namespace tovrin
