#include "runtime/xbeval/result_format.h"

#include "runtime/runtime.h"

namespace xb::xbeval {

namespace {

// A string's bytes as the reference writes them: controls and the five bytes Windows-1252
// leaves undefined as \xNN, a backslash doubled.
std::string Escaped(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 32 || b == 127 || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else if (b == '\\') {
      out += "\\\\";
    } else {
      out += ch;
    }
  }
  return out;
}

// The type a result is written with: a memo field's text is a character string, as a
// variable holds it (VALTYPE() still answers "M").
char TypeLetter(const Value& v) {
  const char type = v.Deref().ValType();
  return type == 'M' ? 'C' : type;
}

std::string Format(const Value& in, int depth) {
  const Value& v = in.Deref();
  switch (v.type()) {
    case Type::Nil: return "NIL";
    case Type::Logical: return v.AsLogical() ? ".T." : ".F.";
    case Type::Number: return NumberToText(v) + " STR=\"" + NumberToStr(v) + "\"";
    case Type::String:
    case Type::Memo: return "\"" + Escaped(v.AsString()) + "\" len=" + std::to_string(v.StringLength());
    case Type::Date: return "\"" + v.AsDate().Dtos() + "\"";
    case Type::Array: {
      if (depth > 8) return "{...}";
      std::string s = "{";
      Array a = v.AsArray();
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (i) s += ", ";
        s += TypeLetter(a[i]);
        s += ":" + Format(a[i], depth + 1);
      }
      return s + "}";
    }
    case Type::Block: return "<codeblock>";
    case Type::Object: return "<object " + v.AsObject()->ClassName() + ">";
    case Type::Ref: break;
  }
  return "NIL";
}

}  // namespace

std::string FormatValue(const Value& v) { return Format(v, 0); }

std::string EvaluateLine(std::string_view expression) {
  std::string out;
  auto error = [&](const Error& e) { out = "ERR\t" + ErrorText(e); };
  try {
    // An error ends the line: the error block breaks out with the error object.
    ErrorBlockScope scope(Value(Block::Native([](Args& a) -> Value { Break(a.Arg(1)); })));
    BeginSequence(
        [&] {
          Value r = EvalMacro(expression);
          out = std::string(1, TypeLetter(r)) + "\t" + FormatValue(r);
        },
        [&](const Value& b) {
          if (b.IsObject() && b.AsObject()->IsDerivedFrom(Error::Cls()))
            error(static_cast<const Error&>(*b.AsObject()));
          else
            out = "ERR\tBREAK " + FormatValue(b);
        });
  } catch (const UnhandledError& e) {
    error(*e.error());
  } catch (const std::exception& e) {
    out = std::string("ERR\t") + e.what();
  }
  return out;
}

void UseReferenceSettings() {
  SetValue(SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  SetValue(SET_EPOCH, Value::Integer(1920));
  SetValue(SET_CODEPAGE, Value::String("ESWIN"));
}

}  // namespace xb::xbeval
