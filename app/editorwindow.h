#pragma once
// The editor "Редактор": the exchange file's path and the way its phrases are read (on ENTER,
// or by timer with a period). Opened from the main window's N38 and closed only by its own
// two buttons.
#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tovrin {

class SecondaryHost;

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(SecondaryHost* host);
    // The main window it belongs to.
    QWidget* owner() const;

    // The period field as the program reads it: a text that is no whole number (an emptied
    // field, say) reads as 1, and the value is kept within the field's bounds.
    int periodValue() const;

    // What the main window reads of the editor: the exchange file's path as typed, and whether
    // its phrases are read by timer (RB2) rather than on ENTER.
    QString exchangePath() const;
    bool readsByTimer() const;

    // N38 opens the editor with a period of one second in the field.
    void prepareToOpen();
    // N13: the path and the period as at start.
    void restoreInitialSettings();

signals:
    // The path or the period was changed (N13's mark is cleared by it).
    void settingsChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void Button1Click();
    void Button2Click();
    void RB1Click();
    void RB2Click();
    void Edit1Change();
    void SpinEdit1Change();

private:
    // ---- the editor's controls (named as in its window design, each bearing its name as
    // its object name)
    QFrame* Bevel1 = nullptr; // the raised frame round the whole window
    QGroupBox* GroupBox1 = nullptr; // "Путь файла для внешнего ввода-вывода:"
    QLineEdit* Edit1 = nullptr; // the exchange file's path
    QGroupBox* GroupBox2 = nullptr; // "Считывание фразы из файла:"
    QRadioButton* RB1 = nullptr; // "По нажатию клавиши [ENTER]": a turn on ENTER
    QRadioButton* RB2 = nullptr; // "По таймеру  каждые:": a turn at every tick of T6
    QSpinBox* SpinEdit1 = nullptr; // T6's period in seconds (1 … 36000)
    QLabel* Label1 = nullptr; // "сек."
    QPushButton* Button1 = nullptr; // "Хорошо" of the editor: keeps the fields and closes
    QPushButton* Button2 = nullptr; // "Отмена" of the editor: closes and keeps the fields too

    // True, after saying so, when the path names one of the program's own files, which the
    // exchange file may never be.
    bool refusesPath();

    SecondaryHost* host_;
    bool centred_ = false;
    QString lastPath_;
    QString lastPeriod_;
};

} // namespace tovrin
