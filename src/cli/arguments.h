// The command-line conventions that z2o-convert and z2o-inspect share.
#pragma once

#include <iostream>
#include <optional>
#include <string>

namespace z2o::cli {

// Reads the program's arguments one at a time: files, "--" (after it everything is a file),
// --help and --version are handled here; the rest are the program's own options.
class Arguments {
  public:
    Arguments(int argc, char** argv, const char* program, const char* usage)
        : m_argc(argc), m_argv(argv), m_program(program), m_usage(usage) {}

    // The next option of the program's own, or nothing at the end. Files go to `onFile`;
    // `printed` is set when --help or --version was answered and the program should end.
    template <typename OnFile>
    std::optional<std::string> nextOption(OnFile&& onFile) {
        while (++m_index < m_argc) {
            const std::string arg = m_argv[m_index];
            if (m_optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
                onFile(arg);
            } else if (arg == "--") {
                m_optionsEnded = true;
            } else if (arg == "-h" || arg == "--help") {
                std::cout << m_usage;
                printed = true;
                return std::nullopt;
            } else if (arg == "--version") {
                std::cout << m_program << ' ' << Z2O_VERSION << '\n';
                printed = true;
                return std::nullopt;
            } else {
                return arg;
            }
        }
        return std::nullopt;
    }

    // Whether `arg` is `option`, given as "--name VALUE" or "--name=VALUE"; its value goes to
    // `value`, and `missing` is set when there is none.
    bool takes(const std::string& arg, const std::string& option, std::string& value) {
        missing = false;
        if (arg == option) {
            missing = m_index + 1 >= m_argc;
            if (!missing) value = m_argv[++m_index];
            return true;
        }
        if (!arg.starts_with(option + "=")) return false;
        value = arg.substr(option.size() + 1);
        return true;
    }

    bool printed = false;
    bool missing = false;

  private:
    int m_argc;
    char** m_argv;
    const char* m_program;
    const char* m_usage;
    int m_index = 0;
    bool m_optionsEnded = false;
};

}  // namespace z2o::cli
