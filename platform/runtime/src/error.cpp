#include "runtime/error.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace runtime {

std::string errorDescription(int number) {
    switch (number) {
    case 0: return "";
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 54: return "Bad file mode";
    case 55: return "File already open";
    case 57: return "Device I/O error";
    case 58: return "File already exists";
    case 59: return "Bad record length";
    case 61: return "Disk full";
    case 62: return "Input past end of file";
    case 63: return "Bad record number";
    case 64: return "Bad file name";
    case 67: return "Too many files";
    case 68: return "Device unavailable";
    case 70: return "Permission denied";
    case 71: return "Disk not ready";
    case 74: return "Can't rename with different drive";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case 91: return "Object variable or With block variable not set";
    case 94: return "Invalid use of Null";
    case 380: return "Invalid property value";
    case 381: return "Invalid property array index";
    case 401: return "Can't show non-modal form when modal form is displayed";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 32755: return "Cancel was selected.";
    default: return "Application-defined or object-defined error";
    }
}

Error::Error(int number, std::string description, std::string source)
    : std::runtime_error(description.empty() ? errorDescription(number) : description),
      number_(number),
      description_(description.empty() ? errorDescription(number) : std::move(description)),
      source_(std::move(source)) {}

void raise(int number, std::string source, std::string description) {
    throw Error(number, std::move(description), std::move(source));
}

Error fileError(int errnum, std::string_view path) {
    int number;
    switch (errnum) {
    case ENOENT:
    case ENOTDIR: number = err::FileNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY: number = err::PermissionDenied; break;
    case EEXIST:
    case ENOTEMPTY: number = err::FileAlreadyExists; break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: number = err::DiskFull; break;
    case EMFILE:
    case ENFILE: number = err::TooManyFiles; break;
    case ENAMETOOLONG:
    case EINVAL: number = err::BadFileName; break;
    case EXDEV: number = err::CantRenameWithDifferentDrive; break;
    case EIO: number = err::DeviceIOError; break;
    case ENXIO:
    case ENODEV: number = err::DeviceUnavailable; break;
    case EISDIR: number = err::PathFileAccessError; break;
    default: number = err::PathFileAccessError; break;
    }
    const std::string description = errorDescription(number);
    std::string text = description;
    if (!path.empty()) text += ": " + std::string(path);
    // The system's own words, where they tell more than the description
    // ("Read-only file system"); where they are the description again
    // ("Permission denied"), the reason is said once.
    const std::string reason = std::strerror(errnum);
    auto same = [](const std::string& a, const std::string& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
            return std::tolower(x) == std::tolower(y);
        });
    };
    if (!same(reason, description)) text += " (" + reason + ")";
    return Error(number, text);
}

bool Steps::operator()(const std::function<void()>& statement) {
    try {
        statement();
        return true;
    } catch (const Error& e) {
        lastNumber_ = e.number();
        lastDescription_ = e.description();
        ++failures_;
        return false;
    }
}

void Steps::clear() noexcept {
    lastNumber_ = 0;
    lastDescription_.clear();
}

}  // namespace runtime
