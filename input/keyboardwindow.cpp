#include "input/keyboardwindow.h"

#include "input/keyboardwindowdesign.h"
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

// A caption shows "&" only when it is doubled; a single one would mark an access key.
QString captionOf(const QString& text)
{
    QString caption = text;
    return caption.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

TForm4::TForm4(SecondaryHost* host, QLineEdit* input) :
    QDialog(nullptr, NoCloseBox),
    host_(host),
    input_(input)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(form4::Title);
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
    N1 = MainMenu1->addMenu(form4::SystemMenu);
    N1->setObjectName(QStringLiteral("N1"));
    N2 = N1->addAction(form4::HideCommand);
    N2->setObjectName(QStringLiteral("N2"));
    connect(N2, &QAction::triggered, this, &TForm4::N2Click);
}

QToolButton* TForm4::addKey(QWidget* parent, const QString& name, const QString& caption,
                            QRect place)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
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
    Client->setFixedSize(form4::ClientSize);

    auto makeGroup = [this](const char* name, const QString& caption, QRect place) {
        auto* group = new QGroupBox(caption, Client);
        group->setObjectName(QString::fromLatin1(name));
        group->setGeometry(place);
        QPalette white = group->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        group->setPalette(white);
        return group;
    };
    GroupBox1 = makeGroup("GroupBox1", form4::SignsCaption, form4::SignsGroup);
    GroupBox2 = makeGroup("GroupBox2", form4::LettersCaption, form4::LettersGroup);

    auto addSigns = [this](std::span<const form4::KeyDesign> row, QPoint origin) {
        for (const form4::KeyDesign& key : row) {
            const QString& sign = key.caption;
            QToolButton* button =
                addKey(GroupBox1, key.name, captionOf(sign), QRect(origin, form4::SignKey));
            connect(button, &QToolButton::clicked, this, [this, sign] { signClick(sign); });
            origin.rx() += form4::SignKey.width();
        }
    };
    addSigns(form4::SignsUpperRow, form4::UpperRowOrigin);
    addSigns(form4::SignsLowerRow, form4::LowerRowOrigin);

    auto addLetters = [this](const QString& row, int firstNumber, QPoint origin) {
        for (int i = 0; i < row.size(); ++i) {
            const QString letter = row.mid(i, 1);
            const QString name = QStringLiteral("SB%1").arg(firstNumber + i);
            QToolButton* button = addKey(GroupBox2, name, letter, QRect(origin, form4::LetterKey));
            connect(button, &QToolButton::clicked, this, [this, letter] { letterClick(letter); });
            origin.rx() += form4::LetterKey.width();
        }
    };
    addLetters(form4::LettersUpperRow, form4::LettersUpperFirst, form4::UpperRowOrigin);
    addLetters(form4::LettersLowerRow, form4::LettersLowerFirst, form4::LowerRowOrigin);

    SB62 = addKey(Client, QStringLiteral("SB62"), form4::BackspaceCaption, form4::BackspaceKey);
    SB66 = addKey(Client, QStringLiteral("SB66"), form4::EnterCaption, form4::EnterKey);
    SB23 = addKey(Client, QStringLiteral("SB23"), form4::SpaceCaption, form4::SpaceKey);
    SB63 = addKey(Client, QStringLiteral("SB63"), form4::CapsOff, form4::CapsKey);
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
    T1->setInterval(pacedInterval(form4::TimerInterval));
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

QWidget* TForm4::owner() const { return host_->mainWindow(); }

void TForm4::FormCreate()
{
    CapsState = 0;
    SB63->setText(form4::CapsOff);
}

void TForm4::opened() { T1->start(); }

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
    text.chop(n >= 2 && text.at(n - 1).isLowSurrogate() && text.at(n - 2).isHighSurrogate() ? 2
                                                                                            : 1);
    input_->setText(text);
}

void TForm4::SB63Click()
{
    CapsState = (CapsState + 1) % 2;
    SB63->setText(CapsState == 0 ? form4::CapsOff : form4::CapsOn);
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
