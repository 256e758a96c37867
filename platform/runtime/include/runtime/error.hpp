#pragma once
// Errors as the original runtime raises them: a number, a description and a
// source. Handlers that "ignore failures step by step" run each statement
// through Steps, which catches runtime::Error only.

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace runtime {

// The original's error numbers that this code base raises or tests for.
namespace err {
inline constexpr int ReturnWithoutGosub = 3;
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int BadFileMode = 54;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIOError = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int BadRecordLength = 59;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int BadRecordNumber = 63;
inline constexpr int BadFileName = 64;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int CantRenameWithDifferentDrive = 74;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectVariableNotSet = 91;
inline constexpr int InvalidUseOfNull = 94;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPropertyArrayIndex = 381;
inline constexpr int CantShowNonModal = 401;
inline constexpr int ObjectRequired = 424;
inline constexpr int CantCreateObject = 429;
inline constexpr int CancelError = 32755;  // common dialog: user pressed Cancel
}  // namespace err

class Error : public std::runtime_error {
public:
    // An empty description takes the original's standard text for `number`.
    explicit Error(int number, std::string description = {}, std::string source = {});

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }

private:
    int number_;
    std::string description_;
    std::string source_;
};

// The original's standard description for an error number ("File not found").
std::string errorDescription(int number);

[[noreturn]] void raise(int number, std::string source = {}, std::string description = {});

// Maps an errno value from a file operation to the error the original raises
// (ENOENT -> 53, EACCES -> 70 or 75, EEXIST -> 58, ENOSPC -> 61 ...); the
// description names the path and the system's reason.
Error fileError(int errnum, std::string_view path);

// Runs handler statements with failures ignored one by one:
//
//     runtime::Steps step;
//     step([&] { Label4.setCaption("1"); });   // a failing step is skipped
//     step([&] { pic(); });                    // and the next one still runs
//
// Only runtime::Error is caught; any other exception is a defect and passes.
class Steps {
public:
    // Returns true when the statement completed.
    bool operator()(const std::function<void()>& statement);

    // The last failure caught (the original's Err object); number 0 when none.
    int lastNumber() const noexcept { return lastNumber_; }
    const std::string& lastDescription() const noexcept { return lastDescription_; }
    int failures() const noexcept { return failures_; }
    void clear() noexcept;

private:
    int lastNumber_ = 0;
    std::string lastDescription_;
    int failures_ = 0;
};

}  // namespace runtime
