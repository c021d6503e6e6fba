#pragma once
// A host without a window: it keeps the transcript's lines, the input line and whether the last
// answer said farewell. It shows no busy pointer and makes no remark by itself.
#include "engine/host.h"

#include <string>
#include <vector>

namespace tovrin {

class PlainHost : public Host {
public:
    void appendTranscript(const std::string& line, LineStyle) override
    {
        transcript.push_back(line);
    }
    int transcriptCount() const override { return static_cast<int>(transcript.size()); }
    std::string transcriptLine(int index) const override
    {
        return index >= 0 && index < transcriptCount() ? transcript[static_cast<std::size_t>(index)]
                                                       : std::string();
    }
    void setBusy(bool) override {}
    void setFarewell(bool said) override { farewell = said; }
    void setDelayedRemarkArmed(bool) override {}
    void greetingDone() override {}
    std::string inputText() const override { return input; }
    void clearInput() override { input.clear(); }
    bool cpuCpuMode() const override { return cpuCpu; }
    std::string exchangePath() const override { return exchange; }

    std::vector<std::string> transcript;
    std::string input;
    bool farewell = false;
    bool cpuCpu = false;
    std::string exchange;
};

} // namespace tovrin
