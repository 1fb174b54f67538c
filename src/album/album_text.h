// How the bytes of an album become session names: albums are plain text that editors on Windows
// write with a byte-order mark, in a legacy code page, or with an empty last line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace z2o {

// The names an album's bytes list, as UTF-8, in order. A UTF-8 byte-order mark at the very start
// is no part of the first name, and an empty line names nothing; every other line is a name as
// it stands, blanks included.
std::vector<std::string> albumNames(std::string_view bytes);

// An album line as UTF-8: unchanged when it is UTF-8 already; else read in the code page that
// Windows programs write, the system's ANSI code page on Windows and Windows-1252 elsewhere.
std::string albumLineAsUtf8(std::string_view line);

// Whether `text` is well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool isUtf8(std::string_view text);

// Each byte as the Windows-1252 character it stands for, in UTF-8. The five bytes that code page
// leaves undefined become the control characters of the same number, as Windows reads them.
std::string windows1252AsUtf8(std::string_view bytes);

}  // namespace z2o
