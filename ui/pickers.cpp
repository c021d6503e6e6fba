#include "ui/pickers.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <array>

namespace tovrin {

namespace {

namespace design {
const QString ColorTitle = QStringLiteral("Цвет");
const QString FontTitle = QStringLiteral("Шрифт");
const QString FaceCaption = QStringLiteral("&Шрифт:");
const QString StyleCaption = QStringLiteral("&Начертание:");
const QString SizeCaption = QStringLiteral("&Размер:");
const QString SampleCaption = QStringLiteral("Образец");
const QString SampleText = QStringLiteral("АаБбЯя AaBbYyZz");
const QString Ok = QStringLiteral("ОК");
const QString Cancel = QStringLiteral("Отмена");

struct Style {
    const char* caption;
    bool bold;
    bool italic;
};
const std::array<Style, 4> Styles{{
    {"Обычный", false, false},
    {"Курсив", false, true},
    {"Жирный", true, false},
    {"Жирный курсив", true, true},
}};

const QList<int> Sizes{8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int OnlySize = 8;
constexpr int SmallestSize = 1;
constexpr int LargestSize = 1638;
constexpr int SampleHeight = 60;
} // namespace design

class DialogPickers : public Pickers {
public:
    bool pickColor(QColor& value, QWidget* parent) override
    {
        const QColor chosen = QColorDialog::getColor(value, parent, design::ColorTitle);
        if (!chosen.isValid())
            return false;
        value = chosen;
        return true;
    }

    bool pickFont(FontChoice& value, bool onlySize8, QWidget* parent) override
    {
        FontPickerDialog dialog(value, onlySize8, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        value = dialog.choice();
        return true;
    }
};

} // namespace

std::unique_ptr<Pickers> makeDialogPickers() { return std::make_unique<DialogPickers>(); }

FontPickerDialog::FontPickerDialog(const FontChoice& preset, bool onlySize8, QWidget* parent) :
    QDialog(parent),
    presetFace_(preset.face)
{
    setWindowTitle(design::FontTitle);
    createControls(onlySize8);
    showPreset(preset);
}

void FontPickerDialog::createControls(bool onlySize8)
{
    faceEdit = new QLineEdit;
    faceList = new QListWidget;
    faceList->addItems(QFontDatabase::families());

    styleList = new QListWidget;
    for (const auto& style : design::Styles)
        styleList->addItem(QString::fromUtf8(style.caption));

    sizeEdit = new QSpinBox;
    sizeList = new QListWidget;
    const QList<int> sizes = onlySize8 ? QList<int>{design::OnlySize} : design::Sizes;
    if (onlySize8)
        sizeEdit->setRange(design::OnlySize, design::OnlySize);
    else
        sizeEdit->setRange(design::SmallestSize, design::LargestSize);
    for (int size : sizes)
        sizeList->addItem(QString::number(size));

    auto* faceLabel = new QLabel(design::FaceCaption);
    faceLabel->setBuddy(faceEdit);
    auto* styleLabel = new QLabel(design::StyleCaption);
    styleLabel->setBuddy(styleList);
    auto* sizeLabel = new QLabel(design::SizeCaption);
    sizeLabel->setBuddy(sizeEdit);

    sample = new QLabel(design::SampleText);
    sample->setAlignment(Qt::AlignCenter);
    sample->setMinimumHeight(design::SampleHeight);
    auto* sampleBox = new QGroupBox(design::SampleCaption);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(design::Ok);
    buttons->button(QDialogButtonBox::Cancel)->setText(design::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(faceLabel, 0, 0);
    grid->addWidget(styleLabel, 0, 1);
    grid->addWidget(sizeLabel, 0, 2);
    grid->addWidget(faceEdit, 1, 0);
    grid->addWidget(styleList, 1, 1, 2, 1);
    grid->addWidget(sizeEdit, 1, 2);
    grid->addWidget(faceList, 2, 0);
    grid->addWidget(sizeList, 2, 2);
    grid->addWidget(sampleBox, 3, 0, 1, 3);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    connect(faceEdit, &QLineEdit::textEdited, this, &FontPickerDialog::faceTyped);
    connect(faceList, &QListWidget::currentTextChanged, this, [this](const QString& face) {
        if (face.isEmpty())
            return;
        const QSignalBlocker quiet(faceEdit);
        faceEdit->setText(face);
        updateSample();
    });
    connect(styleList, &QListWidget::currentRowChanged, this, &FontPickerDialog::updateSample);
    connect(sizeList, &QListWidget::currentTextChanged, this, [this](const QString& size) {
        if (!size.isEmpty())
            sizeEdit->setValue(size.toInt());
    });
    connect(sizeEdit, &QSpinBox::valueChanged, this, &FontPickerDialog::sizeChanged);
}

void FontPickerDialog::sizeChanged(int size)
{
    const auto found = sizeList->findItems(QString::number(size), Qt::MatchExactly);
    const QSignalBlocker quiet(sizeList);
    sizeList->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    updateSample();
}

void FontPickerDialog::showPreset(const FontChoice& preset)
{
    // A face that this system lacks (the program's own default, for one) still shows and stays
    // the choice unless the user picks another.
    faceEdit->setText(preset.face);
    faceTyped(preset.face);
    for (int row = 0; row < static_cast<int>(design::Styles.size()); ++row) {
        const auto& style = design::Styles[static_cast<std::size_t>(row)];
        if (style.bold == preset.bold && style.italic == preset.italic)
            styleList->setCurrentRow(row);
    }
    {
        const QSignalBlocker quiet(sizeEdit);
        sizeEdit->setValue(preset.size);
    }
    sizeChanged(sizeEdit->value());
}

void FontPickerDialog::faceTyped(const QString& text)
{
    // Typing selects the first face that begins with the text, without overwriting the text.
    const QSignalBlocker quiet(faceList);
    const auto found = faceList->findItems(text, Qt::MatchStartsWith);
    faceList->setCurrentItem(text.isEmpty() || found.isEmpty() ? nullptr : found.first());
    if (faceList->currentItem())
        faceList->scrollToItem(faceList->currentItem());
    updateSample();
}

FontChoice FontPickerDialog::choice() const
{
    FontChoice result;
    result.face = chosenFace();
    result.size = sizeEdit->value();
    const int row = styleList->currentRow();
    if (row >= 0) {
        result.bold = design::Styles[static_cast<std::size_t>(row)].bold;
        result.italic = design::Styles[static_cast<std::size_t>(row)].italic;
    }
    return result;
}

QString FontPickerDialog::chosenFace() const
{
    const QString typed = faceEdit->text().trimmed();
    if (typed.isEmpty())
        return presetFace_;
    // The preset face stands as it is, even where it is not installed; anything else typed
    // becomes an installed face: the one so named, or the one that the typing highlighted.
    if (typed == presetFace_)
        return typed;
    const auto named = faceList->findItems(typed, Qt::MatchFixedString);
    if (!named.isEmpty())
        return named.first()->text();
    return faceList->currentItem() ? faceList->currentItem()->text() : presetFace_;
}

void FontPickerDialog::updateSample()
{
    if (!sample)
        return;
    const FontChoice shown = choice();
    QFont font(shown.face);
    font.setPointSize(shown.size);
    font.setBold(shown.bold);
    font.setItalic(shown.italic);
    sample->setFont(font);
}

} // namespace tovrin
