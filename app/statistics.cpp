// The counts of the knowledge base shown after start: the status bar (T3) and the submenu
// "Подробнее о базе:" (T8). Both run once.
#include "app/mainwindow.h"

#include "app/mainwindowdesign.h"

#include "kb/knowledge.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

namespace tovrin {

namespace {

QString knownText(const KnowledgeCounts& counts)
{
    return form1::KnownText.arg(counts.mainPhrases).arg(counts.branches);
}

// A count already shown stays as it is when a load that failed before it is tried again.
void appendCount(QAction* entry, int count)
{
    if (entry->text().endsWith(u']'))
        return;
    entry->setText(entry->text() + QStringLiteral(" [%1]").arg(count));
}

} // namespace

// A count that fails is shown once and not taken again: the timer stops before it loads.
// Only when the message could not be shown (another one was open) does the timer stay armed
// to show it at a later tick. Either way the input line is given back to the user.
void TForm1::T3Timer()
{
    setStatusText(0, form1::Loading);
    Input->setReadOnly(true);
    Speak->setEnabled(false);
    const Outcome outcome = attempt([this] { setStatusText(1, knownText(CountKnowledgeFile())); });
    Input->setReadOnly(false);
    Speak->setEnabled(!Input->text().isEmpty());
    if (outcome == Outcome::Done)
        setStatusText(0, form1::Loaded);
    if (outcome != Outcome::Suppressed)
        timer(Timer::T3)->stop();
}

void TForm1::T8Timer()
{
    const Outcome outcome = attempt([this] {
        const KnowledgeCounts knowledge = CountKnowledgeFile();
        appendCount(N18, knowledge.incoming);
        const int outgoing = CountOutgoing(knowledge, CountOutgoingLists());
        appendCount(N19, outgoing);
        appendCount(N20, knowledge.incoming + outgoing);
    });
    if (outcome != Outcome::Suppressed)
        timer(Timer::T8)->stop();
}

} // namespace tovrin
