// The main window: its design, the control-state tick, the input line, ENTER and the turn,
// the sanitiser, the error guard and what the dialogue turn sees of the window.
#include "app/mainwindow.h"

#include "app/editorwindow.h"
#include "app/mainwindowdesign.h"
#include "app/messagebox.h"
#include "app/platform.h"
#include "ui/transcript.h"
#include "engine/clockdice.h"
#include "input/keyboardwindow.h"
#include "kb/knowledge.h"
#include "ui/aboutwindow.h"
#include "ui/appearance.h"
#include "ui/captions.h"
#include "ui/cues.h"
#include "ui/fullscreen.h"
#include "ui/look.h"
#include "ui/pickers.h"
#include "ui/statustext.h"
#include "ui/window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <utility>

namespace tovrin {

struct Form1TimerRow {
    int interval;
    bool running;
    void (TForm1::*tick)();
};

enum class Form1Check { None, Off, On };

// The menu in display order. A row either opens a submenu (menu) or is an entry (action);
// parent is the menu it lies in, nullptr for the menu bar. "-" is a separator line; two of
// them carry shortcuts and act only through these.
struct Form1MenuRow {
    const char* name; // the object name of the menu or entry
    QMenu* Form1Controls::*parent;
    QMenu* Form1Controls::*menu;
    QAction* Form1Controls::*action;
    const QString& caption; // form1::Separator for a separator line
    const QString* shortcut;
    Form1Check check;
    void (TForm1::*click)();
    const LookCommand* look = nullptr; // a colour or font command: Appearance runs it
};

// The window's wiring: its timers and its menu, each with the handler it runs (the handlers
// are the window's own: this is the one place outside it that names them).
struct Form1Wiring {
    // T1 .. T10
    static inline const Form1TimerRow Timers[10] = {
        {1, true, &TForm1::T1Timer}, // control state and focus
        {1000, true, &TForm1::T2Timer}, // idle seconds
        {1, true, &TForm1::T3Timer}, // knowledge counts, once
        {1, false, &TForm1::T4Timer}, // shrink-and-close
        {1, true, &TForm1::T5Timer}, // input sanitiser
        {1, false, &TForm1::T6Timer}, // exchange-file poll
        {1, true, &TForm1::T7Timer}, // shake, then the greeting
        {1000, true, &TForm1::T8Timer}, // menu counts, once
        {1000, false, &TForm1::T9Timer}, // delayed remark
        {1, false, &TForm1::T10Timer}, // greeting
    };

    using C = Form1Controls;
    using Check = Form1Check;
    using F = TForm1;
    static inline const Form1MenuRow Menu[] = {
        {"N1", nullptr, &C::N1, nullptr, form1::N1Caption, nullptr, Check::None, nullptr},
        {"N2", &C::N1, nullptr, &C::N2, form1::N2Caption, nullptr, Check::None, &F::N2Click},
        {"N23", &C::N1, nullptr, &C::N23, form1::Separator, nullptr, Check::None, nullptr},
        {"N22", &C::N1, nullptr, &C::N22, form1::N22Caption, nullptr, Check::None, &F::N22Click},
        {"N17", &C::N1, &C::N17, nullptr, form1::N17Caption, nullptr, Check::None, nullptr},
        {"N18", &C::N17, nullptr, &C::N18, form1::N18Caption, nullptr, Check::None, nullptr},
        {"N19", &C::N17, nullptr, &C::N19, form1::N19Caption, nullptr, Check::None, nullptr},
        {"N20", &C::N17, nullptr, &C::N20, form1::N20Caption, nullptr, Check::None, nullptr},
        {"N3", &C::N1, nullptr, &C::N3, form1::Separator, nullptr, Check::None, nullptr},
        {"N4", &C::N1, nullptr, &C::N4, form1::N4Caption, nullptr, Check::None, &F::N4Click},

        {"N5", nullptr, &C::N5, nullptr, form1::N5Caption, nullptr, Check::None, nullptr},
        {"N6", &C::N5, nullptr, &C::N6, form1::N6Caption, nullptr, Check::None, nullptr, &look::N6},
        {"N21", &C::N5, nullptr, &C::N21, form1::N21Caption, nullptr, Check::None, nullptr,
         &look::N21},
        {"N16", &C::N5, nullptr, &C::N16, form1::N16Caption, nullptr, Check::None, nullptr,
         &look::N16},
        {"N9", &C::N5, nullptr, &C::N9, form1::N9Caption, nullptr, Check::None, nullptr, &look::N9},
        {"N15", &C::N5, nullptr, &C::N15, form1::Separator, &form1::N15Shortcut, Check::None,
         &F::N15Click},
        {"N7", &C::N5, &C::N7, nullptr, form1::N7Caption, nullptr, Check::None, nullptr},
        {"User1", &C::N7, nullptr, &C::User1, form1::User1Caption, nullptr, Check::None, nullptr,
         &look::User1},
        {"Cpu1", &C::N7, nullptr, &C::Cpu1, form1::Cpu1Caption, nullptr, Check::None, nullptr,
         &look::Cpu1},
        {"Mystring2", &C::N7, nullptr, &C::Mystring2, form1::Mystring2Caption, nullptr, Check::None,
         nullptr, &look::Mystring2},
        {"N36", &C::N5, nullptr, &C::N36, form1::Separator, &form1::N36Shortcut, Check::None,
         &F::N36Click},
        {"N10", &C::N5, &C::N10, nullptr, form1::N10Caption, nullptr, Check::None, nullptr},
        {"User2", &C::N10, nullptr, &C::User2, form1::User2Caption, nullptr, Check::None, nullptr,
         &look::User2},
        {"Cpu2", &C::N10, nullptr, &C::Cpu2, form1::Cpu2Caption, nullptr, Check::None, nullptr,
         &look::Cpu2},
        {"Mystring1", &C::N10, nullptr, &C::Mystring1, form1::Mystring1Caption, nullptr,
         Check::None, nullptr, &look::Mystring1},
        {"N8", &C::N5, nullptr, &C::N8, form1::Separator, nullptr, Check::None, nullptr},
        {"N13", &C::N5, nullptr, &C::N13, form1::N13Caption, nullptr, Check::On, &F::N13Click},
        {"N14", &C::N5, nullptr, &C::N14, form1::Separator, nullptr, Check::None, nullptr},
        {"N37", &C::N5, &C::N37, nullptr, form1::N37Caption, nullptr, Check::None, nullptr},
        {"CpuUser1", &C::N37, nullptr, &C::CpuUser1, form1::CpuUser1Caption, nullptr, Check::On,
         &F::CpuUser1Click},
        {"Cpu31", &C::N37, nullptr, &C::Cpu31, form1::Cpu31Caption, nullptr, Check::Off,
         &F::Cpu31Click},
        {"N38", &C::N5, nullptr, &C::N38, form1::N38Caption, nullptr, Check::None, &F::N38Click},
        {"N39", &C::N5, nullptr, &C::N39, form1::Separator, nullptr, Check::None, nullptr},
        {"N40", &C::N5, nullptr, &C::N40, form1::N40Caption, nullptr, Check::Off, &F::N40Click},

        {"N11", nullptr, &C::N11, nullptr, form1::N11Caption, nullptr, Check::None, nullptr},
        {"N12", &C::N11, nullptr, &C::N12, form1::N12Caption, nullptr, Check::None, &F::N12Click},
    };
};

namespace {

// N15 and N36 are separator lines that carry shortcuts. A menu would print the shortcut on
// the line; they are to look like every other separator.
class PlainSeparators : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QStyleOptionMenuItem plain;
        QProxyStyle::drawControl(element, plainSeparator(element, option, plain), painter, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        QStyleOptionMenuItem plain;
        const QStyleOption* used =
            type == CT_MenuItem ? plainSeparator(CE_MenuItem, option, plain) : option;
        return QProxyStyle::sizeFromContents(type, used, size, widget);
    }

private:
    static const QStyleOption* plainSeparator(ControlElement element, const QStyleOption* option,
                                              QStyleOptionMenuItem& plain)
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || !item ||
            item->menuItemType != QStyleOptionMenuItem::Separator)
            return option;
        plain = *item;
        plain.text.clear();
        return &plain;
    }
};

template <typename Control>
void setEnabledIfChanged(Control* control, bool enabled)
{
    if (control->isEnabled() != enabled)
        control->setEnabled(enabled);
}

} // namespace

TForm1::TForm1(Services services, QWidget* parent) : QMainWindow(parent), services_(services)
{
    // The cues come first: without them the program does not start.
    if (!services_.cues) {
        ownCues_ = openSoundCues();
        services_.cues = ownCues_.get();
    }
    if (!services_.dice) {
        ownDice_ = std::make_unique<ClockDice>();
        services_.dice = ownDice_.get();
    }
    if (!services_.pickers) {
        ownPickers_ = makeDialogPickers();
        services_.pickers = ownPickers_.get();
    }
    if (!services_.reporter) {
        ownReporter_ = makeMessageBoxReporter();
        services_.reporter = ownReporter_.get();
    }
    engine_ = std::make_unique<Engine>(*this, *services_.cues, *services_.dice);

    createControls();
    createActions();
    createMenus();
    createStatusBar();
    createTimers();

    FormCreate();
    createSecondaries();

    // Armed once everything exists, so that their first ticks find the whole program.
    startTimers();
}

TForm1::~TForm1()
{
    for (QTimer* t : T)
        t->stop();
    setBusy(false);
    // The secondary windows are windows of their own, not children of this one.
    delete Form4;
    delete Form3;
    delete Form2;
}

void TForm1::createControls()
{
    setWindowTitle(form1::Title);
    setWindowFlags(Qt::Tool);
    setFont(QFont(look::FontFace, look::FontSize));
    paintWindowFace(this);
    // A disabled caption is drawn in dark grey, so that it stays readable on silver.
    QPalette captions = palette();
    captions.setColor(QPalette::Disabled, QPalette::ButtonText, look::DisabledText);
    captions.setColor(QPalette::Disabled, QPalette::WindowText, look::DisabledText);
    setPalette(captions);

    auto* client = new QWidget(this);
    setCentralWidget(client);

    TabControl1 = new QWidget(client);
    TabControl1->setGeometry(form1::TabControl1);

    RE1 = new Transcript(TabControl1);
    RE1->setGeometry(form1::RE1);
    RE1->setToolTip(form1::RE1Hint);
    QPalette pane = RE1->palette();
    pane.setColor(QPalette::Base, look::Silver);
    RE1->setPalette(pane);
    RE1->viewport()->setCursor(Qt::ForbiddenCursor);

    Talk = new QPushButton(form1::TalkCaption, TabControl1);
    Talk->setGeometry(form1::Talk);
    Talk->setFocusPolicy(Qt::NoFocus);
    Talk->setDefault(true);

    TabControl2 = new QWidget(client);
    TabControl2->setGeometry(form1::TabControl2);
    TabControl2->setCursor(Qt::ForbiddenCursor);

    Input = new QLineEdit(TabControl2);
    Input->setGeometry(form1::Input);
    Input->setMaxLength(kInputLimit);
    Input->setToolTip(form1::InputHint);
    Input->setCursor(Qt::IBeamCursor);
    QPalette line = Input->palette();
    line.setColor(QPalette::Base, look::Silver);
    line.setColor(QPalette::Text, Qt::black);
    Input->setPalette(line);
    Input->installEventFilter(this);

    auto makeButton = [this](const QRect& place, const QString& caption, const QString& hint) {
        auto* button = new QToolButton(TabControl2);
        button->setGeometry(place);
        button->setText(caption);
        button->setToolTip(hint);
        button->setAutoRaise(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setEnabled(false);
        return button;
    };
    Cancel = makeButton(form1::Cancel, form1::CancelCaption, form1::CancelHint);
    setCaptionColour(Cancel, Qt::black);
    EnRus = makeButton(form1::EnRus, form1::EnRusCaption, form1::EnRusHint);
    Speak = makeButton(form1::Speak, form1::SpeakCaption, form1::SpeakHint);

    // Named as in the window design, so that anyone watching the window finds them by name.
    for (auto [control, name] : {std::pair<QWidget*, const char*>{TabControl1, "TabControl1"},
                                 {RE1, "RE1"},
                                 {Talk, "Talk"},
                                 {TabControl2, "TabControl2"},
                                 {Input, "Input"},
                                 {Cancel, "Cancel"},
                                 {EnRus, "EnRus"},
                                 {Speak, "Speak"}})
        control->setObjectName(QString::fromLatin1(name));

    connect(Input, &QLineEdit::textChanged, this, &TForm1::InputChange);
    connect(Cancel, &QToolButton::clicked, this, &TForm1::CancelClick);
    connect(EnRus, &QToolButton::clicked, this, &TForm1::EnRusClick);
    connect(Speak, &QToolButton::clicked, this, &TForm1::SpeakClick);
    connect(Talk, &QPushButton::clicked, this, &TForm1::TalkClick);
}

void TForm1::createActions()
{
    for (const auto& row : Form1Wiring::Menu) {
        if (!row.action)
            continue;
        auto* action = new QAction(this);
        this->*row.action = action;
        action->setObjectName(QString::fromLatin1(row.name));
        if (row.caption == form1::Separator)
            action->setSeparator(true);
        else
            action->setText(row.caption);
        if (row.shortcut)
            action->setShortcut(QKeySequence(*row.shortcut));
        if (row.check != Form1Check::None) {
            action->setCheckable(true);
            action->setChecked(row.check == Form1Check::On);
        }
        if (row.look) {
            connect(action, &QAction::triggered, this,
                    [this, look = row.look] { appearance_->pick(*look); });
            continue;
        }
        const auto click = row.click;
        if (!click)
            continue;
        if (action->isCheckable()) {
            // A check mark is state that only the handler sets: undo the toggle that the
            // choosing itself made before the handler runs.
            connect(action, &QAction::triggered, this, [this, action, click](bool checked) {
                action->setChecked(!checked);
                (this->*click)();
            });
        } else {
            connect(action, &QAction::triggered, this, click);
        }
    }
    // Ctrl+Z follows the transcript, which is empty at start.
    N15->setEnabled(false);
}

void TForm1::createMenus()
{
    for (const auto& row : Form1Wiring::Menu) {
        QMenu* parentMenu = row.parent ? this->*row.parent : nullptr;
        if (row.menu) {
            this->*row.menu =
                parentMenu ? parentMenu->addMenu(row.caption) : menuBar()->addMenu(row.caption);
            (this->*row.menu)->setObjectName(QString::fromLatin1(row.name));
        } else {
            parentMenu->addAction(this->*row.action);
        }
    }
    auto* plain = new PlainSeparators;
    plain->setParent(N5);
    N5->setStyle(plain);

    appearance_ = std::make_unique<Appearance>(
        services_.pickers, Appearance::Controls{this, RE1, Input, {Speak, Cancel, EnRus}, N13});
    fullScreen_ =
        new FullScreen({this, TabControl1, RE1, TabControl2, Input, Cancel, EnRus, Speak, N40});
}

void TForm1::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(form1::StatusBarHeight);
    bar->setToolTip(form1::StatusBarHint);
    bar->setCursor(Qt::WhatsThisCursor);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 2)
            panel->setFixedWidth(form1::PanelWidths[i]);
        bar->addWidget(panel, i < 2 ? 0 : 1);
        panel->setObjectName(QStringLiteral("SB1Panel%1").arg(i));
        SB1Panels[i] = panel;
    }
    setStatusPanelText(SB1Panels[2], form1::CpuUserPanel);

    // The client area lies below the menu bar.
    setFixedSize(form1::Client.width(), menuBar()->sizeHint().height() + form1::Client.height());
}

void TForm1::createSecondaries()
{
    Form2 = new TForm2(this);
    connect(Form2, &TForm2::settingsChanged, N13, [this] { N13->setChecked(false); });
    Form3 = new TForm3(this);
    Form4 = new TForm4(this, Input);
    connect(Form4, &TForm4::speakPressed, this, &TForm1::SpeakClick);
}

void TForm1::createTimers()
{
    for (int i = 0; i < 10; ++i) {
        T[i] = new QTimer(this);
        T[i]->setObjectName(QStringLiteral("T%1").arg(i + 1));
        T[i]->setInterval(pacedInterval(Form1Wiring::Timers[i].interval));
        connect(T[i], &QTimer::timeout, this, Form1Wiring::Timers[i].tick);
    }
}

void TForm1::startTimers()
{
    for (int i = 0; i < 10; ++i)
        if (Form1Wiring::Timers[i].running)
            T[i]->start();
}

void TForm1::FormCreate()
{
    guarded([this] { engine().LoadKnowledgeAtStart(); });
}

void TForm1::centreAtFirstShowing()
{
    // The client area is what is centred: the window manager tells the frame around it only
    // some time after the first showing, and the shake must bring the window back to the very
    // place where it first showed.
    if (const QScreen* desktop = screen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        desktop->availableGeometry()));
}

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // A click on the disabled main window makes the window manager give it the keyboard,
    // where nothing takes a key: the keyboard goes back to the window that is open over it
    // (or to a message shown meanwhile), as it would to a modal one.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isEnabled()) {
        QWidget* open = QApplication::activeModalWidget();
        if (!open && secondary_ && secondary_->isVisible())
            open = secondary_;
        if (open)
            QTimer::singleShot(0, open, [open] {
                open->raise();
                open->activateWindow();
            });
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!centred_) {
        centred_ = true;
        centreAtFirstShowing();
    }
}

void TForm1::openSecondary(QWidget* window)
{
    timer(Timer::T1)->stop();
    setEnabled(false);
    // Kept above the main window by the window manager, so that a click on the disabled main
    // window cannot bury it, and closed only by its own buttons.
    withoutCloseBox(window);
    window->winId();
    window->windowHandle()->setTransientParent(windowHandle());
    window->show();
    window->setEnabled(true);
    window->raise();
    window->activateWindow();
    secondary_ = window;
}

void TForm1::closeSecondary(QWidget* window)
{
    if (secondary_ == window)
        secondary_ = nullptr;
    timer(Timer::T1)->start();
    setEnabled(true);
    window->hide();
    activateWindow();
}

// ---- control state, input, ENTER and the turn

void TForm1::T1Timer()
{
    // Recomputed from scratch on every tick, but only what differs is touched: the tick runs
    // every millisecond.
    const bool hasText = !Input->text().isEmpty();
    setEnabledIfChanged(Speak, hasText);
    setEnabledIfChanged(EnRus, hasText);
    setEnabledIfChanged(Talk, hasText);
    const bool hasLines = RE1->count() > 0;
    setEnabledIfChanged(Cancel, hasLines);
    setEnabledIfChanged(N15, hasLines);
    if (focusWidget() != Input)
        Input->setFocus();
}

void TForm1::T5Timer()
{
    const QString text = Input->text();
    if (text.isEmpty())
        return; // the sweep waits where it is
    if (text != sweptInput_) {
        sweptInput_ = text;
        sweptInputCp_ = typedToCp1251(text);
    }
    if (engine().SanitiseTick(sweptInputCp_)) {
        RE1->setEnabled(false);
        Input->clear();
    }
}

void TForm1::InputChange()
{
    const QString text = Input->text();
    if (text == heardInput_)
        return;
    heardInput_ = text;
    services_.cues->play(Cue::MP1);
}

void TForm1::TalkClick() { SpeakClick(); }

void TForm1::SpeakClick()
{
    guarded([this] { engine().SpeakClick(); });
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // The window's default button: ENTER presses Talk exactly while Talk is enabled.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (Talk->isEnabled())
            TalkClick();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // The input line would keep Ctrl+Z (its own undo) for itself; in this window the keys of
    // the menu's shortcuts belong to the menu. While an entry is disabled its key does
    // nothing at all: it does not reach the line either, whose own undo would bring the phrase
    // last sent back (and its redo likewise).
    if (watched == Input &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        const bool menuKey =
            (N15 && pressed == N15->shortcut()) || (N36 && pressed == N36->shortcut());
        if (event->type() == QEvent::ShortcutOverride && menuKey) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            (menuKey || key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // While a secondary window is open the main window takes no input, and that includes the
    // window manager's close box and Alt+F4: the program's own exit still closes it.
    if (event->spontaneous() && !isEnabled()) {
        event->ignore();
        return;
    }
    // The close box ends the program without writing the dialogue log; nothing of it may go
    // on ticking or stay open.
    for (QTimer* t : T)
        t->stop();
    for (QWidget* w :
         {static_cast<QWidget*>(Form2), static_cast<QWidget*>(Form3), static_cast<QWidget*>(Form4)})
        if (w)
            w->hide();
    event->accept();
    // A tool window does not count as the application's last window: end the event loop
    // here (outside it, as in the tests, this does nothing).
    QCoreApplication::quit();
}

// ---- the error guard

void TForm1::guarded(const std::function<void()>& handler) { attempt(handler); }

void TForm1::showMessage(const QString& message, QWidget* over)
{
    services_.reporter->showError(message, over);
}

TForm1::Outcome TForm1::attempt(const std::function<void()>& handler, bool show)
{
    QString message;
    try {
        handler();
        return Outcome::Done;
    } catch (const std::exception& e) {
        message = errorMessage(e);
    }
    return show ? report(message) : Outcome::Suppressed;
}

TForm1::Outcome TForm1::report(const QString& message)
{
    // The message box runs an event loop of its own in which the timers go on: their errors
    // are not stacked on top of the one being shown.
    if (reporting_)
        return Outcome::Suppressed;
    reporting_ = true;
    services_.reporter->showError(message, this);
    reporting_ = false;
    return Outcome::Reported;
}

// ---- what the turn sees of the window

void TForm1::appendLine(const QString& line, LineStyle style)
{
    appearance_->prepareLine(style);
    RE1->appendLine(line);
}

void TForm1::setStatusText(int panel, const QString& text)
{
    if (SB1Panels[panel]->text() != text)
        setStatusPanelText(SB1Panels[panel], text);
}

void TForm1::appendTranscript(const std::string& line, LineStyle style)
{
    appendLine(fromCp1251(line), style);
}

int TForm1::transcriptCount() const { return RE1->count(); }

std::string TForm1::transcriptLine(int index) const { return toCp1251(RE1->line(index)); }

void TForm1::setBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TForm1::setTimerEnabled(Timer t, bool enabled)
{
    QTimer* tm = timer(t);
    if (!enabled)
        tm->stop();
    else if (!tm->isActive())
        tm->start();
}

bool TForm1::timerEnabled(Timer t) const { return timer(t)->isActive(); }

// What a turn means, as the window's timers: a farewell starts the shrink-and-close (T4), an
// armed delayed remark ticks on T9, the greeting's attempts run on T10.
void TForm1::setFarewell(bool said) { setTimerEnabled(Timer::T4, said); }

void TForm1::setDelayedRemarkArmed(bool armed) { setTimerEnabled(Timer::T9, armed); }

void TForm1::greetingDone() { setTimerEnabled(Timer::T10, false); }

std::string TForm1::inputText() const { return typedToCp1251(Input->text()); }

void TForm1::clearInput() { Input->clear(); }

bool TForm1::cpuCpuMode() const { return Cpu31->isChecked(); }

std::string TForm1::exchangePath() const
{
    if (!Form2)
        return files::DefaultExchange;
    return toCp1251(Form2->exchangePath());
}

} // namespace tovrin
