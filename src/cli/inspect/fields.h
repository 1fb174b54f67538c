// The fields of a ZS2 and an OSw record as z2o-inspect shows them: named fields of cells, in the
// order of the record.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "convert/source_record.h"
#include "convert/target_record.h"

namespace z2o::inspect {

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

std::span<const Field> fieldsOf(Kind kind);
const char* kindName(Kind kind);  // "ZS2" or "OSw"

// The cells of a record, one or more for each of its fields, in place of what `cells` held.
void sourceCells(const SourceStepRecord& record, std::vector<Cell>& cells);
void targetCells(const TargetStepRecord& record, std::vector<Cell>& cells);

}  // namespace z2o::inspect
