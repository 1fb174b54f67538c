// What a file is, by the extension of its name in any letter case: the folder walk, the window's
// drops and z2o-inspect all decide it the same way.
#pragma once

#include <string>
#include <string_view>

namespace z2o {

enum class FileKind { Other, Session, Album, Target };  // ZS2, ZA2, OSw

FileKind fileKindOf(std::string_view path);

// What a path handed over (a drop, a command line) names, by what is on disk and then by its
// name: the window and the folder walk take it the same way.
enum class PathKind { Missing, Folder, Session, Album, Other };
PathKind pathKindOf(const std::string& path);

}  // namespace z2o
