#include "ui/pickers.h"

namespace tovrin {

namespace {
class DialogPickers : public Pickers {
public:
    bool pickColor(QColor&, QWidget*) override { return false; }
    bool pickFont(FontChoice&, bool, QWidget*) override { return false; }
};
} // namespace

std::unique_ptr<Pickers> makeDialogPickers() { return std::make_unique<DialogPickers>(); }

} // namespace tovrin
