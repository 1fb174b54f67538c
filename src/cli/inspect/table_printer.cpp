#include <algorithm>
#include <span>
#include <vector>

#include "cli/inspect/cell_text.h"
#include "cli/inspect/printer.h"
#include "convert/clock_text.h"

namespace z2o::inspect {
namespace {

void appendCell(std::string& out, const Cell& cell) {
    switch (cell.type) {
        case Cell::Type::Integer:
            out += std::to_string(cell.integer);
            break;
        case Cell::Type::Flags: {
            out += "0x";
            const auto bits = static_cast<unsigned>(cell.integer) & 0xFFFF;
            appendHex(out, bits, bits > 0xFF ? 4 : 2);
            break;
        }
        case Cell::Type::Single:
            appendFloat(out, cell.single, false);
            break;
        case Cell::Type::Text:
            appendVisible(out, trimmedDuration(cell.text));
            break;
        case Cell::Type::Boolean:
            out += cell.integer != 0 ? "yes" : "no";
    }
}

class TablePrinter : public Printer {
    void write(const std::string& file, Contents& contents) override {
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
                    appendCell(text, *cell++);
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
                 (contents.count == 1 ? " record)\n" : " records)\n");
        for (const auto& row : rows) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c > 0) m_out += "  ";
                // Numbers line up on the right; a duration's leading blanks stay visible.
                const std::size_t pad = widths[c] - row[c].size();
                if (rows[0][c] != "duration") m_out.append(pad, ' ');
                m_out += row[c];
                if (rows[0][c] == "duration") m_out.append(pad, ' ');  // never the last column
            }
            m_out += '\n';
            flushWhenLarge();
        }
        m_out += std::to_string(contents.steps) +
                 (contents.steps == 1 ? " step, playing time " : " steps, playing time ") +
                 clockText(contents.playingTenths, true, Hours::Always) + "\n";
    }
};

}  // namespace

std::unique_ptr<Printer> tablePrinter() {
    return std::make_unique<TablePrinter>();
}

}  // namespace z2o::inspect
