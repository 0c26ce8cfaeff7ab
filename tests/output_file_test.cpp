// Output files: written whole or not at all, a link replaced and never written through.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/output_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Everything in the working directory but the names given.
std::string othersThan(std::initializer_list<std::string> expected) {
    std::string others;
    for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            others += name + " ";
    }
    return others;
}

bool write(const std::string& path, const std::string& text, std::string& error,
           OutputReplace replace = OutputReplace::Existing, OutputFailure* failure = nullptr) {
    return writeOutputFile(path, text.data(), text.size(), error, replace, failure);
}

TEST(OutputFile, ALinkIsReplacedDanglingOrNotAndWhatItPointsToIsLeftAlone) {
    TemporaryDirectory folder;
    std::string error;
    writeFileBytes("old.txt", "old");
    ASSERT_TRUE(write("old.txt", "new", error)) << error;
    EXPECT_EQ(readFileBytes("old.txt"), "new");

    writeFileBytes("target", "kept");
    fs::create_symlink("target", "live.txt");
    fs::create_symlink("missing/nowhere", "dangling.txt");
    ASSERT_TRUE(write("live.txt", "through no link", error)) << error;
    ASSERT_TRUE(write("dangling.txt", "here", error)) << error;
    EXPECT_EQ(readFileBytes("target"), "kept");
    EXPECT_FALSE(fs::is_symlink("live.txt"));
    EXPECT_FALSE(fs::is_symlink("dangling.txt"));
    EXPECT_EQ(readFileBytes("live.txt"), "through no link");
    EXPECT_EQ(readFileBytes("dangling.txt"), "here");
    EXPECT_FALSE(fs::exists("missing"));
    EXPECT_EQ(othersThan({"old.txt", "target", "live.txt", "dangling.txt"}), "");

    // A name that must be free: anything there, a dangling link too, is left as it was.
    OutputFailure failure;
    fs::create_symlink("nowhere", "taken.txt");
    EXPECT_FALSE(write("taken.txt", "x", error, OutputReplace::Never, &failure));
    EXPECT_EQ(failure.code, EEXIST);
    EXPECT_TRUE(fs::is_symlink("taken.txt"));
    EXPECT_FALSE(write("/dev/null", "x", error));
    EXPECT_EQ(error, "not a regular file");
}

// In a death test's child: files stop growing at this many bytes, and a write past it fails.
void limitFileSizeTo(rlim_t bytes) {
    failWritesPastTheSizeLimit();
    rlimit limit;
    limit.rlim_cur = limit.rlim_max = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

// A file size limit stands in for a full disk (root may write anywhere else).
TEST(OutputFile, AWriteThatFailsKeepsTheOldFileAndLeavesNothingBehind) {
    TemporaryDirectory folder;
    writeFileBytes("keep.png", "the good old file");
    const std::string big(64 * 1024, 'x');
    EXPECT_EXIT(
        {
            limitFileSizeTo(4096);
            std::string error;
            OutputFailure failure;
            const bool written = write("keep.png", big, error, OutputReplace::Existing, &failure);
            std::fprintf(stderr, "%s %s", error.c_str(), failure.created ? "created" : "");
            std::exit(written ? 0 : 1);
        },
        ::testing::ExitedWithCode(1), "^File too large created$");
    EXPECT_EQ(readFileBytes("keep.png"), "the good old file");
    EXPECT_EQ(othersThan({"keep.png"}), "");

    // The same through the name-must-be-free way: not even the name is left taken.
    EXPECT_EXIT(
        {
            limitFileSizeTo(4096);
            std::string error;
            std::exit(write("new.bmp", big, error, OutputReplace::Never) ? 0 : 1);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(othersThan({"keep.png"}), "");
}

}  // namespace
