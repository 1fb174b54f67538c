// Any bytes as an album: lines hold no line ends and lose nothing else, every line resolves
// under both path rules without a crash, and every name read is UTF-8 and not empty.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "album/album.h"
#include "album/album_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t kept = 0;
    for (const std::string& line : z2o::splitAlbumLines(bytes)) {
        if (line.find_first_of("\r\n") != std::string::npos) std::abort();
        kept += line.size();
        const z2o::ResolvedEntry posix = z2o::resolvePosixAlbumEntry("/albums/", line);
        if (posix.reachable && posix.path.front() != '/') std::abort();
        const z2o::ResolvedEntry windows = z2o::resolveWindowsAlbumEntry("C:\\Albums\\", line);
        if (windows.path.size() < line.size()) std::abort();
    }
    std::size_t ends = 0;
    for (const char c : bytes)
        ends += (c == '\r' || c == '\n') ? 1 : 0;
    if (kept + ends != size) std::abort();
    for (const std::string& name : z2o::albumNames(bytes)) {
        if (name.empty() || !z2o::isUtf8(name)) std::abort();
    }
    return 0;
}
