#pragma once
// The main window: the transcript, the input line with its buttons, the status bar, the menu
// and the ten timers. Its handlers live in the files of their topics:
//   app/mainwindow.cpp   construction, control state (T1), input, ENTER, the turn, sanitiser
//   app/dialogue.cpp     undo, new dialogue, exit
//   app/statistics.cpp   the knowledge counts (T3, T8)
//   app/modes.cpp        Cpu\User and Cpu\Cpu, the exchange-file poll (T6), the editor
//   app/remarks.cpp      idle remark, greeting, delayed remark (T2, T10, T9)
//   app/animations.cpp   the shake (T7) and the shrink-and-close (T4)
//   app/settings.cpp     the commands that forward to the look (ui/appearance), full screen
//                        (ui/fullscreen), the about window, layout correction (input/correction)
//                        and the virtual keyboard
#include "app/services.h"
#include "app/shrinkpath.h"
#include "engine/engine.h"
#include "engine/host.h"
#include "ui/secondary.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;
class QWidget;

namespace tovrin {

// The window's timers, T1 .. T10.
enum class Timer { T1, T2, T3, T4, T5, T6, T7, T8, T9, T10 };

class Appearance;
class FullScreen;
class Transcript;
class TForm2;
class TForm3;
class TForm4;
struct Form1Wiring;

// The main window's controls, named as in the window design. Only the window creates, changes
// and sees them; each bears its name as its object name.
struct Form1Controls {
    QWidget* TabControl1 = nullptr; // upper panel, holds RE1 and Talk
    Transcript* RE1 = nullptr; // the dialogue transcript
    QWidget* TabControl2 = nullptr; // lower bar, holds the input line and its buttons
    QLineEdit* Input = nullptr; // the input line, 255 characters at most
    QToolButton* Cancel = nullptr; // "<": undoes the last line
    QToolButton* EnRus = nullptr; // "E/R": layout correction
    QToolButton* Speak = nullptr; // "Сказать": submits the phrase
    QPushButton* Talk = nullptr; // out of view: the default button, ENTER presses it
    QLabel* SB1Panels[3] = {}; // status bar SB1: counting, knowledge counts, mode

    // The menu bar and its submenus
    QMenu* N1 = nullptr; // &Система
    QMenu* N17 = nullptr; // Система → &Подробнее о базе:
    QMenu* N5 = nullptr; // &Настройки
    QMenu* N7 = nullptr; // Настройки → Цвет &реплик
    QMenu* N10 = nullptr; // Настройки → &Параметры шрифта
    QMenu* N37 = nullptr; // Настройки → &Режим
    QMenu* N11 = nullptr; // С&правка

    // Система
    QAction* N2 = nullptr; // &Новый диалог: clears the transcript and the dialogue log
    QAction* N23 = nullptr; // separator
    QAction* N22 = nullptr; // &Вызвать виртуальную клавиатуру: opens Form4
    QAction* N18 = nullptr; // Подробнее о базе → &Входящие выражения: [count]
    QAction* N19 = nullptr; // Подробнее о базе → &Исходящие выражения: [count]
    QAction* N20 = nullptr; // Подробнее о базе → &Итого: [count]
    QAction* N3 = nullptr; // separator
    QAction* N4 = nullptr; // В&ыход: writes the dialogue log and closes

    // Настройки
    QAction* N6 = nullptr; // &Цвет основного фона: the window's background
    QAction* N21 = nullptr; // Ц&вет фона поля вывода реплик: the transcript's background
    QAction* N16 = nullptr; // Цв&ет фона поля ввода реплик: the input line's background
    QAction* N9 = nullptr; // Цве&т шрифтов кнопок на панели: the buttons' captions
    QAction* N15 = nullptr; // separator carrying Ctrl+Z: undo
    QAction* User1 = nullptr; // Цвет реплик → &User: colour of the user's lines
    QAction* Cpu1 = nullptr; // Цвет реплик → &Cpu: colour of the program's lines
    QAction* Mystring2 = nullptr; // Цвет реплик → &My string: the input line's text colour
    QAction* N36 = nullptr; // separator carrying Ctrl+S: layout correction
    QAction* User2 = nullptr; // Параметры шрифта → &User: font of the user's lines
    QAction* Cpu2 = nullptr; // Параметры шрифта → &Cpu: font of the program's lines
    QAction* Mystring1 = nullptr; // Параметры шрифта → &My string: the input line's font
    QAction* N8 = nullptr; // separator
    QAction* N13 = nullptr; // Вернуть первоначальные настройки: checked while untouched
    QAction* N14 = nullptr; // separator
    QAction* CpuUser1 = nullptr; // Режим → &Cpu\User: the user talks (checked at start)
    QAction* Cpu31 = nullptr; // Режим → C&pu\Cpu: phrases come from the exchange file
    QAction* N38 = nullptr; // Ре&дактор: opens the exchange-file editor Form2
    QAction* N39 = nullptr; // separator
    QAction* N40 = nullptr; // &Full Screen: checked while maximised

    // Справка
    QAction* N12 = nullptr; // &О программе...: opens the about window Form3

    // Timers T1 .. T10 (index 0 is T1); what each drives is told at its handler.
    QTimer* T[10] = {};

    // The secondary windows, created hidden after FormCreate.
    TForm2* Form2 = nullptr; // Редактор
    TForm3* Form3 = nullptr; // О программе
    TForm4* Form4 = nullptr; // Виртуальная клавиатура

    // The step counter of the shrink-and-close.
    int Tag = 0;
};

class TForm1 : public QMainWindow, public Host, public SecondaryHost, private Form1Controls {
    Q_OBJECT
    friend struct Form1Wiring;

public:
    explicit TForm1(Services services = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // For those that watch the window (the tests, the bench): the look, the dialogue's engine
    // (whose own operations bring a dialogue to where a test needs it) and the services. The
    // controls are the window's own: watchers find them by their object names, the names of
    // the window design ("Input", "RE1", "Speak", "N13", "T1", "SB1Panel0" ...).
    Appearance& appearance() { return *appearance_; }
    Engine& engine() { return *engine_; }
    Services& services() { return services_; }

    // Told the window's place after every jump of the shake (tests watch the jumps with it).
    std::function<void(const QPoint&)> onShakeJump;

    // The shrink-and-close's step: 0 until it begins, its last step once it has ended.
    int shrinkStep() const { return Tag; }

private slots:
    // app/mainwindow.cpp
    void FormCreate();
    void T1Timer();
    void T5Timer();
    void InputChange();
    void TalkClick();
    void SpeakClick();
    // app/dialogue.cpp
    void CancelClick();
    void N15Click();
    void N2Click();
    void N4Click();
    // app/statistics.cpp
    void T3Timer();
    void T8Timer();
    // app/modes.cpp
    void CpuUser1Click();
    void Cpu31Click();
    void N38Click();
    void T6Timer();
    // app/remarks.cpp
    void T2Timer();
    void T9Timer();
    void T10Timer();
    // app/animations.cpp
    void T7Timer();
    void T4Timer();
    // app/settings.cpp
    void N13Click();
    void N40Click();
    void N12Click();
    void EnRusClick();
    void N36Click();
    void N22Click();

private:
    QTimer* timer(Timer t) const { return T[static_cast<int>(t)]; }
    // Enabling a running timer never restarts it.
    void setTimerEnabled(Timer timer, bool enabled);
    bool timerEnabled(Timer timer) const;

    // The exit itself: appends the dialogue log block to Base\Log.Tovrin and closes the window.
    // Throws FileError and leaves everything as it was when the log cannot be written.
    void writeLogAndClose();

    // ---- SecondaryHost
    // While a secondary window is open the main window takes no input and T1 rests; its
    // closing buttons give both back.
    void openSecondary(QWidget* window);
    void closeSecondary(QWidget* window) override;
    void guarded(const std::function<void()>& handler) override;
    void showMessage(const QString& message, QWidget* over) override;
    QWidget* mainWindow() override { return this; }

    // ---- Host
    void appendTranscript(const std::string& line, LineStyle style) override;
    int transcriptCount() const override;
    std::string transcriptLine(int index) const override;
    void setBusy(bool busy) override;
    void setFarewell(bool said) override;
    void setDelayedRemarkArmed(bool armed) override;
    void greetingDone() override;
    std::string inputText() const override;
    void clearInput() override;
    bool cpuCpuMode() const override;
    std::string exchangePath() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createActions();
    void createMenus();
    void createStatusBar();
    void createTimers();
    void createSecondaries();
    void startTimers();

    // How a guarded run ended. A failure is shown only when show is set and no other message
    // is open; otherwise it is Suppressed (not shown).
    enum class Outcome { Done, Reported, Suppressed };
    Outcome attempt(const std::function<void()>& handler, bool show = true);
    Outcome report(const QString& message);

    // Whether the window manager frames the window (X11), and whether Qt knows that frame.
    bool managedFrame() const;
    bool frameKnown() const;
    QElapsedTimer frameWait_;
    int frameKnownTicks_ = 0;

    // Places the window in the centre of the desktop at its first showing.
    void centreAtFirstShowing();
    void appendLine(const QString& line, LineStyle style);
    void setStatusText(int panel, const QString& text);

    bool centred_ = false;
    // The secondary window that is open, which keeps the keyboard while it is.
    QWidget* secondary_ = nullptr;
    // Where the shrink-and-close has put the window (app/animations.cpp).
    ShrinkPath shrinkPath_;
    // The exchange-file poll shows a failure once and again only after a success.
    bool pollFailed_ = false;
    // The input line as InputChange last heard it, and as T5 last converted it.
    QString heardInput_;
    QString sweptInput_;
    std::string sweptInputCp_;

    Services services_;
    std::unique_ptr<CuePlayer> ownCues_;
    std::unique_ptr<Dice> ownDice_;
    std::unique_ptr<Pickers> ownPickers_;
    std::unique_ptr<Reporter> ownReporter_;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<Appearance> appearance_;
    FullScreen* fullScreen_ = nullptr;
    bool busy_ = false;
    bool reporting_ = false;

    // app/remarks.cpp: a remark that keeps failing on its timer is reported once, until it
    // succeeds again. The tick returns whether it succeeded.
    void guardedOnce(bool& reported, const std::function<bool()>& tick);
    bool idleRemarkReported_ = false;
    bool greetingReported_ = false;
};

} // namespace tovrin
