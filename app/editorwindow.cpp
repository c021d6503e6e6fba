#include "app/editorwindow.h"

#include "app/editorwindowdesign.h"

#include "kb/knowledge.h"
#include "ui/secondary.h"
#include "ui/window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QStyle>
#include <QStyleFactory>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <utility>

namespace tovrin {

namespace {

// The period field: an emptied field, once it is left, reads as the smallest period rather
// than snapping back to the value it held before.
class PeriodField : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

    void fixup(QString& input) const override
    {
        if (input.trimmed().isEmpty())
            input = QString::number(minimum());
        else
            QSpinBox::fixup(input);
    }
};

} // namespace

TForm2::TForm2(SecondaryHost* host) : QDialog(nullptr), host_(host)
{
    setWindowTitle(form2::Title);
    // No buttons in the title bar: the window is left only through "Хорошо" and "Отмена".
    setWindowFlags(NoCloseBox);
    setFixedSize(form2::ClientSize);
    setFont(host->mainWindow()->font());
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(form2::Bevel1);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);

    // The group frames as the window design draws them: the caption sits on the frame's top
    // line, and the controls from y = 16 on lie inside the frame. The desktop's own style draws
    // the frame below the caption instead, through the first radio button.
    QStyle* captionOnFrame = QStyleFactory::create(QStringLiteral("Windows"));
    if (captionOnFrame)
        captionOnFrame->setParent(this);

    GroupBox1 = new QGroupBox(form2::GroupBox1Caption, this);
    GroupBox1->setGeometry(form2::GroupBox1);
    Edit1 = new QLineEdit(QString::fromStdString(files::DefaultExchange), GroupBox1);
    Edit1->setGeometry(form2::Edit1);
    QPalette field = Edit1->palette();
    field.setColor(QPalette::Base, field.color(QPalette::HighlightedText));
    Edit1->setPalette(field);

    GroupBox2 = new QGroupBox(form2::GroupBox2Caption, this);
    GroupBox2->setGeometry(form2::GroupBox2);
    if (captionOnFrame) {
        GroupBox1->setStyle(captionOnFrame);
        GroupBox2->setStyle(captionOnFrame);
    }
    RB1 = new QRadioButton(form2::RB1Caption, GroupBox2);
    RB1->setGeometry(form2::RB1);
    RB1->setChecked(true);
    RB2 = new QRadioButton(form2::RB2Caption, GroupBox2);
    RB2->setGeometry(form2::RB2);
    SpinEdit1 = new PeriodField(GroupBox2);
    SpinEdit1->setGeometry(form2::SpinEdit1);
    SpinEdit1->setRange(form2::PeriodMin, form2::PeriodMax);
    SpinEdit1->setValue(form2::PeriodMin);
    SpinEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    SpinEdit1->setPalette(field);
    SpinEdit1->setEnabled(false);
    Label1 = new QLabel(form2::Label1Caption, GroupBox2);
    Label1->move(form2::Label1);
    Label1->adjustSize();

    Button1 = new QPushButton(form2::Button1Caption, this);
    Button1->setGeometry(form2::Button1);
    Button2 = new QPushButton(form2::Button2Caption, this);
    Button2->setGeometry(form2::Button2);

    setObjectName(QStringLiteral("Form2"));
    for (auto [control, name] : {std::pair<QWidget*, const char*>{Bevel1, "Bevel1"},
                                 {GroupBox1, "GroupBox1"},
                                 {Edit1, "Edit1"},
                                 {GroupBox2, "GroupBox2"},
                                 {RB1, "RB1"},
                                 {RB2, "RB2"},
                                 {SpinEdit1, "SpinEdit1"},
                                 {Label1, "Label1"},
                                 {Button1, "Button1"},
                                 {Button2, "Button2"}})
        control->setObjectName(QString::fromLatin1(name));

    lastPath_ = Edit1->text();
    lastPeriod_ = SpinEdit1->text();

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    // toggled rather than clicked: a selection made with the arrow keys counts as well.
    connect(RB1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RB1Click();
    });
    connect(RB2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RB2Click();
    });
    connect(Edit1, &QLineEdit::textChanged, this, &TForm2::Edit1Change);
    connect(SpinEdit1, &QSpinBox::textChanged, this, &TForm2::SpinEdit1Change);
}

QWidget* TForm2::owner() const { return host_->mainWindow(); }

QString TForm2::exchangePath() const { return Edit1->text(); }

bool TForm2::readsByTimer() const { return RB2->isChecked(); }

void TForm2::prepareToOpen() { SpinEdit1->setValue(form2::PeriodAtOpening); }

void TForm2::restoreInitialSettings()
{
    Edit1->setText(QString::fromStdString(files::DefaultExchange));
    SpinEdit1->setValue(form2::PeriodAtStart);
}

int TForm2::periodValue() const
{
    bool ok = false;
    const int value = SpinEdit1->cleanText().trimmed().toInt(&ok);
    if (!ok)
        return form2::PeriodMin;
    return std::clamp(value, form2::PeriodMin, form2::PeriodMax);
}

bool TForm2::refusesPath()
{
    if (!files::namesProgramFile(toCp1251(Edit1->text())))
        return false;
    host_->showMessage(form2::ProgramFileRefused.arg(Edit1->text()), this);
    Edit1->setFocus();
    Edit1->selectAll();
    return true;
}

void TForm2::Button1Click()
{
    if (refusesPath())
        return;
    // The field holds seconds while the editor is open and milliseconds once accepted.
    const long long milliseconds = static_cast<long long>(periodValue()) * 1000;
    SpinEdit1->setValue(static_cast<int>(std::min<long long>(milliseconds, form2::PeriodMax)));
    host_->closeSecondary(this);
}

void TForm2::Button2Click()
{
    // Left with the path it holds, the editor would have the next reply replace the file.
    if (refusesPath())
        return;
    host_->closeSecondary(this);
}

void TForm2::RB1Click() { SpinEdit1->setEnabled(false); }

void TForm2::RB2Click() { SpinEdit1->setEnabled(true); }

void TForm2::Edit1Change()
{
    if (Edit1->text() == lastPath_)
        return;
    lastPath_ = Edit1->text();
    emit settingsChanged();
}

void TForm2::SpinEdit1Change()
{
    if (SpinEdit1->text() == lastPeriod_)
        return;
    lastPeriod_ = SpinEdit1->text();
    emit settingsChanged();
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    centreOnDesktop(this, frameGeometry().size());
}

// Escape and the window manager's close command leave the editor the way "Отмена" does;
// otherwise the main window would stay disabled with nothing open to enable it again.
void TForm2::reject() { Button2Click(); }

void TForm2::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Button2Click();
}

} // namespace tovrin
