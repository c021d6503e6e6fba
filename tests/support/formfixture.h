#pragma once
// A main window with recording doubles for everything that sounds, draws dice, opens
// dialogs or shows errors. Its timers are stopped at once: tests tick them by hand.
#include "app/editorwindow.h"
#include "input/keyboardwindow.h"
#include "ui/aboutwindow.h"
#include "app/mainwindow.h"
#include "ui/appearance.h"
#include "ui/transcript.h"
#include "kb/cp1251.h"
#include "support/guisupport.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace tovrin::test {

// A control of a window by its object name, the name of the window design, as anyone watching
// the window finds it. A name that is not there ends the test program at once.
template <typename T>
T* child(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(window.objectName()),
               T::staticMetaObject.className(), name);
    return found;
}

// A secondary window of the main window (the editor "Form2", the about window "Form3", the
// keyboard "Form4"), among the windows open or hidden.
template <typename T>
T* secondary(const TForm1& form, const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w);
            found && found->objectName() == QLatin1String(name) && found->owner() == &form)
            return found;
    qFatal("no window named %s", name);
}

// The main window's controls that the tests use most.
inline QLineEdit* inputOf(const TForm1& form) { return child<QLineEdit>(form, "Input"); }
inline Transcript* transcriptOf(const TForm1& form) { return child<Transcript>(form, "RE1"); }
inline QToolButton* buttonOf(const TForm1& form, const char* name)
{
    return child<QToolButton>(form, name);
}
inline QPushButton* talkOf(const TForm1& form) { return child<QPushButton>(form, "Talk"); }
inline QAction* actionOf(const TForm1& form, const char* name)
{
    return child<QAction>(form, name);
}
inline QMenu* menuOf(const TForm1& form, const char* name) { return child<QMenu>(form, name); }
inline QLabel* panelOf(const TForm1& form, int panel)
{
    return child<QLabel>(form, QStringLiteral("SB1Panel%1").arg(panel).toLatin1().constData());
}
// Timer Tn, n from 1 to 10.
inline QTimer* timerOf(const TForm1& form, int n)
{
    return child<QTimer>(form, QStringLiteral("T%1").arg(n).toLatin1().constData());
}
inline QList<QTimer*> timersOf(const TForm1& form)
{
    QList<QTimer*> timers;
    for (int n = 1; n <= 10; ++n)
        timers << timerOf(form, n);
    return timers;
}
inline TForm2* editorOf(const TForm1& form) { return secondary<TForm2>(form, "Form2"); }
inline TForm3* aboutOf(const TForm1& form) { return secondary<TForm3>(form, "Form3"); }
inline TForm4* keyboardOf(const TForm1& form) { return secondary<TForm4>(form, "Form4"); }

// One tick of a timer, running or not, as the event loop would deliver it.
inline void tick(QTimer* timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}
inline void tick(const TForm1& form, int n) { tick(timerOf(form, n)); }

// What the engine sees of the main window.
inline Host& hostOf(TForm1& form) { return form; }

// A turn as the user takes it: the phrase typed into the input line, the control-state tick
// that enables «Сказать», and a press of it.
inline void say(TForm1& form, const QString& phrase)
{
    inputOf(form)->setText(phrase);
    tick(form, 1);
    buttonOf(form, "Speak")->click();
}

// An undo as the user makes it: the control-state tick that enables "<", and a press of it.
inline void undo(TForm1& form)
{
    tick(form, 1);
    buttonOf(form, "Cancel")->click();
}

// Starts a stopped timer or stops a running one; a running timer is not restarted.
inline void setRunning(QTimer* timer, bool on)
{
    if (!on)
        timer->stop();
    else if (!timer->isActive())
        timer->start();
}

struct FormFixture {
    RecordingCues cues;
    ScriptedDice dice;
    ScriptedPickers pickers;
    RecordingReporter reporter;
    std::unique_ptr<TForm1> form;

    explicit FormFixture(bool stopTimers = true) :
        form(std::make_unique<TForm1>(Services{&cues, &dice, &pickers, &reporter}))
    {
        if (stopTimers)
            for (QTimer* t : timersOf(*form))
                t->stop();
    }
    TForm1* operator->() const { return form.get(); }
    TForm1& operator*() const { return *form; }
};

// A small Base folder with every file a turn, the counts and the exit use.
inline void writeBase(const ScratchDir& dir)
{
    dir.writeLines("Base\\Words.Dat",
                   {"// База знаний", "ПРИВЕТ^Здравствуй!;", "КАК ДЕЛА^Хорошо.;"});
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

// What the scratch working folder of a window test starts with.
enum class Folder {
    Empty, // nothing: no Base folder unless the test writes one
    SmallBase, // the small Base of writeBase
    Delivered, // a copy of the delivered data
};

struct WorkFolder : ScratchDir {
    explicit WorkFolder(Folder folder) : ScratchDir(folder == Folder::Delivered)
    {
        if (folder == Folder::SmallBase)
            writeBase(*this);
    }
};

// A main window started in a scratch working folder of its own, with its doubles at hand; its
// timers rest until a test starts them.
struct ScratchForm {
    explicit ScratchForm(Folder folder = Folder::Empty) : dir(folder) {}

    WorkFolder dir;
    FormFixture window;
    TForm1& form = *window;
    RecordingCues& cues = window.cues;
    ScriptedPickers& pickers = window.pickers;
    RecordingReporter& reporter = window.reporter;

    // The cues heard so far, as "MP3 MP1".
    QString heard() const
    {
        QStringList names;
        for (Cue cue : cues.played)
            names << QStringLiteral("MP%1").arg(int(cue) + 1);
        return names.join(u' ');
    }
};

// The transcript's lines, in UTF-8.
inline QStringList transcriptLines(const TForm1& form)
{
    QStringList lines;
    for (int i = 0; i < transcriptOf(form)->count(); ++i)
        lines << transcriptOf(form)->line(i);
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

inline std::string cpOf(const QString& s) { return cp1251::fromUtf8(s.toStdString()); }

} // namespace tovrin::test
