#pragma once
// The colour and font pickers, and the real dialogs behind them.
#include "ui/look.h"

#include <QColor>
#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace tovrin {

// A font as the font pickers offer it: face, size and style only.
struct FontChoice {
    QString face = look::FontFace;
    int size = look::FontSize;
    bool bold = false;
    bool italic = false;
    bool operator==(const FontChoice&) const = default;
};

// The colour and font dialogs. Each call opens the dialog preset to value; on confirm it
// stores the choice in value and returns true; on cancel it leaves value and returns false.
class Pickers {
public:
    virtual ~Pickers() = default;
    virtual bool pickColor(QColor& value, QWidget* parent) = 0;
    // With onlySize8 the dialog offers 8 points only.
    virtual bool pickFont(FontChoice& value, bool onlySize8, QWidget* parent) = 0;
};

std::unique_ptr<Pickers> makeDialogPickers();

// The font picker: face, style and size, and nothing else (no colour, underline or strike-out,
// which the stock font dialog always offers). With onlySize8 it offers 8 points only.
class FontPickerDialog : public QDialog {
    Q_OBJECT

public:
    FontPickerDialog(const FontChoice& preset, bool onlySize8, QWidget* parent = nullptr);

    // The choice as the dialog shows it now.
    FontChoice choice() const;

    QLineEdit* faceEdit = nullptr;
    QListWidget* faceList = nullptr;
    QListWidget* styleList = nullptr;
    QSpinBox* sizeEdit = nullptr;
    QListWidget* sizeList = nullptr;
    QLabel* sample = nullptr;

private:
    void createControls(bool onlySize8);
    void showPreset(const FontChoice& preset);
    void faceTyped(const QString& text);
    void sizeChanged(int size);
    QString chosenFace() const;
    void updateSample();

    QString presetFace_;
};

} // namespace tovrin
