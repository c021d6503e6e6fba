#include "ui/aboutwindow.h"

#include "ui/look.h"
#include "ui/secondary.h"
#include "ui/window.h"
#include "kb/fileerror.h"
#include "kb/knowledge.h"
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
    setWindowTitle(form3::Title);
    setWindowFlags(NoCloseBox);
    // A secondary window never keeps the program alive once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    paintWindowFace(this);

    createControls();
    applyOuterHeight();
    setObjectName(QStringLiteral("Form3"));
    for (auto [control, name] : {std::pair<QWidget*, const char*>{TabControl1, "TabControl1"},
                                 {Image1, "Image1"},
                                 {Label1, "Label1"},
                                 {Button1, "Button1"},
                                 {Button2, "Button2"},
                                 {TabControl2, "TabControl2"},
                                 {Memo1, "Memo1"}})
        control->setObjectName(QString::fromLatin1(name));

    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(form3::FrameSettleMs);
    connect(settle_, &QTimer::timeout, this, [this] {
        applyOuterHeight();
        if (centring_)
            centre();
        centring_ = false;
    });
}

QWidget* TForm3::owner() const { return host_ ? host_->mainWindow() : nullptr; }

void TForm3::createControls()
{
    TabControl1 = bevelledPane(this, form3::UpperPane);

    Image1 = new QLabel(TabControl1);
    Image1->setGeometry(form3::Picture);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(form3::PictureResource));

    Label1 = new QLabel(form3::versionCaption(), TabControl1);
    Label1->setGeometry(form3::Label);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    QFont labelFont(form3::LabelFace);
    labelFont.setPixelSize(form3::LabelPixelHeight);
    labelFont.setBold(true);
    labelFont.setUnderline(true);
    Label1->setFont(labelFont);
    QPalette white = Label1->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(white);

    Button1 = new QPushButton(form3::History, TabControl1);
    Button1->setGeometry(form3::HistoryButton);
    Button2 = new QPushButton(form3::Close, TabControl1);
    Button2->setGeometry(form3::CloseButton);
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

    TabControl2 = bevelledPane(this, form3::LowerPane);
    Memo1 = new QPlainTextEdit(TabControl2);
    Memo1->setGeometry(form3::Memo);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont memoFont(form3::MemoFace);
    memoFont.setStyleHint(QFont::TypeWriter);
    memoFont.setPixelSize(form3::MemoPixelHeight);
    Memo1->setFont(memoFont);
    QPalette memoColours = Memo1->palette();
    memoColours.setColor(QPalette::Base, look::Silver);
    Memo1->setPalette(memoColours);
}

void TForm3::Button1Click()
{
    // The history is read afresh on every press, folding included, so an edited file shows.
    const std::vector<std::string> lines = loadMemo(files::ReadMe);
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

void TForm3::reject() { Button2Click(); }

int TForm3::frameHeight()
{
    if (const QWindow* window = windowHandle(); window && isVisible()) {
        const QMargins frame = window->frameMargins();
        if (frame.top() + frame.bottom() > 0)
            measuredFrame_ = frame.top() + frame.bottom();
    }
    return measuredFrame_ > 0 ? measuredFrame_ : form3::FrameAllowance;
}

void TForm3::applyOuterHeight()
{
    const QSize client(form3::ClientWidth, std::max(1, outerHeight_ - frameHeight()));
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
