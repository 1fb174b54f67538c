// z2o-inspect: prints what ZS2 and OSw session files hold, record by record, as a table for
// people or as CSV or JSON for programs.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/inspect/printer.h"
#include "convert/file_io.h"
#include "convert/file_kind.h"

namespace {

using namespace z2o::inspect;

constexpr const char* kUsage =
    "Usage: z2o-inspect [-f table|csv|json] FILE...\n"
    "Prints every record of Zendrel (ZS2) and Orvanel (OSw) session files; the kind of a file\n"
    "comes from its extension, in any letter case.\n"
    "\n"
    "  -f, --format FORMAT  how to print the records:\n"
    "                       table  aligned columns and a closing line with the steps and\n"
    "                              playing time (the default)\n"
    "                       csv    a header line, then one line per record; arrays over\n"
    "                              numbered columns; files of one kind only\n"
    "                       json   one object per file and line: file, kind, records, steps,\n"
    "                              playingTenths\n"
    "  -h, --help           show this help and exit\n"
    "  -V, --version        show the version and exit\n"
    "\n"
    "Problems go to standard error. Exit status: 0 all files shown, 1 a file could not be read,\n"
    "is not a session or is not a whole number of records, 2 bad usage or csv given both kinds.\n";

// Anything larger holds far more records than either format can number; not loaded whole.
constexpr std::uint64_t kMaxInspectBytes = 64ULL << 20;

void problem(Printer& printer, const std::string& file, const std::string& text) {
    printer.flush();
    std::cerr << "z2o-inspect: " << file << ": " << text << '\n';
}

int usageError(const std::string& reason) {
    std::cerr << "z2o-inspect: " << reason << "\nTry 'z2o-inspect --help' for more information.\n";
    return 2;
}

// Shows one file; false when it could not be read whole or is not a whole number of records.
bool inspect(Printer& printer, const std::string& file) {
    const z2o::FileKind fileKind = z2o::fileKindOf(file);
    if (fileKind != z2o::FileKind::Session && fileKind != z2o::FileKind::Target) {
        problem(printer, file, "not a session: the name ends neither in .ZS2 nor in .OSw");
        return false;
    }
    const Kind kind = fileKind == z2o::FileKind::Session ? Kind::Source : Kind::Target;
    std::vector<std::uint8_t> bytes;
    z2o::SourceFile source;
    std::optional<z2o::RunError> error = source.open(file);
    if (!error && source.size() > kMaxInspectBytes) {
        problem(printer, file,
                "too large for a session (" + std::to_string(source.size()) + " bytes)");
        return false;
    }
    if (!error) error = source.readAll(bytes);
    if (error) {
        problem(printer, file, error->description);
        return false;
    }
    Contents contents(kind, bytes);
    printer.print(file, contents);
    const std::size_t recordSize =
        kind == Kind::Source ? z2o::kSourceRecordSize : z2o::kTargetRecordSize;
    if (const std::size_t rest = bytes.size() % recordSize; rest != 0) {
        problem(printer, file,
                "not a whole number of " + std::to_string(recordSize) +
                    "-byte records: " + std::to_string(rest) + (rest == 1 ? " byte" : " bytes") +
                    " after the last whole record");
        return false;
    }
    return true;
}

// "A is ZS2 and B is OSw" for the first two files of different kinds; empty when there are none.
// One CSV stream holds one table, and the two kinds have different columns.
std::string mixOfKinds(const std::vector<std::string>& files) {
    const std::string* first = nullptr;
    for (const std::string& file : files) {
        const z2o::FileKind kind = z2o::fileKindOf(file);
        if (kind != z2o::FileKind::Session && kind != z2o::FileKind::Target) continue;
        if (!first) {
            first = &file;
        } else if (kind != z2o::fileKindOf(*first)) {
            const bool session = kind == z2o::FileKind::Session;
            return *first + " is " + (session ? "OSw" : "ZS2") + " and " + file + " is " +
                   (session ? "ZS2" : "OSw");
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    const z2o::Utf8Arguments utf8(argc, argv);
    std::unique_ptr<Printer> (*makePrinter)() = tablePrinter;
    std::vector<std::string> files;
    static constexpr z2o::cli::Option kOptions[] = {{'f', "format", "table, csv or json"}};
    z2o::cli::Arguments args(argc, argv, "z2o-inspect", kUsage, kOptions);
    const auto addFile = [&files](const std::string& path) { files.push_back(path); };
    while (const std::optional<z2o::cli::Given> given = args.next(addFile)) {
        if (given->value == "table") {
            makePrinter = tablePrinter;
        } else if (given->value == "csv") {
            makePrinter = csvPrinter;
        } else if (given->value == "json") {
            makePrinter = jsonPrinter;
        } else {
            return usageError(given->as + " takes table, csv or json, not '" + given->value + "'");
        }
    }
    if (!args.error.empty()) return usageError(args.error);
    if (args.printed) return 0;
    if (files.empty()) return usageError("no file given");
    if (makePrinter == csvPrinter) {
        if (const std::string mix = mixOfKinds(files); !mix.empty()) {
            return usageError("csv takes files of one kind; " + mix);
        }
    }

    const std::unique_ptr<Printer> printer = makePrinter();
    bool failed = false;
    for (const std::string& file : files) {
        if (!inspect(*printer, file)) failed = true;
    }
    return failed ? 1 : 0;
}
