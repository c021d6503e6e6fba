#include "ui/aboutwindow.h"

#include "ui/look.h"
#include "ui/secondary.h"
#include "ui/window.h"
#include "kb/fileerror.h"
#include "kb/linelist.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <utility>

// The picture lives in the library's resources, which a static library has to register itself.
static void initAboutResources() { Q_INIT_RESOURCE(resources); }

namespace tovrin {

namespace {

// The window design, in client pixels.
namespace design {
const QString Title = QStringLiteral("О программе");
constexpr int ClientWidth = 377;
// What the window design allows for the title bar and borders before the window system has
// told the real frame: the upper pane fills the folded window exactly.
constexpr int FrameAllowance = TForm3::FoldedHeight - 153;

const QRect UpperPane(0, 0, 377, 153);
const QRect Picture(8, 8, 178, 137);
const QString PictureResource = QStringLiteral(":/ui/about.png");

const QRect Label(196, 6, 164, 82);
// "2.26" reads "ВЕРСИЯ: 2.2.6.": every digit stands apart.
QString versionCaption()
{
    QString digits;
    for (const QChar c : look::Version)
        if (c.isDigit())
            digits += QString(c) + u'.';
    return QStringLiteral("ВЕРСИЯ: ") + digits;
}
const QString LabelFace = QStringLiteral("Arial Black");
constexpr int LabelPixelHeight = 29;

const QRect HistoryButton(186, 93, 185, 25);
const QRect CloseButton(186, 121, 185, 25);
const QString History = QStringLiteral("История");
const QString Close = QStringLiteral("Закрыть");

const QRect LowerPane(0, 153, 376, 148);
const QRect Memo(3, 4, 370, 140);
const QString MemoFace = QStringLiteral("Courier New");
constexpr int MemoPixelHeight = 11; // 8 points at 96 pixels per inch

const std::string HistoryFile = "ReadMe.Txt";

// The window system may tell the frame's size a moment after it has shown and framed the
// window (X11 window managers do, without any event), so the height and the first centring
// are done once more when things have settled.
constexpr int FrameSettleMs = 150;
} // namespace design

QFrame* bevelledPane(QWidget* parent, const QRect& place)
{
    auto* pane = new QFrame(parent);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setGeometry(place);
    return pane;
}

} // namespace

TForm3::TForm3(SecondaryHost* host) : QDialog(nullptr), host_(host)
{
    initAboutResources();
    setWindowTitle(design::Title);
    setWindowFlags(NoCloseBox);
    // A secondary window never keeps the program alive once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    paintWindowFace(this);

    createControls();
    applyOuterHeight();
    setObjectName(QStringLiteral("Form3"));
    for (auto [control, name] : {std::pair<QWidget*, const char*>{TabControl1, "TabControl1"}, {Image1, "Image1"},
                                 {Label1, "Label1"}, {Button1, "Button1"}, {Button2, "Button2"},
                                 {TabControl2, "TabControl2"}, {Memo1, "Memo1"}})
        control->setObjectName(QString::fromLatin1(name));

    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(design::FrameSettleMs);
    connect(settle_, &QTimer::timeout, this, [this] {
        applyOuterHeight();
        if (centring_)
            centre();
        centring_ = false;
    });
}

QWidget* TForm3::owner() const
{
    return host_ ? host_->mainWindow() : nullptr;
}

void TForm3::createControls()
{
    TabControl1 = bevelledPane(this, design::UpperPane);

    Image1 = new QLabel(TabControl1);
    Image1->setGeometry(design::Picture);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(design::PictureResource));

    Label1 = new QLabel(design::versionCaption(), TabControl1);
    Label1->setGeometry(design::Label);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    QFont labelFont(design::LabelFace);
    labelFont.setPixelSize(design::LabelPixelHeight);
    labelFont.setBold(true);
    labelFont.setUnderline(true);
    Label1->setFont(labelFont);
    QPalette white = Label1->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(white);

    Button1 = new QPushButton(design::History, TabControl1);
    Button1->setGeometry(design::HistoryButton);
    Button2 = new QPushButton(design::Close, TabControl1);
    Button2->setGeometry(design::CloseButton);
    // Enter presses the button that has the focus, as Space does.
    for (QPushButton* button : {Button1, Button2}) {
        button->setCursor(Qt::PointingHandCursor);
        button->setAutoDefault(true);
    }
    connect(Button1, &QPushButton::clicked, this, [this] {
        if (host_) {
            host_->guarded([this] { Button1Click(); });
            return;
        }
        try {
            Button1Click();
        } catch (const FileError&) {
            // Standing alone, the window has nowhere to report to; it simply stays as it is.
        }
    });
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);

    TabControl2 = bevelledPane(this, design::LowerPane);
    Memo1 = new QPlainTextEdit(TabControl2);
    Memo1->setGeometry(design::Memo);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont memoFont(design::MemoFace);
    memoFont.setStyleHint(QFont::TypeWriter);
    memoFont.setPixelSize(design::MemoPixelHeight);
    Memo1->setFont(memoFont);
    QPalette memoColours = Memo1->palette();
    memoColours.setColor(QPalette::Base, look::Silver);
    Memo1->setPalette(memoColours);
}

void TForm3::Button1Click()
{
    // The history is read afresh on every press, folding included, so an edited file shows.
    const std::vector<std::string> lines = loadMemo(design::HistoryFile);
    QStringList text;
    for (const std::string& line : lines)
        text << fromCp1251(line);
    Memo1->setPlainText(text.join(QLatin1Char('\n')));

    // One pixel taller; only the two design heights turn into each other.
    int height = outerHeight_ + 1;
    if (height == FoldedHeight + 1)
        height = UnfoldedHeight;
    if (height == UnfoldedHeight + 1)
        height = FoldedHeight;
    setOuterHeight(height);
}

void TForm3::Button2Click()
{
    if (host_)
        host_->closeSecondary(this);
    else
        hide();
}

void TForm3::setOuterHeight(int height)
{
    outerHeight_ = height;
    applyOuterHeight();
}

void TForm3::reject()
{
    Button2Click();
}

int TForm3::frameHeight()
{
    if (const QWindow* window = windowHandle(); window && isVisible()) {
        const QMargins frame = window->frameMargins();
        if (frame.top() + frame.bottom() > 0)
            measuredFrame_ = frame.top() + frame.bottom();
    }
    return measuredFrame_ > 0 ? measuredFrame_ : design::FrameAllowance;
}

void TForm3::applyOuterHeight()
{
    const QSize client(design::ClientWidth, std::max(1, outerHeight_ - frameHeight()));
    // The lower pane is cut off while folded: it takes no focus then, as it shows nothing.
    const bool lowerShows = outerHeight_ > FoldedHeight;
    if (TabControl2 && TabControl2->isVisibleTo(this) != lowerShows)
        TabControl2->setVisible(lowerShows);
    if (size() != client || minimumSize() != client || maximumSize() != client)
        setFixedSize(client);
}

void TForm3::centre()
{
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    centreOnDesktop(this, QSize(width() + frame.left() + frame.right(), outerHeight_));
}

void TForm3::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applyOuterHeight();
    if (!shownBefore_) {
        shownBefore_ = true;
        centring_ = true;
        centre();
        // From now on the window comes back where it was last, not centred again.
        setAttribute(Qt::WA_Moved, true);
    }
    settle_->start();
}

void TForm3::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    applyOuterHeight();
    if (isVisible())
        settle_->start();
}

void TForm3::closeEvent(QCloseEvent* event)
{
    // No close box: a close request from the window system (Alt+F4) would leave the main window
    // disabled, so the window stays until "Закрыть" is pressed.
    if (isVisible())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

} // namespace tovrin
