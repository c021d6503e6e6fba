// The main window's own turn: its input line filled and Speak pressed (SpeakClick), offscreen,
// with its timers stopped and its errors thrown back to the bench.
#include "fronts.h"

#include "app/mainwindow.h"
#include "app/services.h"
#include "kb/cp1251.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <stdexcept>

namespace tovrin::bench {

namespace {

class ThrowingReporter : public Reporter {
public:
    void showError(const QString& message, QWidget*) override { error = message.toStdString(); }
    std::string error;
};

class WindowFront : public Front {
public:
    WindowFront() : form_(Services{&cues_, &dice_, nullptr, &reporter_})
    {
        for (QTimer* t : form_.findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
            t->stop();
    }
    const char* name() const override { return "window"; }
    void prepare(const std::string& utf8Phrase, const std::string& lastReply) override
    {
        form_.engine().pickUpAfter(cp1251::fromUtf8(lastReply));
        // As the user does: the phrase in the input line, and the control-state tick (T1) that
        // enables "Сказать".
        form_.findChild<QLineEdit*>(QStringLiteral("Input"))
            ->setText(QString::fromStdString(utf8Phrase));
        QMetaObject::invokeMethod(form_.findChild<QTimer*>(QStringLiteral("T1")), "timeout",
                                  Qt::DirectConnection);
        speak_ = form_.findChild<QToolButton*>(QStringLiteral("Speak"));
    }
    void press() override
    {
        speak_->click();
        if (!reporter_.error.empty())
            throw std::runtime_error("the window's turn failed: " + reporter_.error);
    }
    std::string reply() override { return cp1251::toUtf8(form_.engine().state().CpuPhrase); }

private:
    SilentCues cues_;
    KnowledgeDice dice_;
    ThrowingReporter reporter_;
    TForm1 form_;
    QToolButton* speak_ = nullptr;
};

std::unique_ptr<QApplication> gApplication;

} // namespace

void startWindows(int& argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    gApplication = std::make_unique<QApplication>(argc, argv);
}

void stopWindows() { gApplication.reset(); }

std::unique_ptr<Front> makeWindowFront() { return std::make_unique<WindowFront>(); }

} // namespace tovrin::bench
