#include "app/messagebox.h"

#include <QMessageBox>

namespace tovrin {

namespace {

class MessageBoxReporter : public Reporter {
public:
    void showError(const QString& message, QWidget* parent) override
    {
        QMessageBox box(QMessageBox::Critical, programTitle(), message, QMessageBox::Ok, parent);
        // A path or a phrase in the message is shown as it is, never as markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
};

} // namespace

QString programTitle() { return QStringLiteral("Товрин"); }

std::unique_ptr<Reporter> makeMessageBoxReporter()
{
    return std::make_unique<MessageBoxReporter>();
}

} // namespace tovrin
