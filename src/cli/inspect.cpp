// z2o-inspect: prints what ZS2 and OSw session files hold, record by record, as a table for
// people or as CSV or JSON for programs.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "cli/arguments.h"
#include "convert/duration.h"
#include "convert/file_io.h"
#include "convert/session.h"
#include "convert/source_record.h"
#include "convert/target_record.h"

namespace {

constexpr const char* kUsage =
    "Usage: z2o-inspect [--format table|csv|json] FILE...\n"
    "Prints every record of Zendrel (ZS2) and Orvanel (OSw) session files; the kind of a file\n"
    "comes from its extension, in any letter case.\n"
    "\n"
    "  --format table  aligned columns and a closing line with the steps and playing time\n"
    "                  (the default)\n"
    "  --format csv    a header line, then one line per record; arrays over numbered columns\n"
    "  --format json   one object per file and line: file, kind, records, steps, playingTenths\n"
    "  -h, --help      show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Problems go to standard error. Exit status: 0 all files shown, 1 a file could not be read or\n"
    "is not a whole number of records, 2 bad usage.\n";

// Anything larger holds far more records than either format can number; not loaded whole.
constexpr std::uint64_t kMaxInspectBytes = 64ULL << 20;

enum class Format { Table, Csv, Json };
enum class Kind { Source, Target };

struct Cell {
    enum class Type { Integer, Flags, Single, Text, Boolean };
    Type type = Type::Integer;
    std::int64_t integer = 0;  // also a flag byte or mask, and a boolean as 0 or 1
    float single = 0;
    std::array<char, 7> text{};
};

// A named field of a record; more than one cell makes it an array. A name "group.field" puts
// the field into the object `group` in JSON.
struct Field {
    std::string_view name;
    int cells = 1;
};

constexpr Field kSourceFields[] = {
    {"step"},
    {"stepNumber"},
    {"startValues.freq1"},
    {"startValues.level1"},
    {"startValues.freq2"},
    {"startValues.level2"},
    {"startValues.pitch"},
    {"endValues.freq1"},
    {"endValues.level1"},
    {"endValues.freq2"},
    {"endValues.level2"},
    {"endValues.pitch"},
    {"duration"},
    {"channelFlags"},
    {"optionFlags"},
    {"stepMode"},
};

constexpr Field kTargetFields[] = {
    {"stepNumber"},   {"duration"},   {"freq", 8},     {"slotFlags", 8}, {"level", 8},
    {"auxA", 8},      {"auxB", 8},    {"toneKind", 4}, {"toneOn", 4},    {"pitch", 4},
    {"toneLevel", 4}, {"enableFlag"}, {"modeBits"},
};

Cell integer(std::int64_t value, Cell::Type type = Cell::Type::Integer) {
    Cell cell;
    cell.type = type;
    cell.integer = value;
    return cell;
}

Cell single(float value) {
    Cell cell;
    cell.type = Cell::Type::Single;
    cell.single = value;
    return cell;
}

Cell text(const std::array<char, 7>& value) {
    Cell cell;
    cell.type = Cell::Type::Text;
    cell.text = value;
    return cell;
}

void addValues(std::vector<Cell>& cells, const z2o::SourceStepValues& values) {
    cells.insert(cells.end(), {single(values.freq1), integer(values.level1), single(values.freq2),
                               integer(values.level2), integer(values.pitch)});
}

void sourceCells(const z2o::SourceStepRecord& record, std::vector<Cell>& cells) {
    cells.clear();
    cells.push_back(integer(z2o::isStep(record) ? 1 : 0, Cell::Type::Boolean));
    cells.push_back(integer(record.stepNumber));
    addValues(cells, record.startValues);
    addValues(cells, record.endValues);
    cells.push_back(text(record.duration));
    cells.push_back(integer(record.channelFlags, Cell::Type::Flags));
    cells.push_back(integer(record.optionFlags, Cell::Type::Flags));
    cells.push_back(integer(record.stepMode));
}

template <typename T, std::size_t N>
void addArray(std::vector<Cell>& cells, const std::array<T, N>& values,
              Cell::Type type = Cell::Type::Integer) {
    for (const T value : values) {
        if constexpr (std::is_same_v<T, float>) {
            cells.push_back(single(value));
        } else {
            cells.push_back(integer(value, type));
        }
    }
}

void targetCells(const z2o::TargetStepRecord& record, std::vector<Cell>& cells) {
    cells.clear();
    cells.push_back(integer(record.stepNumber));
    cells.push_back(text(record.duration));
    addArray(cells, record.freq);
    addArray(cells, record.slotFlags, Cell::Type::Flags);
    addArray(cells, record.level);
    addArray(cells, record.auxA);
    addArray(cells, record.auxB);
    addArray(cells, record.toneKind);
    addArray(cells, record.toneOn);
    addArray(cells, record.pitch);
    addArray(cells, record.toneLevel);
    cells.push_back(integer(record.enableFlag));
    cells.push_back(integer(record.modeBits, Cell::Type::Flags));
}

// The shortest text that reads back to the same 32-bit value; JSON has no word for the others.
void appendSingle(std::string& out, float value, bool quoteSpecial) {
    const char* special = std::isnan(value)   ? "NaN"
                          : std::isinf(value) ? (value < 0 ? "-Infinity" : "Infinity")
                                              : nullptr;
    if (special) {
        if (quoteSpecial) out += '"';
        out += special;
        if (quoteSpecial) out += '"';
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendInteger(std::string& out, std::int64_t value) {
    out += std::to_string(value);
}

std::string_view trimmedDuration(const std::array<char, 7>& duration) {
    std::string_view view(duration.data(), duration.size());
    return view.substr(0, view.find_last_not_of(' ') + 1);
}

void appendHex(std::string& out, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 0xF];
}

// Text for the table and CSV: bytes outside printable ASCII, and the backslash, as \xNN.
void appendVisible(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '\\') {
            out += "\\x";
            appendHex(out, byte, 2);
        } else {
            out += c;
        }
    }
}

void appendJsonString(std::string& out, std::string_view text, bool escapeNonAscii) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F || (escapeNonAscii && byte > 0x7F)) {
            out += "\\u00";
            appendHex(out, byte, 2);
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendCsvText(std::string& out, std::string_view text) {
    std::string visible;
    appendVisible(visible, text);
    if (visible.find_first_of(",\"") == std::string::npos) {
        out += visible;
        return;
    }
    out += '"';
    for (const char c : visible) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendCell(std::string& out, const Cell& cell, Format format) {
    switch (cell.type) {
        case Cell::Type::Integer:
            appendInteger(out, cell.integer);
            break;
        case Cell::Type::Flags:
            if (format == Format::Table) {
                out += "0x";
                const auto bits = static_cast<unsigned>(cell.integer) & 0xFFFF;
                appendHex(out, bits, bits > 0xFF ? 4 : 2);
            } else {
                appendInteger(out, cell.integer);
            }
            break;
        case Cell::Type::Single:
            appendSingle(out, cell.single, format == Format::Json);
            break;
        case Cell::Type::Text:
            if (format == Format::Json) {
                appendJsonString(out, trimmedDuration(cell.text), true);
            } else if (format == Format::Csv) {
                appendCsvText(out, trimmedDuration(cell.text));
            } else {
                appendVisible(out, trimmedDuration(cell.text));
            }
            break;
        case Cell::Type::Boolean:
            out += cell.integer != 0 ? (format == Format::Table ? "yes" : "true")
                                     : (format == Format::Table ? "no" : "false");
            break;
    }
}

// Hours, minutes, seconds and tenths, for totals beyond the 7 characters of a step's duration.
std::string totalText(std::int64_t tenths) {
    std::string out = tenths < 0 ? "-" : "";
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    char buffer[48];
    std::snprintf(
        buffer, sizeof buffer, "%lld:%02lld:%02lld.%lld", static_cast<long long>(magnitude / 36000),
        static_cast<long long>(magnitude / 600 % 60), static_cast<long long>(magnitude / 10 % 60),
        static_cast<long long>(magnitude % 10));
    return out + buffer;
}

// What a file holds. Records are turned into cells one at a time, as they are printed, so that a
// long session never holds all its cells at once.
class Contents {
  public:
    Contents(Kind kind, std::span<const std::uint8_t> bytes) : kind(kind), m_bytes(bytes) {
        if (kind == Kind::Target) {
            const std::vector<z2o::TargetStepRecord> records = z2o::decodeTargetSession(bytes);
            count = records.size();
            steps = static_cast<std::int64_t>(records.size());
            playingTenths = z2o::playingTenths(records);
            return;
        }
        count = bytes.size() / z2o::kSourceRecordSize;
        for (std::size_t r = 0; r < count; ++r) {
            const z2o::SourceStepRecord record = source(r);
            if (!z2o::isStep(record)) continue;
            ++steps;
            playingTenths += z2o::parseDuration(std::string_view(record.duration.data(), 7)).tenths;
        }
    }

    // The cells of record `r` (from 0), valid until the next call.
    const std::vector<Cell>& cells(std::size_t r) {
        if (kind == Kind::Source) {
            sourceCells(source(r), m_cells);
        } else {
            const std::size_t at = r * z2o::kTargetRecordSize;
            targetCells(
                z2o::decodeTargetRecord(m_bytes.subspan(at).first<z2o::kTargetRecordSize>()),
                m_cells);
        }
        return m_cells;
    }

    Kind kind;
    std::size_t count = 0;
    std::int64_t steps = 0;
    std::int64_t playingTenths = 0;

  private:
    z2o::SourceStepRecord source(std::size_t r) const {
        const std::size_t at = r * z2o::kSourceRecordSize;
        return z2o::decodeSourceRecord(m_bytes.subspan(at).first<z2o::kSourceRecordSize>());
    }

    std::span<const std::uint8_t> m_bytes;
    std::vector<Cell> m_cells;
};

std::span<const Field> fieldsOf(Kind kind) {
    if (kind == Kind::Source) return kSourceFields;
    return kTargetFields;
}

const char* kindName(Kind kind) {
    return kind == Kind::Source ? "ZS2" : "OSw";
}

class Printer {
  public:
    explicit Printer(Format format) : m_format(format) {}
    ~Printer() { flush(); }

    void print(const std::string& file, Contents& contents) {
        switch (m_format) {
            case Format::Table:
                table(file, contents);
                break;
            case Format::Csv:
                csv(file, contents);
                break;
            case Format::Json:
                json(file, contents);
        }
        flush();
    }

    void flush() {
        std::fwrite(m_out.data(), 1, m_out.size(), stdout);
        std::fflush(stdout);
        m_out.clear();
    }

  private:
    // Long outputs go out in pieces rather than all at once at the end.
    void flushWhenLarge() {
        if (m_out.size() > (1 << 20)) flush();
    }

    void table(const std::string& file, Contents& contents) {
        const std::span<const Field> fields = fieldsOf(contents.kind);
        std::vector<std::vector<std::string>> rows(contents.count + 1);
        rows[0].push_back("record");
        for (const Field& field : fields) {
            std::string header(field.name);
            // "start.freq1": the table is narrow enough to read.
            if (const auto at = header.find("Values."); at != std::string::npos)
                header.erase(at, 6);
            rows[0].push_back(header);
        }
        for (std::size_t r = 0; r < contents.count; ++r) {
            std::vector<std::string>& row = rows[r + 1];
            row.push_back(std::to_string(r + 1));
            const Cell* cell = contents.cells(r).data();
            for (const Field& field : fields) {
                std::string& text = row.emplace_back();
                for (int i = 0; i < field.cells; ++i) {
                    if (i > 0) text += ',';
                    appendCell(text, *cell++, Format::Table);
                }
            }
        }
        std::vector<std::size_t> widths(rows[0].size());
        for (const auto& row : rows) {
            std::transform(widths.begin(), widths.end(), row.begin(), widths.begin(),
                           [](std::size_t width, const std::string& cell) {
                               return std::max(width, cell.size());
                           });
        }
        m_out += file + " (" + kindName(contents.kind) + ", " + std::to_string(contents.count) +
                 " records)\n";
        for (const auto& row : rows) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c > 0) m_out += "  ";
                // Numbers line up on the right; a duration's leading blanks stay visible.
                const std::size_t pad = widths[c] - row[c].size();
                if (rows[0][c] != "duration") m_out.append(pad, ' ');
                m_out += row[c];
                if (rows[0][c] == "duration" && c + 1 < row.size()) m_out.append(pad, ' ');
            }
            m_out += '\n';
            flushWhenLarge();
        }
        m_out += std::to_string(contents.steps) + " steps, playing time " +
                 totalText(contents.playingTenths) + "\n";
    }

    void csv(const std::string& file, Contents& contents) {
        // One header for each run of files of the same kind.
        if (!m_csvKind || *m_csvKind != contents.kind) {
            m_out += "file,record";
            for (const Field& field : fieldsOf(contents.kind)) {
                for (int i = 1; i <= field.cells; ++i) {
                    m_out += ',';
                    m_out += field.name;
                    if (field.cells > 1) appendInteger(m_out, i);
                }
            }
            m_out += '\n';
            m_csvKind = contents.kind;
        }
        std::string fileCell;
        appendCsvText(fileCell, file);
        for (std::size_t r = 0; r < contents.count; ++r) {
            m_out += fileCell;
            m_out += ',';
            appendInteger(m_out, static_cast<std::int64_t>(r + 1));
            for (const Cell& cell : contents.cells(r)) {
                m_out += ',';
                appendCell(m_out, cell, Format::Csv);
            }
            m_out += '\n';
            flushWhenLarge();
        }
    }

    void json(const std::string& file, Contents& contents) {
        const std::span<const Field> fields = fieldsOf(contents.kind);
        m_out += "{\"file\":";
        appendJsonString(m_out, file, false);
        m_out += ",\"kind\":\"";
        m_out += kindName(contents.kind);
        m_out += "\",\"records\":[";
        for (std::size_t r = 0; r < contents.count; ++r) {
            if (r > 0) m_out += ',';
            m_out += '{';
            const Cell* cell = contents.cells(r).data();
            std::string_view group;
            for (std::size_t f = 0; f < fields.size(); ++f) {
                std::string_view name = fields[f].name;
                const std::size_t dot = name.find('.');
                const std::string_view fieldGroup =
                    dot == std::string_view::npos ? std::string_view() : name.substr(0, dot);
                if (fieldGroup != group && !group.empty()) m_out += '}';
                if (f > 0) m_out += ',';
                if (fieldGroup != group && !fieldGroup.empty()) {
                    m_out += '"';
                    m_out += fieldGroup;
                    m_out += "\":{";
                }
                if (!fieldGroup.empty()) name.remove_prefix(dot + 1);
                group = fieldGroup;
                m_out += '"';
                m_out += name;
                m_out += "\":";
                if (fields[f].cells > 1) m_out += '[';
                for (int i = 0; i < fields[f].cells; ++i) {
                    if (i > 0) m_out += ',';
                    appendCell(m_out, *cell++, Format::Json);
                }
                if (fields[f].cells > 1) m_out += ']';
            }
            if (!group.empty()) m_out += '}';
            m_out += '}';
            flushWhenLarge();
        }
        m_out += "],\"steps\":";
        appendInteger(m_out, contents.steps);
        m_out += ",\"playingTenths\":";
        appendInteger(m_out, contents.playingTenths);
        m_out += "}\n";
    }

    Format m_format;
    std::string m_out;
    std::optional<Kind> m_csvKind;
};

void problem(Printer& printer, const std::string& file, const std::string& text) {
    printer.flush();
    std::cerr << "z2o-inspect: " << file << ": " << text << '\n';
}

int usageError(const std::string& reason) {
    std::cerr << "z2o-inspect: " << reason << "\nTry 'z2o-inspect --help' for more information.\n";
    return 2;
}

std::optional<Kind> kindOf(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    std::string extension = file.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    if (extension == "ZS2") return Kind::Source;
    if (extension == "OSW") return Kind::Target;
    return std::nullopt;
}

// Shows one file; false when it could not be read whole or is not a whole number of records.
bool inspect(Printer& printer, const std::string& file) {
    const std::optional<Kind> kind = kindOf(file);
    if (!kind) {
        problem(printer, file, "not a session: the name ends neither in .ZS2 nor in .OSw");
        return false;
    }
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
    Contents contents(*kind, bytes);
    printer.print(file, contents);
    const std::size_t recordSize =
        *kind == Kind::Source ? z2o::kSourceRecordSize : z2o::kTargetRecordSize;
    if (const std::size_t rest = bytes.size() % recordSize; rest != 0) {
        problem(printer, file,
                "not a whole number of " + std::to_string(recordSize) + "-byte records: " +
                    std::to_string(rest) + " bytes after the last whole record");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const z2o::Utf8Arguments utf8(argc, argv);
    Format format = Format::Table;
    std::vector<std::string> files;
    z2o::cli::Arguments args(argc, argv, "z2o-inspect", kUsage);
    const auto addFile = [&files](const std::string& path) { files.push_back(path); };
    while (const std::optional<std::string> arg = args.nextOption(addFile)) {
        std::string value;
        if (!args.takes(*arg, "--format", value)) {
            return usageError("unknown option '" + *arg + "'");
        }
        if (args.missing) return usageError("--format needs table, csv or json");
        if (value == "table") {
            format = Format::Table;
        } else if (value == "csv") {
            format = Format::Csv;
        } else if (value == "json") {
            format = Format::Json;
        } else {
            return usageError("--format takes table, csv or json, not '" + value + "'");
        }
    }
    if (args.printed) return 0;
    if (files.empty()) return usageError("no file given");

    Printer printer(format);
    bool failed = false;
    for (const std::string& file : files) {
        if (!inspect(printer, file)) failed = true;
    }
    return failed ? 1 : 0;
}
