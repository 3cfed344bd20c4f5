// Structure images and typed records.
//
// TStruct keeps a binary record in a string: members follow each other without padding, each
// at the previous one's offset plus its length; new bytes are zero. Member types and widths:
//   1, 2          one byte
//   3             two bytes, a 16-bit integer (little endian)
//   5             two bytes, a logical as 1 or 0
//   7, 9, 10, 12  four bytes, a 32-bit integer (little endian); given a length of 8, a
//                 pointer-sized integer (a handle or an address of this 64-bit program)
//   8             a fixed-length text, padded with spaces and cut to its length
//   others        an explicit length, not converted
// Members are read by sending their name and written by sending it with a leading "_".
//
// TExStruct is a typed record of named values without a binary image (STRUCBEGIN,
// STRUCMEMBER, STRUCEND); a member of type "OBJECT" holds a nested one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"

namespace ui {

class TStruct : public xb::Object {
 public:
  struct Member {
    std::string name;  // upper case
    int type = 0;
    int length = 0;
    int offset = 0;
  };

  TStruct();
  static const xb::Class& Cls();

  // The width a type takes when no length is given (0 for types without one).
  static int TypeLength(int type);

  void AddMember(std::string_view name, int type, int length = 0);
  // The member by name (any case) or by its 1-based number; nullptr when there is none.
  const Member* Find(const xb::Value& member) const;
  // Writes the value converted by the member's type and returns it; an unknown member
  // raises BASE/1005 and writes nothing.
  xb::Value SetMember(const xb::Value& member, const xb::Value& value);
  // Reads it back; an unknown member raises BASE/1004.
  xb::Value GetMember(const xb::Value& member);
  int SizeOf() const { return static_cast<int>(cBuffer.size()); }

  std::string cBuffer;
  std::vector<Member> aMembers;
};

class TExStruct : public xb::Object {
 public:
  struct Member {
    std::string name;  // upper case, at most 32 characters
    xb::Value value;
    std::string type;  // "L", "N", "D", "C", "B", "A" or "OBJECT"
    int length = 0;
  };

  TExStruct();
  static const xb::Class& Cls();

  void AddMember(std::string_view name, std::string_view type, const xb::Value& initial, int length = 0);
  // The member's 1-based number by name or number; 0 (after the error when lGenError) when
  // there is none.
  int GetMember(const xb::Value& member);
  xb::Value GetValue(const xb::Value& member);
  xb::Value SetValue(const xb::Value& member, const xb::Value& value);
  std::string MemberList() const;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  std::vector<Member> aMembers;
  bool lGenError = true;
};

// The value of a hexadecimal text, up to its first character that is not a hex digit: an
// integer while it fits in 63 bits, beyond that a floating-point number of the same size.
xb::Value NHex(std::string_view text);
// Upper-case hexadecimal without leading zeros ("0" for 0); a negative number as its 32-bit
// two's complement.
std::string DecToHex(std::int64_t value);
// A pseudo-random integer from 0 to `maximum`, from a generator seeded once.
std::int64_t NRandom(std::int64_t maximum = 65535);

// TSTRUCT, TEXSTRUCT, STRUCBEGIN, STRUCMEMBER, STRUCEND, THISSTRUCT, NHEX, DECTOHEX, NRANDOM.
void RegisterStructFunctions();

}  // namespace ui
