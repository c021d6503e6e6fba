#pragma once
// The virtual keyboard: signs, Cyrillic letters, Bcksp, [Enter], space and Caps Lock. Every key
// works on the main window's input line; the window holds no text of its own.
#include <QDialog>
#include <QList>

class QGroupBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTimer;
class QToolButton;

namespace tovrin {

class SecondaryHost;

class TForm4 : public QDialog {
    Q_OBJECT

public:
    // Created hidden by the main window, whose input line it works on for its whole life.
    TForm4(SecondaryHost* host, QLineEdit* input);
    // The main window it belongs to.
    QWidget* owner() const;

    // Opening: the main window has shown it; its control-state tick starts.
    void opened();

signals:
    // [Enter] presses the main window's "Сказать".
    void speakPressed();

public:
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void FormCreate();
    void N2Click(); // hides the keyboard
    void T1Timer(); // the keyboard's T1, not the main window's
    void SB23Click(); // Пробел
    void SB62Click(); // Bcksp
    void SB63Click(); // Caps Lock
    void SB66Click(); // [Enter]

private:
    // ---- controls (named as in the window design, each bearing its name as its object name)
    QMenuBar* MainMenu1 = nullptr;
    QMenu* N1 = nullptr; // &Система
    QAction* N2 =
        nullptr; // С&крыть виртуальную клавиатуру (the main window's N2 is «Новый диалог»)
    QWidget* Client = nullptr; // everything below the menu bar
    QGroupBox* GroupBox1 = nullptr; // Знаки:
    QGroupBox* GroupBox2 = nullptr; // Буквы:
    QToolButton* SB23 = nullptr; // Пробел
    QToolButton* SB62 = nullptr; // Bcksp
    QToolButton* SB66 = nullptr; // [Enter]
    QToolButton* SB63 = nullptr; // Caps Lock
    QTimer* T1 = nullptr; // the keyboard's own tick: enables Bcksp and [Enter] by the input line

    // A key by its component name ("SB29", "Sd8"); nullptr when there is none.
    QToolButton* key(const QString& name) const;
    // Every key in the order they stand: signs, letters, then the four others.
    const QList<QToolButton*>& keys() const { return keys_; }

    // Caps Lock of this keyboard (not the physical one): 0 lower case, 1 upper case.
    int CapsState = 0;

    void createMenus();
    void createKeys();
    void createTimers();
    QToolButton* addKey(QWidget* parent, const QString& name, const QString& caption, QRect place);

    // Appends text at the end of the input line, whatever the caret; a key that would take the
    // line beyond the input line's limit does nothing, as typing would.
    void appendToInput(const QString& text);
    void signClick(const QString& sign);
    void letterClick(const QString& letter);

    SecondaryHost* host_;
    QLineEdit* input_;
    QList<QToolButton*> keys_;
    bool placed_ = false;
};

} // namespace tovrin
