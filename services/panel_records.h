// The records the program and the management panel exchange in WM_COPYDATA messages. The
// panel is a 32-bit program: every record keeps its 32-bit layout whatever this program's
// width. Integers are 32-bit little endian; window handles travel as their low 32 bits (the
// part Windows shares between 32- and 64-bit processes); text fields are ANSI strings cut to
// the field's size - 1 and always terminated by a NUL.
//
//   MailMessageRecord (1001, 3596 bytes)      WebAddressRecord (1002, 516 bytes)
//     0  int32  message identifier              0  char[512] address
//     4  char[256] recipients, ";" between    512  int32  1 = a new browser window
//   260  char[256] copies
//   516  char[256] blind copies               DocumentRequestRecord (1004, 516 bytes)
//   772  char[256] subject                      0  int32  tick count when sent
//  1028  char[512] text                         4  char[512] document path
//  1540  char[2048] attachments (folder notation)
//  3588  int32  1 = the panel shows its dialog  WindowHandleRecord (1011, 8 bytes)
//  3592  int32  program window                  0  int32  process identifier
//                                                4  int32  window handle
//   ExecInstanceRecord (1003 ..., 1036 bytes)
//     0  int32  instance identifier           AppClosedRecord (1013, 4 bytes)
//     4  char[256] program's full path          0  int32  process identifier
//   260  char[512] parameters (escaped)
//   772  char[256] working folder             Reply (from the panel, 8 bytes)
//  1028  int32  1 = wait for the end            0  int32  identifier
//  1032  int32  1 = the panel shows progress    4  int32  result
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace svc::panel {

// Message codes (COPYDATASTRUCT's dwData).
inline constexpr int kMailMessage = 1001;
inline constexpr int kWebAddress = 1002;
inline constexpr int kExecProgram = 1003;
inline constexpr int kDocumentRequest = 1004;
inline constexpr int kExecNotice = 1005;
inline constexpr int kExecNotice2 = 1006;
inline constexpr int kWindowHandle = 1011;
inline constexpr int kCloseApp = 1012;
inline constexpr int kAppClosed = 1013;

inline constexpr std::size_t kMailRecordSize = 3596;
inline constexpr std::size_t kWebRecordSize = 516;
inline constexpr std::size_t kDocumentRecordSize = 516;
inline constexpr std::size_t kExecRecordSize = 1036;
inline constexpr std::size_t kWindowHandleRecordSize = 8;
inline constexpr std::size_t kAppClosedRecordSize = 4;
inline constexpr std::size_t kReplySize = 8;

// Field sizes of the records (the text fields hold one character less).
inline constexpr std::size_t kAddressListField = 256;
inline constexpr std::size_t kSubjectField = 256;
inline constexpr std::size_t kMailTextField = 512;
inline constexpr std::size_t kAttachmentsField = 2048;
inline constexpr std::size_t kWebAddressField = 512;
inline constexpr std::size_t kDocumentPathField = 512;
inline constexpr std::size_t kProgramPathField = 256;
inline constexpr std::size_t kParametersField = 512;
inline constexpr std::size_t kFolderField = 256;

struct MailMessageRecord {
  std::uint32_t id = 0;
  std::string recipients, copies, blind_copies, subject, text, attachments;
  bool show_dialog = true;
  std::uint64_t window = 0;
};

struct ExecInstanceRecord {
  std::uint32_t id = 0;
  std::string full_path, parameters, folder;
  bool wait = false;
  bool show_progress = true;
};

std::string EncodeMail(const MailMessageRecord& record);
std::string EncodeWebAddress(std::string_view address, bool new_window);
std::string EncodeDocumentRequest(std::uint32_t tick, std::string_view path);
std::string EncodeExecInstance(const ExecInstanceRecord& record);
std::string EncodeWindowHandle(std::uint32_t process_id, std::uint64_t window);
std::string EncodeAppClosed(std::uint32_t process_id);

// The panel's reply: the identifier as the unsigned number the program gave, the result as
// signed. A record of any other size than 8 reads as {0, 0}.
struct Reply {
  std::uint32_t id = 0;
  std::int32_t result = 0;
};
Reply DecodeReply(std::string_view record);
std::string EncodeReply(const Reply& reply);

// QZCC_ESCAPE: every character but the ASCII letters as "%" and two upper-case hexadecimal
// digits. QZCC_UNESCAPE: "+" as a blank, then "%hh" as its character (so "%2B" gives "+");
// a "%" not followed by two hexadecimal digits stays.
std::string Escape(std::string_view text);
std::string Unescape(std::string_view text);

}  // namespace svc::panel
