#include <span>

#include "cli/inspect/cell_text.h"
#include "cli/inspect/printer.h"

namespace z2o::inspect {
namespace {

// File names are UTF-8 and go out as they are; a duration's bytes beyond ASCII are no text, so
// each goes out as the code point of its value.
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

void appendCell(std::string& out, const Cell& cell) {
    appendDataCell(out, cell, true, [](std::string& to, std::string_view text) {
        appendJsonString(to, text, true);
    });
}

class JsonPrinter : public Printer {
    void write(const std::string& file, Contents& contents) override {
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
                if (fields[f].cells != 1) m_out += '[';
                for (int i = 0; i < fields[f].cells; ++i) {
                    if (i > 0) m_out += ',';
                    appendCell(m_out, *cell++);
                }
                if (fields[f].cells != 1) m_out += ']';
            }
            if (!group.empty()) m_out += '}';
            m_out += '}';
            flushWhenLarge();
        }
        m_out += "],\"steps\":";
        m_out += std::to_string(contents.steps);
        m_out += ",\"playingTenths\":";
        m_out += std::to_string(contents.playingTenths);
        m_out += "}\n";
    }
};

}  // namespace

std::unique_ptr<Printer> jsonPrinter() {
    return std::make_unique<JsonPrinter>();
}

}  // namespace z2o::inspect
