// What a file is, by the extension of its name in any letter case: the folder walk, the window's
// drops and z2o-inspect all decide it the same way.
#pragma once

#include <string_view>

namespace z2o {

enum class FileKind { Other, Session, Album, Target };  // ZS2, ZA2, OSw

FileKind fileKindOf(std::string_view path);

}  // namespace z2o
