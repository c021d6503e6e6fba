#include "ui/aboutwindow.h"

namespace tovrin {

TForm3::TForm3(TForm1* form1) : QDialog(nullptr), form1_(form1)
{
    setWindowTitle(QStringLiteral("О программе"));
}

} // namespace tovrin
