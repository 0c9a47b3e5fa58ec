// Replays the saved fuzz corpus through the fuzz target's check, so every
// input the fuzzer found worth keeping is checked by the test command too,
// with no clang needed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "stream_check.h"

namespace {

TEST(FuzzCorpus, EveryInputPlaysAsTheModelSays) {
    const std::filesystem::path folder(QUORVEL_FUZZ_CORPUS);
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder << " is missing";
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        ++inputs;
        EXPECT_EQ(checkStream(bytes.data(), bytes.size()), "") << "input " << entry.path().filename();
    }
    EXPECT_GT(inputs, 0) << "the corpus is empty";
}

}  // namespace
