// The main window: its design, the control-state tick, the input line, ENTER and the turn,
// the sanitiser, the error guard and what the dialogue turn sees of the window.
#include "app/mainwindow.h"

#include "app/editorwindow.h"
#include "app/messagebox.h"
#include "app/platform.h"
#include "app/transcript.h"
#include "input/keyboardwindow.h"
#include "kb/cp1251.h"
#include "kb/fileerror.h"
#include "kb/knowledge.h"
#include "ui/aboutwindow.h"
#include "ui/captions.h"
#include "ui/cues.h"
#include "ui/pickers.h"
#include "ui/statustext.h"

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
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <chrono>
#include <random>

namespace tovrin {

namespace {

namespace design {
const QString Title = QStringLiteral("Товрин — собеседник от команды разработчиков v2.26");
// The client area below the menu bar: the two panels and the status bar.
constexpr QSize Client(587, 361);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor DisabledText(0x80, 0x80, 0x80);
const QString FontFace = QStringLiteral("MS Sans Serif");
constexpr int FontSize = 8;

constexpr QRect TabControl1(0, 0, 588, 313);
constexpr QRect RE1(3, 5, 581, 304);
const QString RE1Hint = QStringLiteral("Поле для отображения диалога");
constexpr QRect TabControl2(0, 312, 585, 30);
constexpr QRect Input(3, 5, 422, 21);
constexpr int InputMaxLength = 255;
const QString InputHint = QStringLiteral("Поле для ввода фразы пользователя");
constexpr QRect Cancel(426, 5, 27, 22);
const QString CancelCaption = QStringLiteral("<");
const QString CancelHint = QStringLiteral("Отмена (Альтернатива клавиша: <Ctrl + Z>)");
constexpr QRect EnRus(453, 5, 43, 22);
const QString EnRusCaption = QStringLiteral("E/R");
const QString EnRusHint = QStringLiteral("Раскладка (Альтернатива клавиша: <Ctrl + S>)");
constexpr QRect Speak(496, 5, 86, 22);
const QString SpeakCaption = QStringLiteral("Сказать");
const QString SpeakHint = QStringLiteral("Кнопка отправки текста (Альтернативная клавиша: <ENTER>)");
// Out of view, left of the visible area: it only stands for ENTER.
constexpr QRect Talk(-200, 107, 186, 17);
const QString TalkCaption = QStringLiteral("<ENTER> (Для кнопки сказать)");

constexpr int StatusBarHeight = 19;
constexpr int PanelWidths[2] = {130, 322}; // the last panel runs to the right edge
const QString StatusBarHint = QStringLiteral("Индикатор");
const QString ModePanelAtStart = QStringLiteral("Режим Cpu\\User");

constexpr QColor Teal(0x00, 0x80, 0x80);

struct TimerRow {
    int interval;
    bool running;
    void (TForm1::*tick)();
};
// T1 .. T10
const TimerRow Timers[10] = {
    {1, true, &TForm1::T1Timer},     // control state and focus
    {1000, true, &TForm1::T2Timer},  // idle seconds
    {1, true, &TForm1::T3Timer},     // knowledge counts, once
    {1, false, &TForm1::T4Timer},    // shrink-and-close
    {1, true, &TForm1::T5Timer},     // input sanitiser
    {1, false, &TForm1::T6Timer},    // exchange-file poll
    {1, true, &TForm1::T7Timer},     // shake, then the greeting
    {1000, true, &TForm1::T8Timer},  // menu counts, once
    {1000, false, &TForm1::T9Timer}, // delayed remark
    {1, false, &TForm1::T10Timer},   // greeting
};

enum class Check { None, Off, On };

// The menu in display order. A row either opens a submenu (menu) or is an entry (action);
// parent is the menu it lies in, nullptr for the menu bar. "-" is a separator line; two of
// them carry shortcuts and act only through these.
struct MenuRow {
    QMenu* TForm1::*parent;
    QMenu* TForm1::*menu;
    QAction* TForm1::*action;
    const char* caption;
    const char* shortcut;
    Check check;
    void (TForm1::*click)();
};
using F = TForm1;
const MenuRow Menu[] = {
    {nullptr, &F::N1, nullptr, "&Система", nullptr, Check::None, nullptr},
    {&F::N1, nullptr, &F::N2, "&Новый диалог", nullptr, Check::None, &F::N2Click},
    {&F::N1, nullptr, &F::N23, "-", nullptr, Check::None, nullptr},
    {&F::N1, nullptr, &F::N22, "&Вызвать виртуальную клавиатуру", nullptr, Check::None, &F::N22Click},
    {&F::N1, &F::N17, nullptr, "&Подробнее о базе:", nullptr, Check::None, nullptr},
    {&F::N17, nullptr, &F::N18, "&Входящие выражения:", nullptr, Check::None, nullptr},
    {&F::N17, nullptr, &F::N19, "&Исходящие выражения:", nullptr, Check::None, nullptr},
    {&F::N17, nullptr, &F::N20, "&Итого:", nullptr, Check::None, nullptr},
    {&F::N1, nullptr, &F::N3, "-", nullptr, Check::None, nullptr},
    {&F::N1, nullptr, &F::N4, "В&ыход", nullptr, Check::None, &F::N4Click},

    {nullptr, &F::N5, nullptr, "&Настройки", nullptr, Check::None, nullptr},
    {&F::N5, nullptr, &F::N6, "&Цвет основного фона ", nullptr, Check::None, &F::N6Click},
    {&F::N5, nullptr, &F::N21, "Ц&вет фона поля вывода реплик", nullptr, Check::None, &F::N21Click},
    {&F::N5, nullptr, &F::N16, "Цв&ет фона поля ввода реплик", nullptr, Check::None, &F::N16Click},
    {&F::N5, nullptr, &F::N9, "Цве&т шрифтов кнопок на панели", nullptr, Check::None, &F::N9Click},
    {&F::N5, nullptr, &F::N15, "-", "Ctrl+Z", Check::None, &F::N15Click},
    {&F::N5, &F::N7, nullptr, "Цвет &реплик", nullptr, Check::None, nullptr},
    {&F::N7, nullptr, &F::User1, "&User", nullptr, Check::None, &F::User1Click},
    {&F::N7, nullptr, &F::Cpu1, "&Cpu", nullptr, Check::None, &F::Cpu1Click},
    {&F::N7, nullptr, &F::Mystring2, "&My string", nullptr, Check::None, &F::Mystring2Click},
    {&F::N5, nullptr, &F::N36, "-", "Ctrl+S", Check::None, &F::N36Click},
    {&F::N5, &F::N10, nullptr, "&Параметры шрифта", nullptr, Check::None, nullptr},
    {&F::N10, nullptr, &F::User2, "&User", nullptr, Check::None, &F::User2Click},
    {&F::N10, nullptr, &F::Cpu2, "&Cpu", nullptr, Check::None, &F::Cpu2Click},
    {&F::N10, nullptr, &F::Mystring1, "&My string", nullptr, Check::None, &F::Mystring1Click},
    {&F::N5, nullptr, &F::N8, "-", nullptr, Check::None, nullptr},
    {&F::N5, nullptr, &F::N13, "Вернуть первоначальные настройки", nullptr, Check::On, &F::N13Click},
    {&F::N5, nullptr, &F::N14, "-", nullptr, Check::None, nullptr},
    {&F::N5, &F::N37, nullptr, "&Режим", nullptr, Check::None, nullptr},
    {&F::N37, nullptr, &F::CpuUser1, "&Cpu\\User", nullptr, Check::On, &F::CpuUser1Click},
    {&F::N37, nullptr, &F::Cpu31, "C&pu\\Cpu", nullptr, Check::Off, &F::Cpu31Click},
    {&F::N5, nullptr, &F::N38, "Ре&дактор", nullptr, Check::None, &F::N38Click},
    {&F::N5, nullptr, &F::N39, "-", nullptr, Check::None, nullptr},
    {&F::N5, nullptr, &F::N40, "&Full Screen", nullptr, Check::Off, &F::N40Click},

    {nullptr, &F::N11, nullptr, "С&правка", nullptr, Check::None, nullptr},
    {&F::N11, nullptr, &F::N12, "&О программе...", nullptr, Check::None, &F::N12Click},
};
} // namespace design

// Random(n) from a generator reseeded from the clock.
class ClockDice : public Dice {
public:
    ClockDice() { reseed(); }
    void reseed() override
    {
        generator_.seed(static_cast<std::mt19937::result_type>(
            std::chrono::system_clock::now().time_since_epoch().count()));
    }
    int random(int n) override
    {
        if (n <= 0)
            return 0;
        return std::uniform_int_distribution<int>(0, n - 1)(generator_);
    }

private:
    std::mt19937 generator_;
};

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
        const QStyleOption* used = type == CT_MenuItem ? plainSeparator(CE_MenuItem, option, plain) : option;
        return QProxyStyle::sizeFromContents(type, used, size, widget);
    }

private:
    static const QStyleOption* plainSeparator(ControlElement element, const QStyleOption* option,
                                              QStyleOptionMenuItem& plain)
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || !item || item->menuItemType != QStyleOptionMenuItem::Separator)
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

QString fromCp1251(const std::string& text)
{
    return QString::fromStdString(cp1251::toUtf8(text));
}

std::string toCp1251(const QString& text)
{
    return cp1251::fromUtf8(text.toStdString());
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
    Form2 = new TForm2(this);
    Form3 = new TForm3(this);
    Form4 = new TForm4(this);

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
    setWindowTitle(design::Title);
    setWindowFlags(Qt::Tool);
    setFont(QFont(design::FontFace, design::FontSize));
    QPalette silver = palette();
    silver.setColor(QPalette::Window, design::Silver);
    // A disabled caption is drawn in dark grey, so that it stays readable on silver.
    silver.setColor(QPalette::Disabled, QPalette::ButtonText, design::DisabledText);
    silver.setColor(QPalette::Disabled, QPalette::WindowText, design::DisabledText);
    setPalette(silver);
    setAutoFillBackground(true);

    auto* client = new QWidget(this);
    setCentralWidget(client);

    TabControl1 = new QWidget(client);
    TabControl1->setGeometry(design::TabControl1);

    RE1 = new Transcript(TabControl1);
    RE1->setGeometry(design::RE1);
    RE1->setToolTip(design::RE1Hint);
    QPalette pane = RE1->palette();
    pane.setColor(QPalette::Base, design::Silver);
    RE1->setPalette(pane);
    RE1->viewport()->setCursor(Qt::ForbiddenCursor);

    Talk = new QPushButton(design::TalkCaption, TabControl1);
    Talk->setGeometry(design::Talk);
    Talk->setFocusPolicy(Qt::NoFocus);
    Talk->setDefault(true);

    TabControl2 = new QWidget(client);
    TabControl2->setGeometry(design::TabControl2);
    TabControl2->setCursor(Qt::ForbiddenCursor);

    Input = new QLineEdit(TabControl2);
    Input->setGeometry(design::Input);
    Input->setMaxLength(design::InputMaxLength);
    Input->setToolTip(design::InputHint);
    Input->setCursor(Qt::IBeamCursor);
    QPalette line = Input->palette();
    line.setColor(QPalette::Base, design::Silver);
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
    Cancel = makeButton(design::Cancel, design::CancelCaption, design::CancelHint);
    setCaptionColour(Cancel, Qt::black);
    EnRus = makeButton(design::EnRus, design::EnRusCaption, design::EnRusHint);
    Speak = makeButton(design::Speak, design::SpeakCaption, design::SpeakHint);

    connect(Input, &QLineEdit::textChanged, this, &TForm1::InputChange);
    connect(Cancel, &QToolButton::clicked, this, &TForm1::CancelClick);
    connect(EnRus, &QToolButton::clicked, this, &TForm1::EnRusClick);
    connect(Speak, &QToolButton::clicked, this, &TForm1::SpeakClick);
    connect(Talk, &QPushButton::clicked, this, &TForm1::TalkClick);
}

void TForm1::createActions()
{
    for (const auto& row : design::Menu) {
        if (!row.action)
            continue;
        auto* action = new QAction(this);
        this->*row.action = action;
        if (QString::fromUtf8(row.caption) == QLatin1String("-"))
            action->setSeparator(true);
        else
            action->setText(QString::fromUtf8(row.caption));
        if (row.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        if (row.check != design::Check::None) {
            action->setCheckable(true);
            action->setChecked(row.check == design::Check::On);
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
    for (const auto& row : design::Menu) {
        QMenu* parentMenu = row.parent ? this->*row.parent : nullptr;
        if (row.menu) {
            const QString caption = QString::fromUtf8(row.caption);
            this->*row.menu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
        } else {
            parentMenu->addAction(this->*row.action);
        }
    }
    auto* plain = new PlainSeparators;
    plain->setParent(N5);
    N5->setStyle(plain);
}

void TForm1::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(design::StatusBarHeight);
    bar->setToolTip(design::StatusBarHint);
    bar->setCursor(Qt::WhatsThisCursor);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 2)
            panel->setFixedWidth(design::PanelWidths[i]);
        bar->addWidget(panel, i < 2 ? 0 : 1);
        SB1Panels[i] = panel;
    }
    setStatusPanelText(SB1Panels[2], design::ModePanelAtStart);

    // The design's client area lies below the menu bar.
    setFixedSize(design::Client.width(), menuBar()->sizeHint().height() + design::Client.height());
}

void TForm1::createTimers()
{
    for (int i = 0; i < 10; ++i) {
        T[i] = new QTimer(this);
        T[i]->setInterval(design::Timers[i].interval);
        connect(T[i], &QTimer::timeout, this, design::Timers[i].tick);
    }
}

void TForm1::startTimers()
{
    for (int i = 0; i < 10; ++i)
        if (design::Timers[i].running)
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
}

void TForm1::closeSecondary(QWidget* window)
{
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
        sweptInputCp_ = toCp1251(text);
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

void TForm1::TalkClick()
{
    SpeakClick();
}

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
    // the menu's shortcuts belong to the menu.
    if (watched == Input && event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        if ((N15 && pressed == N15->shortcut()) || (N36 && pressed == N36->shortcut())) {
            event->ignore();
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
    for (QWidget* w : {static_cast<QWidget*>(Form2), static_cast<QWidget*>(Form3), static_cast<QWidget*>(Form4)})
        if (w)
            w->hide();
    event->accept();
    // A tool window does not count as the application's last window: end the event loop
    // here (outside it, as in the tests, this does nothing).
    QCoreApplication::quit();
}

// ---- the error guard

void TForm1::guarded(const std::function<void()>& handler)
{
    attempt(handler);
}

TForm1::Outcome TForm1::attempt(const std::function<void()>& handler, bool show)
{
    QString message;
    try {
        handler();
        return Outcome::Done;
    } catch (const FileError& e) {
        message = fromCp1251(e.what());
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
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
    switch (style) {
    case LineStyle::User:
        RE1->setCurrentColor(ColorDialog2);
        RE1->setCurrentFont(FontDialog1);
        break;
    case LineStyle::Program:
        RE1->setCurrentColor(ColorDialog3);
        RE1->setCurrentFont(FontDialog2);
        break;
    case LineStyle::IdleRemark:
        RE1->setCurrentColor(ColorDialog1);
        break;
    case LineStyle::Service:
        RE1->setCurrentColor(design::Teal);
        break;
    case LineStyle::Unchanged:
        break;
    }
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

int TForm1::transcriptCount() const
{
    return RE1->count();
}

std::string TForm1::transcriptLine(int index) const
{
    return toCp1251(RE1->line(index));
}

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

bool TForm1::timerEnabled(Timer t) const
{
    return timer(t)->isActive();
}

// What a turn means, as the window's timers: a farewell starts the shrink-and-close (T4), an
// armed delayed remark ticks on T9, the greeting's attempts run on T10.
void TForm1::setFarewell(bool said)
{
    setTimerEnabled(Timer::T4, said);
}

void TForm1::setDelayedRemarkArmed(bool armed)
{
    setTimerEnabled(Timer::T9, armed);
}

void TForm1::greetingDone()
{
    setTimerEnabled(Timer::T10, false);
}

std::string TForm1::inputText() const
{
    return toCp1251(Input->text());
}

void TForm1::clearInput()
{
    Input->clear();
}

bool TForm1::cpuCpuMode() const
{
    return Cpu31->isChecked();
}

std::string TForm1::exchangePath() const
{
    if (!Form2)
        return files::DefaultExchange;
    return toCp1251(Form2->Edit1->text());
}

} // namespace tovrin
