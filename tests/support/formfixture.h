#pragma once
// A main window with recording doubles for everything that sounds, draws dice, opens
// dialogs or shows errors. Its timers are stopped at once: tests tick them by hand.
#include "app/editorwindow.h"
#include "app/mainwindow.h"
#include "ui/appearance.h"
#include "ui/transcript.h"
#include "kb/cp1251.h"
#include "support/guisupport.h"
#include "support/testsupport.h"

#include <QTimer>
#include <memory>

namespace tovrin::test {

struct FormFixture {
    RecordingCues cues;
    ScriptedDice dice;
    ScriptedPickers pickers;
    RecordingReporter reporter;
    std::unique_ptr<TForm1> form;

    explicit FormFixture(bool stopTimers = true)
        : form(std::make_unique<TForm1>(Services{&cues, &dice, &pickers, &reporter}))
    {
        if (stopTimers)
            for (QTimer* t : form->ui().T)
                t->stop();
    }
    TForm1* operator->() const { return form.get(); }
    TForm1& operator*() const { return *form; }
};

// A main window started in a scratch working folder of its own (with no Base folder unless the
// test writes one), with its doubles at hand.
struct ScratchForm {
    ScratchDir dir;
    FormFixture window;
    TForm1& form = *window;
    ScriptedPickers& pickers = window.pickers;
    RecordingReporter& reporter = window.reporter;
};

// A small Base folder with every file a turn, the counts and the exit use.
inline void writeBase(const ScratchDir& dir)
{
    dir.writeLines("Base\\Words.Dat", {"// База знаний", "ПРИВЕТ^Здравствуй!;", "КАК ДЕЛА^Хорошо.;"});
    dir.writeLines("Base\\W1.Dat", {"Почему ты спрашиваешь?"});
    dir.writeLines("Base\\W2.Dat", {"Интересно."});
    dir.writeLines("Base\\Povtor.Dat", {"Ты повторяешься."});
    dir.writeLines("Base\\X.Dat", {"Не ругайся."});
    dir.writeLines("Base\\BigString.Dat", {"Длинно говоришь."});
    dir.writeLines("Base\\Pause.Dat", {"Молчишь?"});
    dir.writeLines("Base\\Begin.dat", {"Здравствуй, я Товрин."});
    dir.writeLines("Base\\AI.dat", {"Кстати, о погоде."});
    dir.writeLines("Base\\Collection.Dat", {});
    dir.writeLines("Base\\Log.Tovrin", {});
}

// The transcript's lines, in UTF-8.
inline QStringList transcriptLines(const TForm1& form)
{
    QStringList lines;
    for (int i = 0; i < form.ui().RE1->count(); ++i)
        lines << form.ui().RE1->line(i);
    return lines;
}

// The dialogue log's lines, in UTF-8.
inline QStringList logLines(TForm1& form)
{
    QStringList lines;
    for (const auto& l : form.engine().state().Log.lines())
        lines << QString::fromStdString(cp1251::toUtf8(l));
    return lines;
}

inline std::string cpOf(const QString& s)
{
    return cp1251::fromUtf8(s.toStdString());
}

} // namespace tovrin::test
