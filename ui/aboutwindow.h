#pragma once
// The about window: picture, version label, "История" and "Закрыть", and below them the history
// memo, shown only while the window is unfolded.
#include "ui/aboutwindowdesign.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tovrin {

class SecondaryHost;

class TForm3 : public QDialog {
    Q_OBJECT

public:
    // Outer heights, frame included: only the upper pane shows, or both panes.
    static constexpr int FoldedHeight = form3::FoldedHeight;
    static constexpr int UnfoldedHeight = form3::UnfoldedHeight;

    // host is the main window: it stays disabled while this one is shown and reports this
    // one's errors. It may be null for a window standing alone, which reports nothing.
    explicit TForm3(SecondaryHost* host);
    // The main window it belongs to; nullptr for a window standing alone.
    QWidget* owner() const;

    // The window's height with its frame, as the folding counts it.
    int outerHeight() const { return outerHeight_; }
    void setOuterHeight(int height);

    // Escape acts as "Закрыть": the window closes through its own button, which gives the main
    // window back.
    void reject() override;

private slots:
    // Loads ReadMe.Txt into the memo and folds or unfolds. Throws FileError when the file cannot
    // be read; the window and the memo then stay as they were.
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // ---- controls (named as in the window design, each bearing its name as its object
    // name)
    QFrame* TabControl1 = nullptr; // upper pane
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr; // История
    QPushButton* Button2 = nullptr; // Закрыть
    QFrame* TabControl2 = nullptr; // lower pane
    QPlainTextEdit* Memo1 = nullptr;

    void createControls();
    void applyOuterHeight();
    int frameHeight();
    void centre();

    SecondaryHost* host_;
    int outerHeight_ = FoldedHeight;
    int measuredFrame_ = 0;
    bool shownBefore_ = false;
    bool centring_ = false;
    QTimer* settle_ = nullptr;
};

} // namespace tovrin
