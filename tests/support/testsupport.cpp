#include "support/testsupport.h"

namespace tovrin::test {

int ScriptedDice::random(int n)
{
    asked.push_back(n);
    if (n <= 0)
        return 0;
    if (values_.empty())
        return 0;
    const int v = values_.front();
    values_.pop_front();
    return ((v % n) + n) % n;
}

std::string RecordingHost::transcriptLine(int index) const
{
    if (index < 0 || index >= transcriptCount())
        return {};
    return transcript[static_cast<size_t>(index)].text;
}

} // namespace tovrin::test
