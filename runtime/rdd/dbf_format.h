// The DBF table file, as the classic xBase drivers write it.
//
// Header, 32 bytes:
//   0      version: 0x03 without memo, 0x83 with a DBT memo, 0xF5 with an FPT memo
//   1..3   date of the last update: year - 1900, month, day
//   4..7   record count, little-endian
//   8..9   header length: 32 + 32 per field + 2 (terminator 0x0D and a 0x00)
//   10..11 record length, the deletion flag included
//   12..27 zero
//   28     table flags; bit 0: a structural (production) index belongs to the table
//   29     code-page mark (0: none)
//   30..31 zero
// Field descriptor, 32 bytes, one per field:
//   0..10  name, upper case, NUL padded      11  type: C N D L M
//   12..15 zero                              16  length (C: low byte)
//   17     decimals (C: high byte of the length)   18..31 zero
// Records follow the header: a flag byte (' ' live, '*' deleted), then each field's bytes.
//   C  text padded with blanks        N  right-aligned number, '.' before the decimals
//   D  YYYYMMDD, or 8 blanks          L  'T' or 'F' (reads 'T','t','Y','y' as true)
//   M  memo block number right-aligned in 10 places, or blanks when the memo is empty
// A 0x1A byte follows the last record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/rdd/status.h"

namespace xb::rdd::dbf {

inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kFieldSize = 32;
inline constexpr std::size_t kFlagsOffset = 28;
inline constexpr std::uint8_t kVersionPlain = 0x03;
inline constexpr std::uint8_t kVersionDbt = 0x83;
inline constexpr std::uint8_t kVersionFpt = 0xF5;
inline constexpr std::uint8_t kFlagStructuralIndex = 0x01;
inline constexpr char kHeaderEnd = 0x0D;
inline constexpr char kEndOfFile = 0x1A;
inline constexpr char kLive = ' ';
inline constexpr char kDeleted = '*';
inline constexpr std::size_t kMaxNameLength = 10;
inline constexpr std::size_t kMaxFields = 2046;  // the header length must fit 16 bits
inline constexpr std::size_t kMemoFieldLength = 10;

enum class MemoKind { kNone, kDbt, kFpt };

struct Field {
  std::string name;        // upper case
  char type = 'C';         // C N D L M
  std::uint16_t length = 0;
  std::uint8_t decimals = 0;
  std::uint16_t offset = 0;  // within the record; the deletion flag is at 0
};

struct Header {
  std::uint8_t version = kVersionPlain;
  int year = 0, month = 0, day = 0;  // last update
  std::uint32_t record_count = 0;
  std::uint16_t header_length = 0;
  std::uint16_t record_length = 0;
  std::uint8_t flags = 0;
  std::uint8_t code_page = 0;

  MemoKind memo_kind() const;
  bool structural_index() const { return (flags & kFlagStructuralIndex) != 0; }
};

// A field as DBCREATE gives it.
struct FieldSpec {
  std::string name;
  char type = 'C';
  int length = 0;
  int decimals = 0;
};

// Reads the 32-byte header, checking that its lengths are usable.
Status DecodeHeader(std::string_view bytes, Header* header);
// Reads the field descriptors (bytes: the whole header area) and checks them against the
// header: known types, sane lengths, lengths adding up to the record length.
Status DecodeFields(std::string_view bytes, const Header& header, std::vector<Field>* fields);

// Checks and normalises a DBCREATE structure (names upper case, fixed lengths for D, L, M)
// and lays it out: fills the header lengths and version for the given memo kind.
Status Layout(const std::vector<FieldSpec>& specs, MemoKind memo, Header* header,
              std::vector<Field>* fields);

// The first 32 bytes, and the whole header area (descriptors and terminator).
std::string EncodeHeader(const Header& header);
std::string EncodeHeaderArea(const Header& header, const std::vector<Field>& fields);

// Calendar dates as day numbers (Julian day; 0 is the empty date).
std::int32_t DayNumber(int year, int month, int day);  // 0 when not a valid date
void CivilDate(std::int32_t day_number, int* year, int* month, int* day);

// Field values of a record buffer (`record` holds record_length bytes).
// Inline: under the Windows calling convention a string_view returned from another file
// comes back through memory, and the keys read fields millions of times a table.
inline std::string_view FieldBytes(std::string_view record, const Field& field) {
  return record.substr(field.offset, field.length);
}
std::string DecodeCharacter(std::string_view record, const Field& field);
double DecodeNumber(std::string_view record, const Field& field);
std::int32_t DecodeDate(std::string_view record, const Field& field);  // 0: empty or invalid
bool DecodeLogical(std::string_view record, const Field& field);
std::uint32_t DecodeMemoBlock(std::string_view record, const Field& field);  // 0: no memo

// Encoders write into a record buffer of record_length bytes. Text longer than the field is
// cut; a number that does not fit fills the field with '*' and returns kDataWidth.
void EncodeCharacter(char* record, const Field& field, std::string_view text);
Status EncodeNumber(char* record, const Field& field, double value);
void EncodeDate(char* record, const Field& field, std::int32_t day_number);
void EncodeLogical(char* record, const Field& field, bool value);
void EncodeMemoBlock(char* record, const Field& field, std::uint32_t block);

// The number as STR(value, length, decimals) writes it; empty when it does not fit.
std::string FormatNumber(double value, int length, int decimals);

}  // namespace xb::rdd::dbf
