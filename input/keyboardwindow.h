#pragma once
// The virtual keyboard: signs, Cyrillic letters, Bcksp, [Enter], space and Caps Lock.
#include <QDialog>

namespace tovrin {

class TForm1;

class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(TForm1* form1);

private:
    TForm1* form1_;
};

} // namespace tovrin
