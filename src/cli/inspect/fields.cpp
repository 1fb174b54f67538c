#include "cli/inspect/fields.h"

#include <type_traits>

namespace z2o::inspect {
namespace {

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

void addValues(std::vector<Cell>& cells, const SourceStepValues& values) {
    cells.insert(cells.end(), {single(values.freq1), integer(values.level1), single(values.freq2),
                               integer(values.level2), integer(values.pitch)});
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

}  // namespace

std::span<const Field> fieldsOf(Kind kind) {
    if (kind == Kind::Source) return kSourceFields;
    return kTargetFields;
}

const char* kindName(Kind kind) {
    return kind == Kind::Source ? "ZS2" : "OSw";
}

void sourceCells(const SourceStepRecord& record, std::vector<Cell>& cells) {
    cells.clear();
    cells.push_back(integer(isStep(record), Cell::Type::Boolean));
    cells.push_back(integer(record.stepNumber));
    addValues(cells, record.startValues);
    addValues(cells, record.endValues);
    cells.push_back(text(record.duration));
    cells.push_back(integer(record.channelFlags, Cell::Type::Flags));
    cells.push_back(integer(record.optionFlags, Cell::Type::Flags));
    cells.push_back(integer(record.stepMode));
}

void targetCells(const TargetStepRecord& record, std::vector<Cell>& cells) {
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

}  // namespace z2o::inspect
