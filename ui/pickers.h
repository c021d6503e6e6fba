#pragma once
// The real colour and font dialogs behind the pickers.
#include "app/services.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace tovrin {

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
