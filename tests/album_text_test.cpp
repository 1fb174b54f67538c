// Albums as editors on Windows write them: a byte-order mark, a legacy code page, empty lines;
// and what must not change with them.
#include <gtest/gtest.h>

#include "album/album.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

TEST(AlbumText, NamesAsWindowsEditorsWriteThem) {
    using Names = std::vector<std::string>;
    const std::pair<std::string, Names> rows[] = {
        {"\xEF\xBB\xBFSun.ZS2\r\nMoon.ZS2", {"Sun.ZS2", "Moon.ZS2"}},
        {"\xEF\xBB\xBF", {}},
        // A mark anywhere else is part of a name; a mark cut short is no mark, nor UTF-8.
        {"Sun.ZS2\r\n\xEF\xBB\xBFMoon.ZS2", {"Sun.ZS2", "\xEF\xBB\xBFMoon.ZS2"}},
        {"\xEF\xBBSun.ZS2", {"\xC3\xAF\xC2\xBBSun.ZS2"}},
        // Windows-1252, the undefined bytes as Windows reads them; each line decides for itself.
        {"Caf\xE9.ZS2", {"Caf\xC3\xA9.ZS2"}},
        {"\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F"
         "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F\xA0\xFF",
         {"\xE2\x82\xAC\xC2\x81\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\xA0"
          "\xE2\x80\xA1\xCB\x86\xE2\x80\xB0\xC5\xA0\xE2\x80\xB9\xC5\x92\xC2\x8D\xC5\xBD"
          "\xC2\x8F\xC2\x90\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2"
          "\xE2\x80\x93\xE2\x80\x94\xCB\x9C\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC2\x9D"
          "\xC5\xBE\xC5\xB8\xC2\xA0\xC3\xBF"}},
        {"Caf\xC3\xA9\r\nCaf\xE9\r\n\xF0\x9F\x8E\xB5\xC2\xBF",
         {"Caf\xC3\xA9", "Caf\xC3\xA9", "\xF0\x9F\x8E\xB5\xC2\xBF"}},
        // Not UTF-8: cut short, overlong, a surrogate, past U+10FFFF.
        {"A\xC3\r\n\xC0\xAF\r\n\xED\xA0\x80\r\n\xF4\x90\x80\x80",
         {"A\xC3\x83", "\xC3\x80\xC2\xAF", "\xC3\xAD\xC2\xA0\xE2\x82\xAC",
          "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"}},
        // The edges of UTF-8: each first and last form of a length, either side of the
        // surrogates, is kept; just past each edge is not.
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80"
         "\xF4\x8F\xBF\xBF",
         {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80"
          "\xF4\x8F\xBF\xBF"}},
        {"\xC1\xBF\r\xE0\x9F\xBF\r\xF0\x8F\xBF\xBF\r\xF5\x80\x80\x80\r\x80\r\xDF\xC0\r\xE1\x80\x7F"
         "\r\xF4\x8F\xBF\x7F",
         {"\xC3\x81\xC2\xBF", "\xC3\xA0\xC5\xB8\xC2\xBF", "\xC3\xB0\xC2\x8F\xC2\xBF\xC2\xBF",
          "\xC3\xB5\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", "\xE2\x82\xAC", "\xC3\x9F\xC3\x80",
          "\xC3\xA1\xE2\x82\xAC\x7F", "\xC3\xB4\xC2\x8F\xC2\xBF\x7F"}},
        {"\r\n\r\nA.ZS2\r\n\r\n", {"A.ZS2"}},
        {"\r\n", {}},
        {"A\n\rB\r\n", {"A", "B"}},
        {std::string("A\0B\n", 4), {std::string("A\0B", 3)}},
        // Unchanged: blanks are kept and a line of them is an entry; a lone CR ends a line; each
        // line resolves by the system's rule.
        {" A.ZS2 \r\n \r\n", {" A.ZS2 ", " "}},
        {"Deep\\B.ZS2\rC:\\S\\A.ZS2\r/srv/A.ZS2", {"Deep\\B.ZS2", "C:\\S\\A.ZS2", "/srv/A.ZS2"}},
    };
    TempDir dir;
    const std::string album = dir / "A.ZA2";
    const std::string folder = album.substr(0, album.size() - 5);
    for (const auto& [bytes, names] : rows) {
        writeText(album, bytes);
        std::vector<ResolvedEntry> entries;
        ASSERT_FALSE(readAlbumEntries(album, entries));
        Names got, want;
        for (const ResolvedEntry& entry : entries)
            got.push_back(entry.path);
        for (const std::string& name : names)
            want.push_back(resolveAlbumEntry(folder, name).path);
        EXPECT_EQ(got, want) << ::testing::PrintToString(bytes);
    }
}

}  // namespace
}  // namespace z2o
