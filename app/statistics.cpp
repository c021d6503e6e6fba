// The counts of the knowledge base shown after start: the status bar (T3) and the submenu
// "Подробнее о базе:" (T8). Both run once.
#include "app/mainwindow.h"

#include "kb/knowledge.h"
#include "kb/linelist.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace tovrin {

namespace {

const QString Loading = QStringLiteral("Идёт загрузка подождите...");
const QString Loaded = QStringLiteral("Загрузка окончена");

QString knownText(const KnowledgeCounts& counts)
{
    return QStringLiteral("Программе известно:   [главные фразы - %1   ветки - %2]")
        .arg(counts.mainPhrases)
        .arg(counts.branches);
}

// The phrase lists whose lines count as outgoing expressions, in the order they are loaded.
const std::string* const CountedLists[] = {
    &files::BigString, &files::Pause, &files::Povtor, &files::W1, &files::W2, &files::X,
};

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
    setStatusText(0, Loading);
    Input->setReadOnly(true);
    Speak->setEnabled(false);
    const Outcome outcome = attempt([this] {
        engine().RE2.load(files::Words);
        setStatusText(1, knownText(CountKnowledge(engine().RE2)));
    });
    Input->setReadOnly(false);
    Speak->setEnabled(!Input->text().isEmpty());
    if (outcome == Outcome::Done)
        setStatusText(0, Loaded);
    if (outcome != Outcome::Suppressed)
        timer(Timer::T3)->stop();
}

void TForm1::T8Timer()
{
    const Outcome outcome = attempt([this] {
        LineList& list = engine().RE2;
        list.load(files::Words);
        // A knowledge file that has lost even its first line knows nothing, not minus one.
        const int incoming = std::max(0, list.count() - 1);
        appendCount(N18, incoming);

        int outgoing = 0;
        for (const std::string* name : CountedLists) {
            list.load(*name);
            outgoing += list.count();
        }
        list.load(files::Words);
        outgoing += CountKnowledge(list).replies;
        appendCount(N19, outgoing);
        appendCount(N20, incoming + outgoing);
    });
    if (outcome != Outcome::Suppressed)
        timer(Timer::T8)->stop();
}

} // namespace tovrin
