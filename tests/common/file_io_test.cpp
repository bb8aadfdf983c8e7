#include "common/file_io.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

using testing_support::FileSizeLimit;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

std::vector<std::string> filesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string someBytes(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = char((i * 131 + i / 7) & 0xFF);
    return bytes;
}

TEST(AtomicWrite, CreatesOrReplacesTheWholeFile) {
    struct Case {
        const char* name;
        std::string old; // no old file when empty
        std::string bytes;
    };
    const Case cases[] = {
        {"new file", "", "hello\r\n"},
        {"longer old file leaves no tail", "0123456789abcdef", "new"},
        {"empty contents", "old", ""},
        {"binary with zero bytes, larger than one buffer", "old", someBytes(300000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("имя файла.zarm");
        if (!c.old.empty()) writeFile(path, c.old);
        const common::Status s = common::writeFileAtomically(path, c.bytes);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(readFile(path), c.bytes);
        EXPECT_EQ(filesIn(dir), std::vector<std::string>{"имя файла.zarm"});
    }
}

TEST(AtomicWrite, NewFileIsReadableByOthersUnderTheUsualMask) {
    TempDir dir;
    const std::string path = dir.file("page.html");
    const mode_t oldMask = ::umask(022);
    const common::Status s = common::writeFileAtomically(path, "x");
    ::umask(oldMask);
    ASSERT_TRUE(s.ok());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(AtomicWrite, FailureLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.file("m.map");
    const std::string old = someBytes(5000);
    writeFile(path, old);

    common::Status s = common::Status::success();
    {
        FileSizeLimit limit(1000); // the write stops part-way through
        s = common::writeFileAtomically(path, someBytes(20000));
    }
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"m.map"});
}

TEST(AtomicWrite, FailsWhereTheFileCannotBe) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    writeFile(dir.file("folder/inside"), "keep");
    for (const std::string& path : {dir.file("missing/x.map"), dir.file("folder")}) {
        SCOPED_TRACE(path);
        const common::Status s = common::writeFileAtomically(path, "data");
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    }
    EXPECT_EQ(readFile(dir.file("folder/inside")), "keep");
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"folder"});
}

TEST(ReadFileBytes, ReadsEverythingOrFailsNamingThePath) {
    TempDir dir;
    const std::string bytes = someBytes(200000);
    writeFile(dir.file("data"), bytes);
    writeFile(dir.file("empty"), "");

    std::string read = "stale";
    ASSERT_TRUE(common::readFileBytes(dir.file("data"), read).ok());
    EXPECT_EQ(read, bytes);
    ASSERT_TRUE(common::readFileBytes(dir.file("empty"), read).ok());
    EXPECT_EQ(read, "");

    for (const std::string& path : {dir.file("missing"), dir.path().string()}) {
        SCOPED_TRACE(path);
        const common::Status s = common::readFileBytes(path, read);
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    }
}

TEST(CopyFileBytes, CopiesOverTheDestinationOrLeavesItAlone) {
    TempDir dir;
    writeFile(dir.file("from"), "source bytes");
    writeFile(dir.file("to"), "old destination, longer than the source");

    ASSERT_TRUE(common::copyFileBytes(dir.file("from"), dir.file("to")).ok());
    EXPECT_EQ(readFile(dir.file("to")), "source bytes");

    writeFile(dir.file("to"), "kept");
    EXPECT_FALSE(common::copyFileBytes(dir.file("missing"), dir.file("to")).ok());
    EXPECT_EQ(readFile(dir.file("to")), "kept");
}

TEST(FileExists, OnlyForFiles) {
    TempDir dir;
    writeFile(dir.file("a.map"), "");
    EXPECT_TRUE(common::fileExists(dir.file("a.map")));
    EXPECT_FALSE(common::fileExists(dir.file("b.map")));
    EXPECT_FALSE(common::fileExists(dir.path().string()));
}

} // namespace
