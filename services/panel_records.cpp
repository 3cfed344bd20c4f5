#include "services/panel_records.h"

namespace svc::panel {
namespace {

void PutInt(std::string& record, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) record[offset + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetInt(std::string_view record, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(record[offset + static_cast<std::size_t>(i)])) << (8 * i);
  return value;
}

// The text cut to leave room for its NUL; the record's bytes after it are already zero.
void PutText(std::string& record, std::size_t offset, std::size_t field, std::string_view text) {
  const std::size_t length = text.size() < field - 1 ? text.size() : field - 1;
  record.replace(offset, length, text.substr(0, length));
}

std::uint32_t Flag(bool on) { return on ? 1 : 0; }

// A window handle as the panel reads it: its low 32 bits.
std::uint32_t Window(std::uint64_t handle) { return static_cast<std::uint32_t>(handle & 0xFFFFFFFFu); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string EncodeMail(const MailMessageRecord& r) {
  std::string record(kMailRecordSize, '\0');
  PutInt(record, 0, r.id);
  PutText(record, 4, kAddressListField, r.recipients);
  PutText(record, 260, kAddressListField, r.copies);
  PutText(record, 516, kAddressListField, r.blind_copies);
  PutText(record, 772, kSubjectField, r.subject);
  PutText(record, 1028, kMailTextField, r.text);
  PutText(record, 1540, kAttachmentsField, r.attachments);
  PutInt(record, 3588, Flag(r.show_dialog));
  PutInt(record, 3592, Window(r.window));
  return record;
}

std::string EncodeWebAddress(std::string_view address, bool new_window) {
  std::string record(kWebRecordSize, '\0');
  PutText(record, 0, kWebAddressField, address);
  PutInt(record, 512, Flag(new_window));
  return record;
}

std::string EncodeDocumentRequest(std::uint32_t tick, std::string_view path) {
  std::string record(kDocumentRecordSize, '\0');
  PutInt(record, 0, tick);
  PutText(record, 4, kDocumentPathField, path);
  return record;
}

std::string EncodeExecInstance(const ExecInstanceRecord& r) {
  std::string record(kExecRecordSize, '\0');
  PutInt(record, 0, r.id);
  PutText(record, 4, kProgramPathField, r.full_path);
  PutText(record, 260, kParametersField, r.parameters);
  PutText(record, 772, kFolderField, r.folder);
  PutInt(record, 1028, Flag(r.wait));
  PutInt(record, 1032, Flag(r.show_progress));
  return record;
}

std::string EncodeWindowHandle(std::uint32_t process_id, std::uint64_t window) {
  std::string record(kWindowHandleRecordSize, '\0');
  PutInt(record, 0, process_id);
  PutInt(record, 4, Window(window));
  return record;
}

std::string EncodeAppClosed(std::uint32_t process_id) {
  std::string record(kAppClosedRecordSize, '\0');
  PutInt(record, 0, process_id);
  return record;
}

Reply DecodeReply(std::string_view record) {
  if (record.size() != kReplySize) return {};
  return {GetInt(record, 0), static_cast<std::int32_t>(GetInt(record, 4))};
}

std::string EncodeReply(const Reply& reply) {
  std::string record(kReplySize, '\0');
  PutInt(record, 0, reply.id);
  PutInt(record, 4, static_cast<std::uint32_t>(reply.result));
  return record;
}

std::string Escape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char c : text) {
    if (IsAsciiLetter(c)) {
      out += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
      continue;
    }
    if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace svc::panel
