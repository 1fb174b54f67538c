#include <unistd.h>

#include "cli/cli_host.h"

namespace z2o::cli {

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

}  // namespace z2o::cli
