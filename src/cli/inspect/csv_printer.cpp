#include <optional>

#include "cli/inspect/cell_text.h"
#include "cli/inspect/printer.h"

namespace z2o::inspect {
namespace {

// Visible text, quoted when it holds a separator or a quote.
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

void appendCell(std::string& out, const Cell& cell) {
    appendDataCell(out, cell, false, appendCsvText);
}

class CsvPrinter : public Printer {
    void write(const std::string& file, Contents& contents) override {
        // The header, before the first record.
        if (m_kind != contents.kind) {
            m_out += "file,record";
            for (const Field& field : fieldsOf(contents.kind)) {
                for (int i = 1; i <= field.cells; ++i) {
                    m_out += ',';
                    m_out += field.name;
                    if (field.cells != 1) m_out += std::to_string(i);
                }
            }
            m_out += '\n';
            m_kind = contents.kind;
        }
        std::string fileCell;
        appendCsvText(fileCell, file);
        for (std::size_t r = 0; r < contents.count; ++r) {
            m_out += fileCell;
            m_out += ',';
            m_out += std::to_string(r + 1);
            for (const Cell& cell : contents.cells(r)) {
                m_out += ',';
                appendCell(m_out, cell);
            }
            m_out += '\n';
            flushWhenLarge();
        }
    }

    std::optional<Kind> m_kind;
};

}  // namespace

std::unique_ptr<Printer> csvPrinter() {
    return std::make_unique<CsvPrinter>();
}

}  // namespace z2o::inspect
