#include "convert/file_kind.h"

#include <algorithm>
#include <filesystem>

#include "convert/file_io.h"

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

PathKind pathKindOf(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(toPath(path), ec);
    if (!std::filesystem::exists(status)) return PathKind::Missing;
    if (std::filesystem::is_directory(status)) return PathKind::Folder;
    switch (fileKindOf(path)) {
        case FileKind::Session:
            return PathKind::Session;
        case FileKind::Album:
            return PathKind::Album;
        default:
            return PathKind::Other;
    }
}

}  // namespace z2o
