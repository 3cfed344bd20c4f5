// Result of a table-engine operation below the work area: the file readers and writers
// return a Status, and only the work area turns one into the runtime's error object.
#pragma once

#include <string>
#include <utility>

namespace xb::rdd {

// Operating-system error numbers as Windows reports them; the POSIX file system maps its
// errno values onto these, so callers see the same codes on every platform.
namespace os_error {
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kWriteFault = 29;
inline constexpr int kReadFault = 30;
inline constexpr int kSharingViolation = 32;
inline constexpr int kLockViolation = 33;
inline constexpr int kHandleDiskFull = 39;
inline constexpr int kFileExists = 80;
inline constexpr int kDiskFull = 112;
}  // namespace os_error

enum class StatusCode {
  kOk,
  kIo,           // the operating system refused; os_code() tells why
  kLocked,       // a lock is held by someone else (record, file, header or share lock)
  kCorrupt,      // a file's contents are out of range
  kDataWidth,    // a value does not fit its field
  kDataType,     // a value of the wrong type for its field
  kInvalid,      // a bad argument (field name, structure, record number)
  kReadOnly,     // a write on a table opened read-only
  kUnlocked,     // a write on a record of a shared table that is not locked
  kShared,       // an operation that needs the table opened exclusively
  kUnsupported,  // a file feature this engine does not handle
};

class [[nodiscard]] Status {
 public:
  Status() = default;

  static Status Io(int os_code, std::string message) {
    return Status(StatusCode::kIo, os_code, std::move(message));
  }
  static Status Error(StatusCode code, std::string message) {
    return Status(code, 0, std::move(message));
  }

  bool ok() const { return code_ == StatusCode::kOk; }
  StatusCode code() const { return code_; }
  int os_code() const { return os_code_; }
  const std::string& message() const { return message_; }

  // Prefixes context ("fixture.dbf: ") to the message, keeping code and OS code.
  Status&& WithContext(const std::string& context) && {
    if (!ok()) message_ = context + ": " + message_;
    return std::move(*this);
  }
  // Names the file the failure is about (a table's memo or index rather than the table).
  Status&& InFile(std::string path) && {
    if (!ok()) file_ = std::move(path);
    return std::move(*this);
  }
  const std::string& file() const { return file_; }

 private:
  Status(StatusCode code, int os_code, std::string message)
      : code_(code), os_code_(os_code), message_(std::move(message)) {}

  StatusCode code_ = StatusCode::kOk;
  int os_code_ = 0;
  std::string message_;
  std::string file_;
};

#define XB_RETURN_IF_ERROR(expr)          \
  do {                                    \
    ::xb::rdd::Status status_ = (expr);   \
    if (!status_.ok()) return status_;    \
  } while (0)

}  // namespace xb::rdd
