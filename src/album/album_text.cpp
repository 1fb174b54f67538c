#include "album/album_text.h"

#include <array>
#include <cstdint>

#include "album/album.h"
#include "convert/file_io.h"

namespace z2o {
namespace {

#ifdef _WIN32
constexpr bool kWindowsNames = true;
#else
constexpr bool kWindowsNames = false;
#endif

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The characters of 0x80 to 0x9F; the bytes from 0xA0 on are those of Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::vector<std::string> albumNames(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    std::vector<std::string> names;
    for (const std::string& line : splitAlbumLines(bytes)) {
        if (!line.empty()) names.push_back(albumLineAsUtf8(line));
    }
    return names;
}

std::string albumLineAsUtf8(std::string_view line) {
    if (isUtf8(line)) return std::string(line);
    if constexpr (kWindowsNames) return nameAsUtf8(line);
    return windows1252AsUtf8(line);
}

bool isUtf8(std::string_view text) {
    const auto byteAt = [&text](std::size_t at) {
        return static_cast<std::uint8_t>(at < text.size() ? text[at] : '\0');
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const std::uint8_t lead = byteAt(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The second byte's range narrows where a form would be overlong, a surrogate or past
        // U+10FFFF; every byte after it is 80 to BF. A byte past the end reads as 0: too low.
        std::size_t length = 0;
        std::uint8_t low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (byteAt(i + 1) < low || byteAt(i + 1) > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if (byteAt(i + k) < 0x80 || byteAt(i + k) > 0xBF) return false;
        }
        i += length;
    }
    return true;
}

std::string windows1252AsUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
    }
    return out;
}

}  // namespace z2o
