#include "runtime/xbeval/result_format.h"

#include "runtime/runtime.h"

namespace xb::xbeval {

namespace {

std::string Format(const Value& in, int depth) {
  const Value& v = in.Deref();
  switch (v.type()) {
    case Type::Nil: return "NIL";
    case Type::Logical: return v.AsLogical() ? ".T." : ".F.";
    case Type::Number: return NumberToText(v) + " STR=\"" + NumberToStr(v) + "\"";
    case Type::String:
    case Type::Memo: return "\"" + std::string(v.AsString()) + "\" len=" + std::to_string(v.StringLength());
    case Type::Date: return "\"" + v.AsDate().Dtos() + "\"";
    case Type::Array: {
      if (depth > 8) return "{...}";
      std::string s = "{";
      Array a = v.AsArray();
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (i) s += ", ";
        s += a[i].Deref().ValType();
        s += ":" + Format(a[i], depth + 1);
      }
      return s + "}";
    }
    case Type::Block: return v.AsBlock().Source();
    case Type::Object: return "Object " + v.AsObject()->ClassName();
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
          out = std::string(1, r.ValType()) + "\t" + FormatValue(r);
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
