#include "input/keyboardwindow.h"

namespace tovrin {

TForm4::TForm4(TForm1* form1) : QDialog(nullptr), form1_(form1)
{
    setWindowTitle(QStringLiteral("Виртуальная клавиатура"));
}

} // namespace tovrin
