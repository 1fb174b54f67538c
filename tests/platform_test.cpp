// What differs between systems: exclusive creation, a NUL in a name, sizes past 4 GiB, names in
// a legacy code page, the program's folder. Names beyond ASCII are rows of the command-line
// runs; a target held open is a row of the failures.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "convert/file_io.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

namespace fs = std::filesystem;

TEST(Files, CreationIsExclusiveNamesWholeAndSizes64Bit) {
    TempDir dir;
    writeBytes(dir / "Taken.tmp", {1, 2, 3});
    errno = 0;
    EXPECT_EQ(createNewFile(dir / "Taken.tmp"), nullptr);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(readBytes(dir / "Taken.tmp"), (std::vector<std::uint8_t>{1, 2, 3}));
    // A NUL would cut the name short, and another file than the one named would be used.
    const std::string cut = dir / std::string("Taken.tmp\0.OSw", 14);
    EXPECT_EQ(SourceFile().open(cut)->number, kBadFileName);
    EXPECT_EQ(TargetFile().create(cut)->number, kBadFileName);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"Taken.tmp"});

    const std::uint64_t huge = (4ULL << 30) + 45;
    const std::string night = dir / "\xD0\x9D\xD0\xBE\xD1\x87\xD1\x8C.ZS2";
    writeBytes(night, {});
    fs::resize_file(toPath(night), huge);  // sparse: costs no disk
    SourceFile source;
    ASSERT_FALSE(source.open(night));
    EXPECT_EQ(source.size(), huge);

    // A name in a legacy code page ("für" in cp1252) is read in the ANSI code page on Windows;
    // elsewhere its bytes are the name.
    EXPECT_EQ(nameAsUtf8("f\xFCr"), testing::system::kLegacyName);
    const fs::path folder = toPath(programFileFolder());
    EXPECT_TRUE(fs::exists(folder / "z2o_cli_tests.exe") || fs::exists(folder / "z2o_cli_tests"))
        << folder;
}

}  // namespace
}  // namespace z2o
