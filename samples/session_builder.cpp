#include "samples/session_builder.h"

#include <bit>
#include <charconv>
#include <sstream>
#include <stdexcept>
#include <string>

namespace z2o::samples {
namespace {

void putInt16(std::uint8_t* p, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(bits & 0xFF);
    p[1] = static_cast<std::uint8_t>(bits >> 8);
}

void putSingle(std::uint8_t* p, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void putValues(std::uint8_t* p, const SourceStepValues& v) {
    putSingle(p, v.freq1);
    p[4] = v.level1;
    putSingle(p + 5, v.freq2);
    p[9] = v.level2;
    putInt16(p + 10, v.pitch);
}

long readInteger(std::string_view text, int line) {
    int base = 10;
    if (text.starts_with("0x")) {
        text.remove_prefix(2);
        base = 16;
    }
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size()) {
        throw std::invalid_argument("line " + std::to_string(line) +
                                    ": not a number: " + std::string(text));
    }
    return value;
}

SourceStepValues readValues(std::string_view text, int line) {
    std::string fields[5];
    std::istringstream in{std::string(text)};
    int count = 0;
    while (count < 5 && std::getline(in, fields[count], ','))
        ++count;
    if (count != 5 || in.peek() != EOF) {
        throw std::invalid_argument("line " + std::to_string(line) +
                                    ": values are freq1,level1,freq2,level2,pitch");
    }
    return {std::stof(fields[0]), static_cast<std::uint8_t>(readInteger(fields[1], line)),
            std::stof(fields[2]), static_cast<std::uint8_t>(readInteger(fields[3], line)),
            static_cast<std::int16_t>(readInteger(fields[4], line))};
}

}  // namespace

std::vector<std::uint8_t> encodeSourceRecord(const SourceStepRecord& record) {
    std::vector<std::uint8_t> bytes(kSourceRecordSize, 0);
    putInt16(bytes.data(), record.stepNumber);
    putValues(bytes.data() + 2, record.startValues);
    putValues(bytes.data() + 14, record.endValues);
    for (std::size_t i = 0; i < record.duration.size(); ++i) {
        bytes[26 + i] = static_cast<std::uint8_t>(record.duration[i]);
    }
    bytes[40] = record.channelFlags;
    bytes[41] = record.optionFlags;
    bytes[42] = record.stepMode;
    return bytes;
}

SourceStepRecord defaultStep() {
    SourceStepRecord step;
    step.stepNumber = 1;
    step.startValues = {10.0F, 15, 20.0F, 0, 150};
    step.endValues = {20.0F, 15, 10.0F, 0, 150};
    step.duration = {'5', ':', '0', '0', '.', '0', ' '};
    step.optionFlags = 0x01;
    return step;
}

std::vector<std::uint8_t> buildSession(std::string_view description) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in{std::string(description)};
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        text = text.substr(0, text.find('#'));
        std::istringstream words(text);
        std::string word;
        if (!(words >> word)) continue;
        if (word != "step")
            throw std::invalid_argument("line " + std::to_string(line) + ": expected step");
        SourceStepRecord step = defaultStep();
        long repeat = 1;
        while (words >> word) {
            const std::size_t eq = word.find('=');
            if (eq == std::string::npos) {
                throw std::invalid_argument("line " + std::to_string(line) +
                                            ": expected key=value");
            }
            const std::string key = word.substr(0, eq);
            const std::string value = word.substr(eq + 1);
            if (key == "duration") {
                if (value.size() > 7)
                    throw std::invalid_argument("line " + std::to_string(line) +
                                                ": duration over 7 characters");
                step.duration.fill(' ');
                for (std::size_t i = 0; i < value.size(); ++i)
                    step.duration[i] = value[i] == '_' ? ' ' : value[i];
            } else if (key == "start") {
                step.startValues = readValues(value, line);
            } else if (key == "end") {
                step.endValues = readValues(value, line);
            } else if (key == "number") {
                step.stepNumber = static_cast<std::int16_t>(readInteger(value, line));
            } else if (key == "channel") {
                step.channelFlags = static_cast<std::uint8_t>(readInteger(value, line));
            } else if (key == "option") {
                step.optionFlags = static_cast<std::uint8_t>(readInteger(value, line));
            } else if (key == "mode") {
                step.stepMode = static_cast<std::uint8_t>(readInteger(value, line));
            } else if (key == "repeat") {
                repeat = readInteger(value, line);
            } else {
                throw std::invalid_argument("line " + std::to_string(line) + ": unknown key " +
                                            key);
            }
        }
        const std::vector<std::uint8_t> record = encodeSourceRecord(step);
        for (long i = 0; i < repeat; ++i)
            bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

}  // namespace z2o::samples
