#include "convert/messages.h"

namespace z2o {

const std::string& Message::subject() const {
    static const std::string kNone;
    return files.empty() ? kNone : files.front();
}

std::string Message::text() const {
    std::string joined;
    for (const std::string& line : lines) {
        if (&line != &lines.front()) joined += "\r\n";
        joined += line;
    }
    return joined;
}

int SessionOutcome::errorCount() const {
    int total = 0;
    for (const ErrorTally& tally : stepErrors)
        total += tally.count;
    return total;
}

Message failureMessage(const RunError& error, const std::string& about, const std::string& path) {
    return {.kind = MessageKind::Error,
            .errorNumber = error.number,
            .description = error.description,
            .files = {about, path},
            .lines = {error.description, path}};
}

Message stepErrorMessage(const RunError& error, const std::string& sourcePath) {
    return {.kind = MessageKind::StepError,
            .errorNumber = error.number,
            .description = error.description,
            .files = {sourcePath},
            .lines = {error.description}};
}

Message incompatibleMessage(const std::string& sourcePath) {
    return {.kind = MessageKind::Incompatible,
            .files = {sourcePath},
            .lines = {"Data in ...", sourcePath, "isn't compatible with current spec.s.",
                      "'Open File' aborted"},
            .buttons = Buttons::OkCancel};
}

Message notFoundMessage(const RunError& error, const std::string& sourcePath) {
    return {.kind = MessageKind::SessionNotFound,
            .errorNumber = error.number,
            .description = error.description,
            .files = {sourcePath},
            .lines = {"The session " + sourcePath, "could not be found.",
                      "No Orvanel session was created."},
            .buttons = Buttons::OkCancel,
            .title = error.description};
}

}  // namespace z2o
