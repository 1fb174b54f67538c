#include "convert/file_kind.h"

#include <algorithm>

namespace z2o {

FileKind fileKindOf(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t separator = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) {
        return FileKind::Other;
    }
    const std::string_view extension = path.substr(dot + 1);
    const auto is = [extension](std::string_view upper) {
        return std::equal(extension.begin(), extension.end(), upper.begin(), upper.end(),
                          [](char c, char u) { return (c >= 'a' && c <= 'z' ? c - 32 : c) == u; });
    };
    static constexpr std::pair<std::string_view, FileKind> kKinds[] = {
        {"ZS2", FileKind::Session}, {"ZA2", FileKind::Album}, {"OSW", FileKind::Target}};
    for (const auto& [upper, kind] : kKinds) {
        if (is(upper)) return kind;
    }
    return FileKind::Other;
}

}  // namespace z2o
