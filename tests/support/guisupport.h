#pragma once
// Doubles for the window tests: scripted picker answers and a reporter that records errors.
#include "app/services.h"

#include <QStringList>
#include <deque>
#include <optional>

namespace tovrin::test {

// Each call takes the next scripted answer: a value to confirm, or nothing to cancel.
// Without a scripted answer the dialog is cancelled.
class ScriptedPickers : public Pickers {
public:
    bool pickColor(QColor& value, QWidget* parent) override;
    bool pickFont(FontChoice& value, bool onlySize8, QWidget* parent) override;

    std::deque<std::optional<QColor>> colors;
    std::deque<std::optional<FontChoice>> fonts;
    QList<QColor> colorPresets; // the value each colour dialog opened with
    QList<FontChoice> fontPresets; // the value each font dialog opened with
    QList<bool> fontOnlySize8;
};

class RecordingReporter : public Reporter {
public:
    void showError(const QString& message, QWidget*) override { errors << message; }
    QStringList errors;
};

} // namespace tovrin::test
