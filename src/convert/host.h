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
    std::string filterName;  // "Zendrel Session"
    std::string patterns;    // "*.ZS2", or several apart by blanks
    std::string defaultExt;  // "*.EXT"
    std::string dialogTitle;
    std::string initDir;
    std::uint32_t flags = 0;
    bool cancelError = false;

    // The filter as the common dialog takes it: "Zendrel Session (*.ZS2)|*.ZS2".
    std::string filter() const { return filterName + " (" + patterns + ")|" + patterns; }
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
    // What Cancel does, where it stops more than this message (an album); empty otherwise.
    std::string cancelStops{};

    const std::string& subject() const;  // the first of `files`, or empty
    std::string text() const;            // the lines joined by CR LF, as the window shows them
};

// How often one error of single steps was raised in a session conversion.
struct ErrorTally {
    int number = 0;
    std::string description;
    int count = 0;
    int firstRecord = 0;  // the source record (from 1) that raised it first
};

// Everything a front end learns of one session conversion.
struct SessionOutcome {
    // Cancelled: the dialog was; Stopped: abandoned as the program had to end; UpToDate: the
    // target already held exactly these bytes and was left alone.
    enum class Status { Cancelled, Rejected, Failed, NotFound, Converted, UpToDate, Stopped };
    Status status = Status::Cancelled;
    std::string sourcePath;
    std::string targetPath;  // the target in place, or that would be; empty where none was named
    bool replaced = false;   // a target of that name was there before
    int steps = 0;
    std::int64_t playingTenths = 0;  // of the target as written
    // Each distinct error of single steps, in the order they first came; only the first of each
    // was shown.
    std::vector<ErrorTally> stepErrors;
    std::optional<RunError> runError;  // what ended a run that failed
    std::vector<Message> messages;     // every message shown, in order
    std::int32_t answer = 0;           // the answer to the last of them; 0 when none was shown

    int errorCount() const;
    // Converted or up to date: the target holds this conversion.
    bool succeeded() const { return status == Status::Converted || status == Status::UpToDate; }
};

// Why a batch stopped before its end.
enum class StopCause { None, Cancel, Request, Signal };

class Host {
  public:
    virtual ~Host() = default;
    // The picked file, or nothing when the user cancelled.
    virtual std::optional<PickedFile> showOpen(const OpenDialogSettings& settings) = 0;
    // Returns the answer code of the button that closed the message.
    virtual std::int32_t showMessage(const Message& message) = 0;
    // Lets pending window events run, and decides nothing.
    virtual void processEvents() = 0;
    // Asked between the sessions of a batch, and only there: whether to stop before the next.
    virtual StopCause stopHere() { return StopCause::None; }
    // Asked between the parts of one long source: true only when the program has to end at once
    // (a signal), and the session is then abandoned. A user's Stop waits for stopHere.
    virtual bool endingNow() { return false; }
    // The folder that holds the program.
    virtual std::string programFolder() = 0;
    // Whether a message waits for the user's answer, so that nothing should wait uncommitted
    // meanwhile; false where every message is answered at once.
    virtual bool asksUser() { return true; }

    // Progress of a batch, told when its entry `index` (from 1) of `count` is taken up, before
    // anything is shown about it; a front end may show it or not.
    virtual void batchProgress(int /*index*/, int /*count*/, const std::string& /*sourcePath*/) {}
    // Told as a session's conversion ends, before its target takes its name.
    virtual void conversionEnded(const SessionOutcome&) {}
    // Told once a session's outcome is final: its target in place, known to be up to date, or
    // not written; an entry that was not found too.
    virtual void sessionDone(const SessionOutcome&) {}
};

// What the commands share for the run of the program; never saved. A conversion itself takes
// its source and settings as arguments, and a batch returns what it decided.
struct ProgramState {
    std::string lastFolder;       // where the next open dialog opens
    std::int32_t lastAnswer = 0;  // written and read by the album loop alone
    RampSettings ramp;            // the one home of both settings: conversions and the view read it
};

}  // namespace z2o
