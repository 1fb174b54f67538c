#include <io.h>

#include "cli/cli_host.h"

namespace z2o::cli {

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

}  // namespace z2o::cli
