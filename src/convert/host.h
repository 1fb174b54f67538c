// The narrow door through which a command reaches the user: the window, the command-line tool
// and the tests each supply one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/segments.h"

namespace z2o {

enum Answer : std::int32_t { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6 };

// Standard open-dialog flags.
inline constexpr std::uint32_t kHideReadOnly = 0x4;
inline constexpr std::uint32_t kPathMustExist = 0x800;
inline constexpr std::uint32_t kFileMustExist = 0x1000;
inline constexpr std::uint32_t kLongNames = 0x200000;
inline constexpr std::uint32_t kOpenFlags =
    kHideReadOnly | kPathMustExist | kFileMustExist | kLongNames;

struct OpenDialogSettings {
    std::string filter;      // "Description (*.EXT)|*.EXT"
    std::string defaultExt;  // "*.EXT"
    std::string dialogTitle;
    std::string initDir;
    std::uint32_t flags = 0;
    bool cancelError = false;
};

struct PickedFile {
    std::string fileName;   // the full path
    std::string fileTitle;  // the name without its folder
};

enum class Buttons { Ok, OkCancel };

// Lets a front end word a message its own way; the text stays what the window shows.
// StepError: the first of its kind among the errors of single steps in one session conversion.
enum class MessageKind { Error, Incompatible, SessionNotFound, StepError };

struct Message {
    std::string text;  // lines joined by CR LF
    Buttons buttons = Buttons::Ok;
    std::string title;  // empty: the program's title
    MessageKind kind = MessageKind::Error;
    std::string subject;  // the file the message is about
};

// How often one error of single steps was raised in a session conversion.
struct ErrorTally {
    int number = 0;
    std::string description;
    int count = 0;
};

struct SessionOutcome {
    enum class Status { Cancelled, Rejected, Failed, Converted };
    Status status = Status::Cancelled;
    std::string targetPath;
    int steps = 0;
    // Each distinct error of single steps, in the order they first came; only the first of each
    // was shown.
    std::vector<ErrorTally> stepErrors;
    int errorCount() const {
        int total = 0;
        for (const ErrorTally& tally : stepErrors)
            total += tally.count;
        return total;
    }
};

class Host {
  public:
    virtual ~Host() = default;
    // The picked file, or nothing when the user cancelled.
    virtual std::optional<PickedFile> showOpen(const OpenDialogSettings& settings) = 0;
    // Returns the answer code of the button that closed the message.
    virtual std::int32_t showMessage(const Message& message) = 0;
    // Lets pending window events run; false once the user has asked the program to end.
    virtual bool processEvents() = 0;
    // The folder that holds the program.
    virtual std::string programFolder() = 0;

    // Progress of a batch (an album or a folder), told when its entry `index` (from 1) of `count`
    // is taken up, before anything is shown about it, and after each of its sessions; a front
    // end may show it or not.
    virtual void albumProgress(int /*index*/, int /*count*/, const std::string& /*sourcePath*/) {}
    virtual void albumSessionDone(const std::string& /*sourcePath*/, const SessionOutcome&) {}
    // Told as every session conversion ends, whatever its status, before anything else is shown.
    virtual void sessionDone(const SessionOutcome&) {}
};

// What the commands share for the run of the program; never saved.
struct ProgramState {
    std::string sourcePath;
    std::string lastFolder;
    std::int32_t lastAnswer = 0;
    bool albumMode = false;
    std::int16_t recordCount = 0;
    RampSettings ramp;
};

}  // namespace z2o
