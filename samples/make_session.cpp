// z2o-make-session DESCRIPTION OUTPUT: writes the ZS2 file that a session description describes.
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "samples/session_builder.h"

namespace {

constexpr const char* kUsage =
    "usage: z2o-make-session DESCRIPTION OUTPUT\n"
    "Writes to OUTPUT the ZS2 session that the text file DESCRIPTION describes.\n"
    "Exit status: 0 written, 1 unreadable, bad or unwritable, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 3) {
        std::cerr << kUsage;
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "z2o-make-session: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::string description{std::istreambuf_iterator<char>(in), {}};
    try {
        const auto bytes = z2o::samples::buildSession(description);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "z2o-make-session: " << argv[1] << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
