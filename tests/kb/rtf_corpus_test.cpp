// Replays every document of the fuzzer's corpus through the fuzzer's own checks, so that
// whatever the fuzzer once found stays fixed in every build.
#include "fuzz/rtf_check.h"
#include "support/kbsupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;
using tovrin::test::bytesOf;
using tovrin::test::cp;
using Lines = std::vector<std::string>;

const fs::path kCorpus = fs::path(TOVRIN_SOURCE_DIR) / "tests/fuzz/corpus/rtf";

TEST(RtfCorpus, EveryDocumentPassesTheFuzzerChecks)
{
    int documents = 0;
    for (const auto& entry : fs::directory_iterator(kCorpus)) {
        if (!entry.is_regular_file())
            continue;
        ++documents;
        EXPECT_EQ(tovrin::fuzz::checkRtfDocument(bytesOf(entry.path())), "")
            << entry.path().filename();
    }
    EXPECT_GE(documents, 10) << "the corpus is missing";
}

TEST(RtfCorpus, DocumentsOfOtherWritersReadAsTheyShow)
{
    const std::map<std::string, std::optional<Lines>> expected = {
        {"office_like.rtf", Lines{cp("Привет"), cp("Ёж — line"), "second"}},
        {"wordpad_like.rtf", Lines{cp("Hello Привет"), "bold text ?"}},
        {"unicode_fallbacks.rtf", Lines{cp("АБ?xВГ?")}}, // \uc0 holds again after the group
        {"destinations_and_bin.rtf", Lines{"link text", "visible\xA0nbsp"}},
        {"empty_lines.rtf", Lines{"", "", ""}},
        {"empty.rtf", Lines{}},
        {"unterminated.rtf", std::nullopt},
        {"too_deep.rtf", std::nullopt},
        {"huge_bin.rtf", std::nullopt},
    };
    for (const auto& [name, lines] : expected)
        EXPECT_EQ(tovrin::readRtf(bytesOf(kCorpus / name)), lines) << name;
}
