#pragma once
// The main window: the transcript, the input line with its buttons, the status bar, the menu
// and the ten timers. Its handlers are spread over the files of their topics:
//   app/mainwindow.cpp   construction, control state (T1), input, ENTER, the turn, sanitiser
//   app/dialogue.cpp     undo, new dialogue, exit
//   app/statistics.cpp   the knowledge counts (T3, T8)
//   app/modes.cpp        Cpu\User and Cpu\Cpu, the exchange-file poll (T6), the editor
//   app/remarks.cpp      idle remark, greeting, delayed remark (T2, T10, T9)
//   app/animations.cpp   the shake (T7) and the shrink-and-close (T4)
//   ui/appearance.cpp    colours, fonts and the restore of the initial settings
//   ui/fullscreen.cpp    full screen
//   ui/aboutclick.cpp    opening the about window
//   input/keyboardclick.cpp  layout correction and opening the virtual keyboard
#include "app/services.h"
#include "app/shrinkpath.h"
#include "engine/engine.h"
#include "engine/host.h"

#include <QMainWindow>
#include <QColor>
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

class Transcript;
class TForm2;
class TForm3;
class TForm4;

class TForm1 : public QMainWindow, public Host {
    Q_OBJECT

public:
    explicit TForm1(Services services = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- controls (named as in the window design)
    QWidget* TabControl1 = nullptr; // upper panel
    Transcript* RE1 = nullptr;
    QWidget* TabControl2 = nullptr; // lower bar
    QLineEdit* Input = nullptr;
    QToolButton* Cancel = nullptr;
    QToolButton* EnRus = nullptr;
    QToolButton* Speak = nullptr;
    QPushButton* Talk = nullptr;
    QLabel* SB1Panels[3] = {};      // status bar SB1, panels 0..2

    // menus and entries
    QMenu* N1 = nullptr;  // &Система
    QMenu* N5 = nullptr;  // &Настройки
    QMenu* N11 = nullptr; // С&правка
    QMenu* N17 = nullptr; // &Подробнее о базе:
    QMenu* N7 = nullptr;  // Цвет &реплик
    QMenu* N10 = nullptr; // &Параметры шрифта
    QMenu* N37 = nullptr; // &Режим
    QAction *N2 = nullptr, *N23 = nullptr, *N22 = nullptr, *N18 = nullptr, *N19 = nullptr,
            *N20 = nullptr, *N3 = nullptr, *N4 = nullptr;
    QAction *N6 = nullptr, *N21 = nullptr, *N16 = nullptr, *N9 = nullptr, *N15 = nullptr,
            *User1 = nullptr, *Cpu1 = nullptr, *Mystring2 = nullptr, *N36 = nullptr,
            *User2 = nullptr, *Cpu2 = nullptr, *Mystring1 = nullptr, *N8 = nullptr,
            *N13 = nullptr, *N14 = nullptr, *CpuUser1 = nullptr, *Cpu31 = nullptr,
            *N38 = nullptr, *N39 = nullptr, *N40 = nullptr;
    QAction* N12 = nullptr;

    // timers T1..T10 (index 0 is T1)
    QTimer* T[10] = {};
    QTimer* timer(Timer t) const { return T[static_cast<int>(t)]; }

    // the pickers' values
    QColor ColorDialog1 = Qt::black; // the shared colour
    QColor ColorDialog2 = Qt::black; // user lines
    QColor ColorDialog3 = Qt::black; // program lines
    FontChoice FontDialog1;          // user lines
    FontChoice FontDialog2;          // program lines
    FontChoice FontDialog3;          // the input line (8 points only)

    // the secondary windows, created hidden after FormCreate
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;

    // the step counter of the shrink-and-close
    int Tag = 0;

    // Told the window's place after every jump of the shake (tests watch the jumps with it).
    std::function<void(const QPoint&)> onShakeJump;

    Engine& engine() { return *engine_; }
    Services& services() { return services_; }

    // The exit itself: appends the dialogue log block to Base\Log.Tovrin and closes the window.
    // Throws FileError and leaves everything as it was when the log cannot be written.
    void writeLogAndClose();

    // Runs a handler with the file-error guard: an error is shown once and the program goes on.
    void guarded(const std::function<void()>& handler);

    // The rule of the secondary windows: while one is open the main window takes no input and
    // T1 rests; its closing buttons give both back.
    void openSecondary(QWidget* window);
    void closeSecondary(QWidget* window);

    // Enabling a running timer never restarts it.
    void setTimerEnabled(Timer timer, bool enabled);
    bool timerEnabled(Timer timer) const;

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

public slots:
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
    // ui/appearance.cpp
    void N6Click();
    void N21Click();
    void N16Click();
    void N9Click();
    void User1Click();
    void Cpu1Click();
    void Mystring2Click();
    void User2Click();
    void Cpu2Click();
    void Mystring1Click();
    void N13Click();
    // ui/fullscreen.cpp
    void N40Click();
    // ui/aboutclick.cpp
    void N12Click();
    // input/keyboardclick.cpp
    void EnRusClick();
    void N36Click();
    void N22Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createActions();
    void createMenus();
    void createStatusBar();
    void createTimers();
    void startTimers();

    // How a guarded run ended. A failure is shown only when show is set and no other message
    // is open; otherwise it is Suppressed (not shown).
    enum class Outcome { Done, Reported, Suppressed };
    Outcome attempt(const std::function<void()>& handler, bool show = true);
    Outcome report(const QString& message);

    // Places the window in the centre of the desktop at its first showing.
    void centreAtFirstShowing();
    void appendLine(const QString& line, LineStyle style);
    void setStatusText(int panel, const QString& text);

    bool centred_ = false;
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
    bool busy_ = false;
    bool reporting_ = false;

    // app/remarks.cpp: a remark that keeps failing on its timer is reported once, until it
    // succeeds again. The tick returns whether it succeeded.
    void guardedOnce(bool& reported, const std::function<bool()>& tick);
    bool idleRemarkReported_ = false;
    bool greetingReported_ = false;
};

} // namespace tovrin
