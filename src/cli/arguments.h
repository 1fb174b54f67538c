// The command-line conventions that z2o-convert and z2o-inspect share, as getopt users know
// them: "-q" and "--quiet"; short options together ("-qn"); a value joined or apart ("-r5",
// "-r 5", "--ramp-time=5", "--ramp-time 5"); "--" ends the options; "-" and an empty argument
// name files. -h/--help and -V/--version are answered here.
#pragma once

#include <algorithm>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace z2o::cli {

struct Option {
    char letter = 0;              // the short form; 0 for none
    std::string_view name;        // the long form, without its dashes
    std::string_view needs = {};  // what its value is ("a number of seconds"); empty: no value
};

// An option as the command line gave it.
struct Given {
    const Option* option = nullptr;
    std::string as;  // "-r" or "--ramp-time", to name it in a message as the user wrote it
    std::string value;
};

// Reads the program's arguments one at a time.
class Arguments {
  public:
    Arguments(int argc, char** argv, const char* program, const char* usage,
              std::span<const Option> options)
        : m_argc(argc), m_argv(argv), m_program(program), m_usage(usage), m_options(options) {}

    // The next of the program's own options, or nothing: at the end, once --help or --version
    // was answered (`printed` is set and the program should end) or at bad usage (`error` says
    // why). Files go to `onFile`.
    template <typename OnFile>
    std::optional<Given> next(OnFile&& onFile) {
        if (printed || !error.empty()) return std::nullopt;
        while (m_letters.empty()) {
            if (++m_index >= m_argc) return std::nullopt;
            const std::string arg = m_argv[m_index];
            if (m_optionsEnded || arg.size() < 2 || arg[0] != '-') {
                onFile(arg);
            } else if (arg == "--") {
                m_optionsEnded = true;
            } else if (arg[1] == '-') {
                return answered(longOption(arg));
            } else {
                m_letters = arg.substr(1);
            }
        }
        return answered(shortOption());
    }

    bool printed = false;
    std::string error;

  private:
    static constexpr Option kHelp{'h', "help"};
    static constexpr Option kVersion{'V', "version"};

    template <typename Matches>
    const Option* find(Matches matches) const {
        const auto found = std::find_if(m_options.begin(), m_options.end(), matches);
        if (found != m_options.end()) return &*found;
        if (matches(kHelp)) return &kHelp;
        if (matches(kVersion)) return &kVersion;
        return nullptr;
    }

    // "--name", "--name=VALUE" or "--name VALUE".
    std::optional<Given> longOption(const std::string& arg) {
        const std::size_t equals = arg.find('=');
        Given given{nullptr, arg.substr(0, equals), {}};
        const std::string_view name = std::string_view(given.as).substr(2);
        given.option = find([name](const Option& option) { return option.name == name; });
        if (!given.option) return failed("unknown option '" + given.as + "'");
        if (given.option->needs.empty()) {
            if (equals != std::string::npos) return failed(given.as + " takes no value");
        } else if (equals != std::string::npos) {
            given.value = arg.substr(equals + 1);
        } else if (!nextArgument(given)) {
            return std::nullopt;
        }
        return given;
    }

    // The next letter of "-abc"; an option with a value takes the rest of the letters, or the
    // next argument.
    std::optional<Given> shortOption() {
        const char letter = m_letters.front();
        m_letters.erase(0, 1);
        Given given{nullptr, std::string{'-', letter}, {}};
        given.option = find([letter](const Option& option) { return option.letter == letter; });
        if (!given.option) return failed("unknown option '" + given.as + "'");
        if (given.option->needs.empty()) return given;
        if (!m_letters.empty()) {
            given.value = std::move(m_letters);
            m_letters.clear();
        } else if (!nextArgument(given)) {
            return std::nullopt;
        }
        return given;
    }

    bool nextArgument(Given& given) {
        if (m_index + 1 >= m_argc) {
            error = given.as + " needs " + std::string(given.option->needs);
            return false;
        }
        given.value = m_argv[++m_index];
        return true;
    }

    std::optional<Given> failed(std::string reason) {
        error = std::move(reason);
        return std::nullopt;
    }

    std::optional<Given> answered(std::optional<Given> given) {
        if (given && given->option == &kHelp) {
            std::cout << m_usage;
        } else if (given && given->option == &kVersion) {
            std::cout << m_program << ' ' << Z2O_VERSION << '\n';
        } else {
            return given;
        }
        printed = true;
        return std::nullopt;
    }

    int m_argc;
    char** m_argv;
    const char* m_program;
    const char* m_usage;
    std::span<const Option> m_options;
    int m_index = 0;
    std::string m_letters;  // what is left of "-abc"
    bool m_optionsEnded = false;
};

}  // namespace z2o::cli
