#pragma once
// The about window: picture, version label, "История" and "Закрыть", the history memo.
#include <QDialog>

namespace tovrin {

class TForm1;

class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(TForm1* form1);

private:
    TForm1* form1_;
};

} // namespace tovrin
