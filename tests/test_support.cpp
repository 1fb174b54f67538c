#include "tests/test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "convert/file_io.h"

namespace z2o::testing {

TempDir::TempDir() {
    m_path = std::filesystem::temp_directory_path() /
             ("z2o-test-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    // Undo read-only folders that a test made, so that removal can go through.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::operator/(const std::string& name) const {
    return fromPath((m_path / toPath(name)).make_preferred());
}

std::string TempDir::expand(std::string text) const {
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) {
        const std::size_t end = std::min(text.find_first_of(" ,\r\n", at), text.size());
        text.replace(at, end - at, *this / text.substr(at + 1, end - at - 1));
    }
    return text;
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;  // a folder one may enter but not list has no names to show
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         it != std::filesystem::directory_iterator(); it.increment(ec))
        names.push_back(fromPath(it->path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(toPath(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(toPath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void writeText(const std::string& path, std::string_view text) {
    writeBytes(path, {text.begin(), text.end()});
}

std::optional<PickedFile> ScriptedHost::showOpen(const OpenDialogSettings& settings) {
    dialogs.push_back(settings);
    if (picks.empty()) return std::nullopt;
    const std::filesystem::path path = toPath(picks.front());
    picks.pop_front();
    return PickedFile{fromPath(path), fromPath(path.filename())};
}

std::int32_t ScriptedHost::showMessage(const Message& message) {
    messages.push_back(message);
    if (onMessage) onMessage(message);
    if (message.buttons == Buttons::Ok || answers.empty()) return kAnswerOk;
    const std::int32_t answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedHost::processEvents() {
    ++eventsCalls;
    if (onEvents) onEvents();
}

StopCause ScriptedHost::stopHere() {
    return stopAtEventsCall != 0 && eventsCalls >= stopAtEventsCall ? StopCause::Request
                                                                    : StopCause::None;
}

void ScriptedHost::batchProgress(int index, int count, const std::string& path) {
    progress.push_back(std::to_string(index) + "/" + std::to_string(count) + " " + path);
}

std::string readText(const std::string& path) {
    std::ifstream in(toPath(path));
    return {std::istreambuf_iterator<char>(in), {}};
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, Terminal terminal) {
    const TempDir capture;
    ProgramRun run;
    run.status = system::run(program, arguments, folder, terminal, capture / "out", run.err);
    run.out = readText(capture / "out");
    return run;
}

}  // namespace z2o::testing
