#include "input/keyboardwindow.h"

#include "ui/look.h"
#include "ui/secondary.h"
#include "ui/window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <span>

namespace tovrin {

namespace {

// ---- the window's design
namespace design {
const char* const Title = "Виртуальная клавиатура";
const char* const SystemMenu = "&Система";
const char* const HideCommand = "С&крыть виртуальную клавиатуру";
const char* const SignsCaption = "Знаки:";
const char* const LettersCaption = "Буквы:";
const char* const CapsOff = "Caps Lock [не нажат]";
const char* const CapsOn = "Caps Lock [нажат]";
constexpr QSize ClientSize(353, 145);
constexpr int TimerInterval = 1; // paced at the clock tick

struct KeyDesign {
    const char* name;
    const char* caption; // the character the key appends
};

// Sign keys append their caption whatever the Caps Lock state.
constexpr KeyDesign SignsUpperRow[] = {
    {"SB4", "#"},  {"SB5", "$"},  {"SB6", "%"},  {"SB7", "&"},  {"Sd8", "*"},  {"SB13", "+"},
    {"SB14", "="}, {"SB15", "\\"}, {"SB16", "|"}, {"SB17", "/"}, {"SB18", "["}, {"SB19", "]"},
    {"SB20", "{"}, {"SB21", "}"}, {"SB64", "~"}, {"SB65", "`"},
};
constexpr KeyDesign SignsLowerRow[] = {
    {"SB28", ","}, {"SB27", "."}, {"SB2", "!"},  {"SB22", "?"},  {"SB9", "("},  {"SB10", ")"},
    {"SB11", "-"}, {"SB12", ":"}, {"SB24", "\""}, {"SB25", "<"}, {"SB26", ">"},
};
// Letter keys are numbered on from their first component, in alphabetical order.
constexpr int LettersUpperFirst = 29;
const char* const LettersUpperRow = "АБВГДЕЁЖЗИЙКЛМНОП";
constexpr int LettersLowerFirst = 46;
const char* const LettersLowerRow = "РСТУФХЦЧШЩЪЫЬЭЮЯ";

// Places in the client area (groups, the tall keys, the bottom row) and inside the groups.
constexpr QSize SignKey(16, 17);
constexpr QSize LetterKey(17, 17);
constexpr QRect SignsGroup(4, 2, 303, 52);
constexpr QRect LettersGroup(4, 54, 303, 52);
constexpr QPoint UpperRowOrigin(7, 14);
constexpr QPoint LowerRowOrigin(7, 31);
constexpr QRect BackspaceKey(309, 8, 41, 50);
constexpr QRect EnterKey(309, 58, 41, 51);
constexpr QRect SpaceKey(11, 114, 134, 22);
constexpr QRect CapsKey(149, 114, 123, 22);

} // namespace design

// A caption shows "&" only when it is doubled; a single one would mark an access key.
QString captionOf(const QString& text)
{
    QString caption = text;
    return caption.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

TForm4::TForm4(SecondaryHost* host, QLineEdit* input)
    : QDialog(nullptr, NoCloseBox), host_(host), input_(input)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString::fromUtf8(design::Title));
    setFont(QFont(look::FontFace, look::FontSize));
    paintWindowFace(this);

    createMenus();
    createKeys();
    createTimers();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->activate(); // fixes the size now rather than at the first showing

    FormCreate();
}

void TForm4::createMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    N1 = MainMenu1->addMenu(QString::fromUtf8(design::SystemMenu));
    N1->setObjectName(QStringLiteral("N1"));
    N2 = N1->addAction(QString::fromUtf8(design::HideCommand));
    N2->setObjectName(QStringLiteral("N2"));
    connect(N2, &QAction::triggered, this, &TForm4::N2Click);
}

QToolButton* TForm4::addKey(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setGeometry(place);
    button->setFixedSize(place.size());
    // The keys must not take the focus: a physical key must never press them.
    button->setFocusPolicy(Qt::NoFocus);
    keys_ << button;
    return button;
}

void TForm4::createKeys()
{
    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("Client"));
    Client->setFixedSize(design::ClientSize);

    auto makeGroup = [this](const char* name, const char* caption, QRect place) {
        auto* group = new QGroupBox(QString::fromUtf8(caption), Client);
        group->setObjectName(QString::fromLatin1(name));
        group->setGeometry(place);
        QPalette white = group->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        group->setPalette(white);
        return group;
    };
    GroupBox1 = makeGroup("GroupBox1", design::SignsCaption, design::SignsGroup);
    GroupBox2 = makeGroup("GroupBox2", design::LettersCaption, design::LettersGroup);

    auto addSigns = [this](std::span<const design::KeyDesign> row, QPoint origin) {
        for (const design::KeyDesign& key : row) {
            const QString sign = QString::fromUtf8(key.caption);
            QToolButton* button = addKey(GroupBox1, key.name, captionOf(sign), QRect(origin, design::SignKey));
            connect(button, &QToolButton::clicked, this, [this, sign] { signClick(sign); });
            origin.rx() += design::SignKey.width();
        }
    };
    addSigns(design::SignsUpperRow, design::UpperRowOrigin);
    addSigns(design::SignsLowerRow, design::LowerRowOrigin);

    auto addLetters = [this](const char* letters, int firstNumber, QPoint origin) {
        const QString row = QString::fromUtf8(letters);
        for (int i = 0; i < row.size(); ++i) {
            const QString letter = row.mid(i, 1);
            const QByteArray name = "SB" + QByteArray::number(firstNumber + i);
            QToolButton* button = addKey(GroupBox2, name.constData(), letter, QRect(origin, design::LetterKey));
            connect(button, &QToolButton::clicked, this, [this, letter] { letterClick(letter); });
            origin.rx() += design::LetterKey.width();
        }
    };
    addLetters(design::LettersUpperRow, design::LettersUpperFirst, design::UpperRowOrigin);
    addLetters(design::LettersLowerRow, design::LettersLowerFirst, design::LowerRowOrigin);

    SB62 = addKey(Client, "SB62", QStringLiteral("Bcksp"), design::BackspaceKey);
    SB66 = addKey(Client, "SB66", QStringLiteral("[Enter]"), design::EnterKey);
    SB23 = addKey(Client, "SB23", QString::fromUtf8("Пробел"), design::SpaceKey);
    SB63 = addKey(Client, "SB63", QString::fromUtf8(design::CapsOff), design::CapsKey);
    connect(SB62, &QToolButton::clicked, this, &TForm4::SB62Click);
    connect(SB66, &QToolButton::clicked, this, &TForm4::SB66Click);
    connect(SB23, &QToolButton::clicked, this, &TForm4::SB23Click);
    connect(SB63, &QToolButton::clicked, this, &TForm4::SB63Click);
}

void TForm4::createTimers()
{
    // Runs from the start; it only matters while the window is shown.
    T1 = new QTimer(this);
    T1->setObjectName(QStringLiteral("T1"));
    T1->setInterval(pacedInterval(design::TimerInterval));
    connect(T1, &QTimer::timeout, this, &TForm4::T1Timer);
    T1->start();
}

QToolButton* TForm4::key(const QString& name) const
{
    for (QToolButton* button : keys_)
        if (button->objectName() == name)
            return button;
    return nullptr;
}

QWidget* TForm4::owner() const
{
    return host_->mainWindow();
}

void TForm4::FormCreate()
{
    CapsState = 0;
    SB63->setText(QString::fromUtf8(design::CapsOff));
}

void TForm4::opened()
{
    T1->start();
}

void TForm4::N2Click()
{
    T1->stop();
    host_->closeSecondary(this);
}

void TForm4::T1Timer()
{
    const bool hasText = !input_->text().isEmpty();
    SB62->setEnabled(hasText);
    SB66->setEnabled(hasText);
}

void TForm4::appendToInput(const QString& text)
{
    if (input_->text().size() + text.size() > input_->maxLength())
        return;
    input_->setText(input_->text() + text);
}

void TForm4::signClick(const QString& sign) { appendToInput(sign); }

void TForm4::letterClick(const QString& letter)
{
    appendToInput(CapsState == 0 ? letter.toLower() : letter.toUpper());
}

void TForm4::SB23Click() { appendToInput(QStringLiteral(" ")); }

void TForm4::SB62Click()
{
    // The last character, not the one before the caret; an empty line stays empty. A character
    // pasted from beyond the basic plane is two code units and goes as one.
    QString text = input_->text();
    if (text.isEmpty())
        return;
    const qsizetype n = text.size();
    text.chop(n >= 2 && text.at(n - 1).isLowSurrogate() && text.at(n - 2).isHighSurrogate() ? 2 : 1);
    input_->setText(text);
}

void TForm4::SB63Click()
{
    CapsState = (CapsState + 1) % 2;
    SB63->setText(QString::fromUtf8(CapsState == 0 ? design::CapsOff : design::CapsOn));
}

void TForm4::SB66Click()
{
    // "Сказать" is pressed from here while the main window is disabled, so its handler is
    // called directly: a click on a disabled button would be lost.
    emit speakPressed();
}

void TForm4::setVisible(bool visible)
{
    // Centred the first time; afterwards shown again where it was last.
    if (visible && !placed_) {
        placed_ = true;
        centreOnDesktop(this, sizeHint(), host_->mainWindow()->screen());
    }
    QDialog::setVisible(visible);
}

void TForm4::closeEvent(QCloseEvent* event)
{
    // The window has no close box, but the window manager may still close it; hiding it any
    // other way than N2 would leave the main window disabled for good.
    if (isVisible())
        N2Click();
    event->accept();
}

void TForm4::reject()
{
    // Escape would hide the dialog behind N2's back; the keyboard is hidden only through N2.
}

} // namespace tovrin
