// The narrow door through which a command reaches the user: the window, the command-line tool
// and the tests each supply one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/errors.h"
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

// What a message is about, so that each front end can word it its own way.
// StepError: the first of its kind among the errors of single steps in one session conversion.
enum class MessageKind { Error, Incompatible, SessionNotFound, StepError };

// A message as data: the window shows its lines, the command-line tool words it on one line,
// and nothing ever parses the text back.
struct Message {
    MessageKind kind = MessageKind::Error;
    int errorNumber = 0;               // 0 where no error is behind it
    std::string description{};         // the error's description, where there is one
    std::vector<std::string> files{};  // the files it is about, the one it concerns first
    std::vector<std::string> lines{};  // what the user reads
    Buttons buttons = Buttons::Ok;
    std::string title{};  // empty: the program's title

    const std::string& subject() const;  // the first of `files`, or empty
    std::string text() const;            // the lines joined by CR LF, as the window shows them
};

// How often one error of single steps was raised in a session conversion.
struct ErrorTally {
    int number = 0;
    std::string description;
    int count = 0;
};

// Everything a front end learns of one session conversion.
struct SessionOutcome {
    enum class Status { Cancelled, Rejected, Failed, NotFound, Converted };
    Status status = Status::Cancelled;
    std::string sourcePath;
    std::string targetPath;  // empty until the target is named
    int steps = 0;
    std::int64_t playingTenths = 0;  // of the target as written
    // Each distinct error of single steps, in the order they first came; only the first of each
    // was shown.
    std::vector<ErrorTally> stepErrors;
    std::optional<RunError> runError;  // what ended a run that failed
    std::vector<Message> messages;     // every message shown, in order
    std::int32_t answer = 0;           // the answer to the last of them; 0 when none was shown

    int errorCount() const;
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
    // Also told of an entry that was not found.
    virtual void albumSessionDone(const SessionOutcome&) {}
    // Told as every session conversion ends, whatever its status, before anything else is shown.
    virtual void sessionDone(const SessionOutcome&) {}
};

// What the commands share for the run of the program; never saved. The dialog commands and the
// album loop keep the first three; a conversion itself takes its source and settings as arguments.
struct ProgramState {
    std::string lastFolder;
    std::int32_t lastAnswer = 0;
    bool albumMode = false;
    RampSettings ramp;  // the one home of both settings: conversions and the view read it
};

}  // namespace z2o
