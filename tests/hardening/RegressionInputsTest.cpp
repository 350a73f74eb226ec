// Every input kept under tests/regressions (what the fuzzers once broke) and every input
// of the fuzz seed corpus opens and is walked to the end: every type, member, type
// reference and page. Each either works or answers with an Error that has a description.
#include <gtest/gtest.h>

#include <filesystem>

#include "ReaderChecks.h"
#include "fuzz/LibraryWalk.h"

namespace vantrel::testing {
namespace {

std::vector<std::filesystem::path> inputsUnder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() != ".md") inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void expectWalkEndsCleanly(const std::filesystem::path& input) {
    SCOPED_TRACE(input.string());
    const std::vector<uint8_t> bytes = bytesOf(input.string());
    const hardening::WalkResult result = hardening::walkLibrary(bytes, input.filename().string());
    EXPECT_EQ(result.emptyDescriptions, 0);
    if (!result.opened) {
        EXPECT_NE(result.openError.find(input.filename().string()), std::string::npos) << result.openError;
    }
}

TEST(RegressionInputs, EachOpensAndWalksOrFailsWithADescription) {
    const auto inputs = inputsUnder(VANTREL_REGRESSIONS_DIR);
    for (const auto& input : inputs) expectWalkEndsCleanly(input);
}

TEST(RegressionInputs, FuzzSeedCorpusWalksCleanly) {
    const auto inputs = inputsUnder(VANTREL_FUZZ_CORPUS_DIR);
    ASSERT_FALSE(inputs.empty());
    for (const auto& input : inputs) expectWalkEndsCleanly(input);
}

}  // namespace
}  // namespace vantrel::testing
