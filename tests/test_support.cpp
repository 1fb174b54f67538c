#include "test_support.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace z2o::testing {

TempDir::TempDir() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() / ("z2o-test-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    // Undo read-only folders that a test made, so that removal can go through.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> hexBytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (const char c : hex) {
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::optional<PickedFile> ScriptedHost::showOpen(const OpenDialogSettings& settings) {
    dialogs.push_back(settings);
    if (picks.empty()) return std::nullopt;
    const std::filesystem::path path = picks.front();
    picks.pop_front();
    return PickedFile{path.string(), path.filename().string()};
}

std::int32_t ScriptedHost::showMessage(const Message& message) {
    messages.push_back(message);
    if (message.buttons == Buttons::Ok || answers.empty()) return kAnswerOk;
    const std::int32_t answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedHost::processEvents() {
    ++eventsCalls;
    if (onEvents) onEvents();
    return quitAtEventsCall == 0 || eventsCalls < quitAtEventsCall;
}

void ScriptedHost::albumProgress(int index, int count, const std::string& path) {
    progress.push_back(std::to_string(index) + "/" + std::to_string(count) + " " + path);
}

}  // namespace z2o::testing
