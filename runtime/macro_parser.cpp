#include "runtime/macro_parser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/number.h"

namespace xb::macro {

namespace {

enum class Tok {
  End, Error, Number, String, Date, Ident, True, False,
  And, Or, Not, LParen, RParen, LBracket, RBracket, LBrace, RBrace, Comma, Pipe, Colon,
  Arrow, At, Amp, Assign, PlusEq, MinusEq, MultEq, DivEq, ModEq, PowEq, Inc, Dec,
  Plus, Minus, Mult, Div, Mod, Power, Eq, ExactEq, NotEq, Less, LessEq, Greater, GreaterEq, Dollar,
};

struct Token {
  Tok kind = Tok::End;
  std::size_t pos = 0;
  std::string text;  // identifier (as written), string value, number text
  Value value;       // numbers and dates
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  Token Next() {
    Token t = Scan();
    prev_ = t.kind;
    return t;
  }

 private:
  // After these a '[' indexes; elsewhere it starts a string.
  bool PrevEndsOperand() const {
    switch (prev_) {
      case Tok::Number: case Tok::String: case Tok::Date: case Tok::Ident: case Tok::True: case Tok::False:
      case Tok::RParen: case Tok::RBracket: case Tok::RBrace: case Tok::Inc: case Tok::Dec:
        return true;
      default:
        return false;
    }
  }

  Token Make(Tok k, std::size_t pos, std::size_t len) {
    Token t;
    t.kind = k;
    t.pos = pos;
    i_ = pos + len;
    return t;
  }

  Token Fail(std::size_t pos, std::string msg) {
    Token t;
    t.kind = Tok::Error;
    t.pos = pos;
    t.text = std::move(msg);
    i_ = s_.size();
    return t;
  }

  bool WordAt(std::size_t p, const char* w) const {
    std::size_t n = std::strlen(w);
    if (p + n > s_.size()) return false;
    for (std::size_t k = 0; k < n; ++k) {
      char c = s_[p + k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != w[k]) return false;
    }
    return true;
  }

  Token Scan() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
    if (i_ >= s_.size()) return Make(Tok::End, s_.size(), 0);
    std::size_t p = i_;
    char c = s_[p];
    char n1 = p + 1 < s_.size() ? s_[p + 1] : '\0';

    if (c == '.') {
      if (WordAt(p, ".T.") || WordAt(p, ".Y.")) return Make(Tok::True, p, 3);
      if (WordAt(p, ".F.") || WordAt(p, ".N.")) return Make(Tok::False, p, 3);
      if (WordAt(p, ".AND.")) return Make(Tok::And, p, 5);
      if (WordAt(p, ".OR.")) return Make(Tok::Or, p, 4);
      if (WordAt(p, ".NOT.")) return Make(Tok::Not, p, 5);
      if (IsDigit(n1)) return ScanNumber(p);
      return Fail(p, "unexpected '.'");
    }
    if (IsDigit(c)) {
      if (c == '0' && (n1 == 'd' || n1 == 'D') && p + 10 <= s_.size()) {
        bool digits = true;
        for (std::size_t k = p + 2; k < p + 10; ++k) digits = digits && IsDigit(s_[k]);
        if (digits && (p + 10 == s_.size() || !IsIdentChar(s_[p + 10]))) {
          Token t = Make(Tok::Date, p, 10);
          t.value = Value::FromDate(Date::FromDtos(s_.substr(p + 2, 8)));
          return t;
        }
      }
      return ScanNumber(p);
    }
    if (IsIdentStart(c)) {
      std::size_t e = p;
      while (e < s_.size() && IsIdentChar(s_[e])) ++e;
      Token t = Make(Tok::Ident, p, e - p);
      t.text.assign(s_.substr(p, e - p));
      return t;
    }
    if (c == '"' || c == '\'' || (c == '[' && !PrevEndsOperand())) {
      char close = c == '[' ? ']' : c;
      std::size_t e = s_.find(close, p + 1);
      if (e == std::string_view::npos) return Fail(p, "unterminated string");
      Token t = Make(Tok::String, p, e + 1 - p);
      t.text.assign(s_.substr(p + 1, e - p - 1));
      return t;
    }
    switch (c) {
      case '(': return Make(Tok::LParen, p, 1);
      case ')': return Make(Tok::RParen, p, 1);
      case '[': return Make(Tok::LBracket, p, 1);
      case ']': return Make(Tok::RBracket, p, 1);
      case '{': return Make(Tok::LBrace, p, 1);
      case '}': return Make(Tok::RBrace, p, 1);
      case ',': return Make(Tok::Comma, p, 1);
      case '|': return Make(Tok::Pipe, p, 1);
      case '@': return Make(Tok::At, p, 1);
      case '&': return Make(Tok::Amp, p, 1);
      case '$': return Make(Tok::Dollar, p, 1);
      case '#': return Make(Tok::NotEq, p, 1);
      case ':': return n1 == '=' ? Make(Tok::Assign, p, 2) : Make(Tok::Colon, p, 1);
      case '+':
        if (n1 == '+') return Make(Tok::Inc, p, 2);
        if (n1 == '=') return Make(Tok::PlusEq, p, 2);
        return Make(Tok::Plus, p, 1);
      case '-':
        if (n1 == '-') return Make(Tok::Dec, p, 2);
        if (n1 == '=') return Make(Tok::MinusEq, p, 2);
        if (n1 == '>') return Make(Tok::Arrow, p, 2);
        return Make(Tok::Minus, p, 1);
      case '*':
        if (n1 == '*') {
          if (p + 2 < s_.size() && s_[p + 2] == '=') return Make(Tok::PowEq, p, 3);
          return Make(Tok::Power, p, 2);
        }
        if (n1 == '=') return Make(Tok::MultEq, p, 2);
        return Make(Tok::Mult, p, 1);
      case '/': return n1 == '=' ? Make(Tok::DivEq, p, 2) : Make(Tok::Div, p, 1);
      case '%': return n1 == '=' ? Make(Tok::ModEq, p, 2) : Make(Tok::Mod, p, 1);
      case '^': return n1 == '=' ? Make(Tok::PowEq, p, 2) : Make(Tok::Power, p, 1);
      case '=': return n1 == '=' ? Make(Tok::ExactEq, p, 2) : Make(Tok::Eq, p, 1);
      case '!': return n1 == '=' ? Make(Tok::NotEq, p, 2) : Make(Tok::Not, p, 1);
      case '<':
        if (n1 == '=') return Make(Tok::LessEq, p, 2);
        if (n1 == '>') return Make(Tok::NotEq, p, 2);
        return Make(Tok::Less, p, 1);
      case '>': return n1 == '=' ? Make(Tok::GreaterEq, p, 2) : Make(Tok::Greater, p, 1);
      default: break;
    }
    return Fail(p, "unexpected character");
  }

  Token ScanNumber(std::size_t p) {
    std::size_t e = p;
    if (s_[p] == '0' && p + 1 < s_.size() && (s_[p + 1] == 'x' || s_[p + 1] == 'X')) {
      e = p + 2;
      while (e < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[e]))) ++e;
    } else {
      while (e < s_.size() && IsDigit(s_[e])) ++e;
      // A dot belongs to the number unless it starts .AND., .T. and the like.
      if (e < s_.size() && s_[e] == '.' && !(e + 1 < s_.size() && IsIdentStart(s_[e + 1]))) {
        ++e;
        while (e < s_.size() && IsDigit(s_[e])) ++e;
      }
    }
    if (e < s_.size() && IsIdentChar(s_[e])) return Fail(p, "malformed number");
    Token t = Make(Tok::Number, p, e - p);
    t.text.assign(s_.substr(p, e - p));
    if (!ReadNumberLiteral(t.text, t.value)) return Fail(p, "malformed number");
    return t;
  }

  std::string_view s_;
  std::size_t i_ = 0;
  Tok prev_ = Tok::End;
};

// One function being compiled: its parameters and the outer variables it captures.
struct Scope {
  Ref<Function> fn;
  std::vector<std::string> captureNames;
  Scope* outer = nullptr;
};

struct SyntaxFailure {
  SyntaxError error;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text), lex_(text) {}

  ParseResult Run() {
    ParseResult r;
    try {
      Advance();
      auto fn = MakeRef<Function>();
      fn->source.assign(text_);
      Scope top{fn, {}, nullptr};
      scope_ = &top;
      if (tok_.kind == Tok::End) Fail("empty expression");
      bool startsWithBlock = tok_.kind == Tok::LBrace && PeekIsPipe();
      fn->body.push_back(ParseAssign());
      bool single = true;
      while (tok_.kind == Tok::Comma) {
        Advance();
        fn->body.push_back(ParseAssign());
        single = false;
      }
      if (tok_.kind != Tok::End) Fail("unexpected text");
      r.isBlockLiteral = single && startsWithBlock && lastPrimaryWasWholeBlock_;
      r.fn = fn;
      r.calls = std::move(calls_);
      r.evalsValue = evalsValue_;
      r.actsUnseen = actsUnseen_;
    } catch (SyntaxFailure& f) {
      r.fn = nullptr;
      r.error = f.error;
      r.calls.clear();
    }
    return r;
  }

 private:
  [[noreturn]] void Fail(const std::string& msg) {
    if (tok_.kind == Tok::Error) throw SyntaxFailure{{tok_.text, tok_.pos}};
    throw SyntaxFailure{{msg, tok_.pos}};
  }

  void Advance() {
    tok_ = lex_.Next();
    if (tok_.kind == Tok::Error) Fail(tok_.text);
  }

  bool PeekIsPipe() {
    Lexer copy = lex_;
    return copy.Next().kind == Tok::Pipe;
  }

  void Expect(Tok k, const char* what) {
    if (tok_.kind != k) Fail(std::string("expected ") + what);
    Advance();
  }

  struct DepthGuard {
    explicit DepthGuard(Parser& p) : p_(p) {
      if (++p_.depth_ > kMaxParseDepth) p_.Fail("expression too complex");
    }
    ~DepthGuard() { --p_.depth_; }
    Parser& p_;
  };

  void NoteCall(const Symbol& s) {
    if (std::find(calls_.begin(), calls_.end(), &s) == calls_.end()) calls_.push_back(&s);
  }

  // ---- expressions ------------------------------------------------------------------

  NodePtr ParseAssign() {
    DepthGuard g(*this);
    NodePtr left = ParseOr();
    const BinOp* op = nullptr;
    static const BinOp kPlus = BinOp::Plus, kMinus = BinOp::Minus, kMult = BinOp::Mult, kDiv = BinOp::Div,
                       kMod = BinOp::Mod, kPow = BinOp::Power;
    switch (tok_.kind) {
      case Tok::Assign: break;
      case Tok::PlusEq: op = &kPlus; break;
      case Tok::MinusEq: op = &kMinus; break;
      case Tok::MultEq: op = &kMult; break;
      case Tok::DivEq: op = &kDiv; break;
      case Tok::ModEq: op = &kMod; break;
      case Tok::PowEq: op = &kPow; break;
      default: return left;
    }
    if (!left->IsLValue()) Fail("cannot assign to this");
    actsUnseen_ = true;
    Advance();
    NodePtr right = ParseAssign();
    return MakeAssign(std::move(left), std::move(right), op);
  }

  NodePtr ParseOr() {
    NodePtr left = ParseAnd();
    while (tok_.kind == Tok::Or) {
      Advance();
      left = MakeOr(std::move(left), ParseAnd());
    }
    return left;
  }

  NodePtr ParseAnd() {
    NodePtr left = ParseNot();
    while (tok_.kind == Tok::And) {
      Advance();
      left = MakeAnd(std::move(left), ParseNot());
    }
    return left;
  }

  NodePtr ParseNot() {
    DepthGuard g(*this);
    if (tok_.kind == Tok::Not) {
      Advance();
      return MakeNot(ParseNot());
    }
    return ParseRelational();
  }

  NodePtr ParseRelational() {
    NodePtr left = ParseAdditive();
    for (;;) {
      BinOp op;
      switch (tok_.kind) {
        case Tok::Eq: op = BinOp::Eq; break;
        case Tok::ExactEq: op = BinOp::ExactEq; break;
        case Tok::NotEq: op = BinOp::NotEq; break;
        case Tok::Less: op = BinOp::Less; break;
        case Tok::LessEq: op = BinOp::LessEq; break;
        case Tok::Greater: op = BinOp::Greater; break;
        case Tok::GreaterEq: op = BinOp::GreaterEq; break;
        case Tok::Dollar: op = BinOp::Contains; break;
        default: return left;
      }
      Advance();
      left = MakeBinary(op, std::move(left), ParseAdditive());
    }
  }

  NodePtr ParseAdditive() {
    NodePtr left = ParseMultiplicative();
    for (;;) {
      BinOp op;
      if (tok_.kind == Tok::Plus) op = BinOp::Plus;
      else if (tok_.kind == Tok::Minus) op = BinOp::Minus;
      else return left;
      Advance();
      left = Fold(op, std::move(left), ParseMultiplicative());
    }
  }

  NodePtr ParseMultiplicative() {
    NodePtr left = ParsePower();
    for (;;) {
      BinOp op;
      if (tok_.kind == Tok::Mult) op = BinOp::Mult;
      else if (tok_.kind == Tok::Div) op = BinOp::Div;
      else if (tok_.kind == Tok::Mod) op = BinOp::Mod;
      else return left;
      Advance();
      left = Fold(op, std::move(left), ParsePower());
    }
  }

  // ** and ^ group left to right, as the other binary operators: 2 ** 3 ** 2 is 64.
  NodePtr ParsePower() {
    NodePtr left = ParseUnary();
    while (tok_.kind == Tok::Power) {
      Advance();
      left = MakeBinary(BinOp::Power, std::move(left), ParseUnary());
    }
    return left;
  }

  NodePtr ParseUnary() {
    DepthGuard g(*this);
    if (tok_.kind == Tok::Minus) {
      Advance();
      NodePtr a = ParseUnary();
      if (const Value* c = a->Constant(); c && c->IsNumber()) {
        if (c->IsInteger() && c->AsInt() != INT64_MIN) return MakeConst(Value::Integer(-c->AsInt()));
        if (c->IsDouble()) return MakeConst(Value::Double(-c->AsDouble(), c->Decimals(), c->Width()));
      }
      return MakeNegate(std::move(a));
    }
    if (tok_.kind == Tok::Plus) {
      Advance();
      return ParseUnary();
    }
    if (tok_.kind == Tok::Inc || tok_.kind == Tok::Dec) {
      bool inc = tok_.kind == Tok::Inc;
      Advance();
      NodePtr target = ParseUnary();
      if (!target->IsLValue()) Fail("cannot increment this");
      actsUnseen_ = true;
      return MakeIncDec(std::move(target), inc, true);
    }
    return ParsePostfix();
  }

  NodePtr ParsePostfix() {
    bool areaCapable = tok_.kind == Tok::Number || tok_.kind == Tok::LParen;
    NodePtr n = ParsePrimary();
    for (;;) {
      switch (tok_.kind) {
        case Tok::LBracket: {
          Advance();
          n = MakeIndex(std::move(n), ParseAssign());
          while (tok_.kind == Tok::Comma) {
            Advance();
            n = MakeIndex(std::move(n), ParseAssign());
          }
          Expect(Tok::RBracket, "']'");
          break;
        }
        case Tok::Colon: {
          Advance();
          if (tok_.kind != Tok::Ident) Fail("expected a message name");
          const Symbol& msg = Intern(tok_.text);
          actsUnseen_ = true;
          Advance();
          if (tok_.kind == Tok::LParen) {
            std::vector<NodePtr> args = ParseArgs();
            n = MakeSend(std::move(n), msg, std::move(args), true);
          } else {
            n = MakeSend(std::move(n), msg, {}, false);
          }
          break;
        }
        case Tok::Inc:
        case Tok::Dec: {
          if (!n->IsLValue()) return n;
          actsUnseen_ = true;
          bool inc = tok_.kind == Tok::Inc;
          Advance();
          n = MakeIncDec(std::move(n), inc, false);
          break;
        }
        case Tok::Arrow: {
          if (!areaCapable) Fail("unexpected '->'");
          Advance();
          if (tok_.kind == Tok::Ident) {
            const Symbol& field = Intern(tok_.text);
            Advance();
            n = MakeAreaField(std::move(n), field);
          } else if (tok_.kind == Tok::LParen) {
            Advance();
            NodePtr body = ParseList(Tok::RParen);
            n = MakeAreaExpr(std::move(n), std::move(body));
          } else {
            Fail("expected a field name");
          }
          break;
        }
        default:
          return n;
      }
      areaCapable = false;
    }
  }

  // Expression list up to a closing token (consumed); a list yields its last value.
  NodePtr ParseList(Tok close) {
    std::vector<NodePtr> items;
    items.push_back(ParseAssign());
    while (tok_.kind == Tok::Comma) {
      Advance();
      items.push_back(ParseAssign());
    }
    Expect(close, close == Tok::RParen ? "')'" : "'}'");
    if (items.size() == 1) return std::move(items[0]);
    return MakeList(std::move(items));
  }

  // '(' [arg {',' arg}] ')' with empty arguments allowed; '@' passes by reference.
  std::vector<NodePtr> ParseArgs() {
    Expect(Tok::LParen, "'('");
    std::vector<NodePtr> args;
    if (tok_.kind == Tok::RParen) {
      Advance();
      return args;
    }
    for (;;) {
      if (tok_.kind == Tok::Comma || tok_.kind == Tok::RParen) {
        args.push_back(nullptr);
      } else if (tok_.kind == Tok::At) {
        Advance();
        NodePtr target = ParsePostfix();
        args.push_back(MakeRefArg(std::move(target)));
      } else {
        args.push_back(ParseAssign());
      }
      if (tok_.kind == Tok::Comma) {
        Advance();
        continue;
      }
      Expect(Tok::RParen, "')'");
      return args;
    }
  }

  NodePtr ParsePrimary() {
    DepthGuard g(*this);
    lastPrimaryWasWholeBlock_ = false;
    switch (tok_.kind) {
      case Tok::Number:
      case Tok::Date: {
        Value v = tok_.value;
        Advance();
        return MakeConst(std::move(v));
      }
      case Tok::String: {
        Value v = Value::String(tok_.text);
        Advance();
        return MakeConst(std::move(v));
      }
      case Tok::True: Advance(); return MakeConst(Value::Logical(true));
      case Tok::False: Advance(); return MakeConst(Value::Logical(false));
      case Tok::LParen: {
        Advance();
        return ParseList(Tok::RParen);
      }
      case Tok::LBrace: {
        Advance();
        if (tok_.kind == Tok::Pipe) {
          NodePtr b = ParseBlock();
          lastPrimaryWasWholeBlock_ = tok_.kind == Tok::End;
          return b;
        }
        std::vector<NodePtr> items;
        if (tok_.kind == Tok::RBrace) {
          Advance();
          return MakeArrayLit(std::move(items));
        }
        for (;;) {
          if (tok_.kind == Tok::Comma || tok_.kind == Tok::RBrace) items.push_back(nullptr);
          else items.push_back(ParseAssign());
          if (tok_.kind == Tok::Comma) {
            Advance();
            continue;
          }
          Expect(Tok::RBrace, "'}'");
          return MakeArrayLit(std::move(items));
        }
      }
      case Tok::Amp: {
        actsUnseen_ = true;
        Advance();
        if (tok_.kind == Tok::Ident) {
          const Symbol& name = Intern(tok_.text);
          Advance();
          return MakeMacroVar(name);
        }
        if (tok_.kind == Tok::LParen) {
          Advance();
          return MakeMacroExpr(ParseList(Tok::RParen));
        }
        Fail("expected a name or '(' after '&'");
      }
      case Tok::Ident: return ParseIdentifier();
      default: break;
    }
    Fail(tok_.kind == Tok::End ? "unexpected end of expression" : "unexpected token");
  }

  NodePtr ParseIdentifier() {
    std::string name = tok_.text;
    std::string upper = UpperName(name);
    Advance();
    if (tok_.kind == Tok::LParen) {
      if (upper == "IIF" || upper == "IF") {
        std::vector<NodePtr> args = ParseArgs();
        if (args.size() < 2 || args.size() > 3 || !args[0]) Fail("IIF() needs a condition and two values");
        NodePtr c = std::move(args[0]);
        NodePtr a = std::move(args[1]);
        NodePtr b = args.size() > 2 ? std::move(args[2]) : nullptr;
        return MakeIIf(std::move(c), std::move(a), std::move(b));
      }
      const Symbol& fn = Intern(upper);
      NoteCall(fn);
      std::vector<NodePtr> args = ParseArgs();
      if (upper == "EVAL" && (args.empty() || !args[0] || !args[0]->IsBlockLiteral())) evalsValue_ = true;
      if (Value r; upper == "INT" && FoldInt(args, r)) return MakeConst(std::move(r));
      return MakeCall(fn, std::move(args));
    }
    if (tok_.kind == Tok::Arrow) {
      Advance();
      bool memvar = upper == "M" || upper == "MEMVAR";
      bool field = upper == "FIELD" || upper == "_FIELD";
      if (tok_.kind == Tok::LParen) {
        Advance();
        NodePtr body = ParseList(Tok::RParen);
        if (memvar || field) return body;
        return MakeAliasExpr(Intern(upper), std::move(body));
      }
      if (tok_.kind != Tok::Ident) Fail("expected a field name after '->'");
      const Symbol& target = Intern(tok_.text);
      Advance();
      if (memvar) return MakeMemvar(target);
      if (field) return MakeFieldRef(target);
      return MakeAliasField(Intern(upper), target);
    }
    if (upper == "NIL") return MakeConst(Value());
    if (upper == "SELF" || upper == "QSELF") Fail("Self is not available here");
    int slot = Resolve(*scope_, upper);
    if (slot >= 0) return MakeLocal(slot);
    return MakeName(Intern(upper));
  }

  // A block parameter or captured variable visible in the scope: its slot, or -1.
  int Resolve(Scope& s, const std::string& upper) {
    for (int i = 0; i < s.fn->paramCount; ++i)
      if (s.fn->paramNames[static_cast<std::size_t>(i)] == upper) return i;
    for (std::size_t j = 0; j < s.captureNames.size(); ++j)
      if (s.captureNames[j] == upper) return s.fn->paramCount + static_cast<int>(j);
    if (!s.outer) return -1;
    int outerSlot = Resolve(*s.outer, upper);
    if (outerSlot < 0) return -1;
    s.fn->captures.push_back({outerSlot});
    s.captureNames.push_back(upper);
    return s.fn->paramCount + static_cast<int>(s.captureNames.size()) - 1;
  }

  // After '{': '|' params '|' body '}'.
  NodePtr ParseBlock() {
    std::size_t start = tok_.pos - 1;
    Expect(Tok::Pipe, "'|'");
    auto fn = MakeRef<Function>();
    while (tok_.kind == Tok::Ident) {
      std::string p = UpperName(tok_.text);
      if (std::find(fn->paramNames.begin(), fn->paramNames.end(), p) != fn->paramNames.end())
        Fail("duplicate parameter");
      fn->paramNames.push_back(p);
      Advance();
      if (tok_.kind != Tok::Comma) break;
      Advance();
    }
    fn->paramCount = static_cast<int>(fn->paramNames.size());
    Expect(Tok::Pipe, "'|'");
    Scope inner{fn, {}, scope_};
    scope_ = &inner;
    if (tok_.kind != Tok::RBrace) {
      fn->body.push_back(ParseAssign());
      while (tok_.kind == Tok::Comma) {
        Advance();
        fn->body.push_back(ParseAssign());
      }
    }
    scope_ = inner.outer;
    std::size_t end = tok_.pos + 1;
    Expect(Tok::RBrace, "'}'");
    fn->source.assign(text_.substr(start, std::min(end, text_.size()) - start));
    return MakeBlockLit(fn);
  }

  // Arithmetic on literals alone is done now, as the xBase compiler does: integer results
  // stay integers, divisions that do not come out even take two decimals.
  NodePtr Fold(BinOp op, NodePtr a, NodePtr b) {
    const Value* x = a->Constant();
    const Value* y = b->Constant();
    if (x && y) {
      Value r;
      if (FoldValues(op, *x, *y, r)) return MakeConst(std::move(r));
    }
    return MakeBinary(op, std::move(a), std::move(b));
  }

  // A whole result of literals; once it leaves 32 bits a number without decimals as wide as
  // its digits plus one.
  static Value Whole(std::int64_t n) {
    if (n >= INT32_MIN && n <= INT32_MAX) return Value::Integer(n);
    const double d = static_cast<double>(n);
    return Value::Double(d, 0, WholeNumberWidth(d));
  }
  static Value Whole(double d) { return Value::Double(d, 0, WholeNumberWidth(d)); }

  static bool FoldValues(BinOp op, const Value& x, const Value& y, Value& r) {
    if (x.IsString() && y.IsString() && (op == BinOp::Plus || op == BinOp::Minus)) {
      if (x.StringLength() + y.StringLength() > 0x100000) return false;
      r = ApplyBinary(op, x, y);
      return true;
    }
    if (!x.IsNumber() || !y.IsNumber()) return false;
    bool ints = x.IsInteger() && y.IsInteger();
    std::int64_t a = x.AsInt(), b = y.AsInt(), n;
    double da = x.AsDouble(), db = y.AsDouble();
    switch (op) {
      case BinOp::Plus:
        if (ints) r = __builtin_add_overflow(a, b, &n) ? Whole(da + db) : Whole(n);
        else r = Value::Double(da + db, std::max(x.Decimals(), y.Decimals()));
        return true;
      case BinOp::Minus:
        if (ints) r = __builtin_sub_overflow(a, b, &n) ? Whole(da - db) : Whole(n);
        else r = Value::Double(da - db, std::max(x.Decimals(), y.Decimals()));
        return true;
      case BinOp::Mult:
        if (ints) r = __builtin_mul_overflow(a, b, &n) ? Whole(da * db) : Whole(n);
        else r = Value::Double(da * db, x.Decimals() + y.Decimals());
        return true;
      case BinOp::Div:
        if (db == 0.0) return false;
        if (ints && b != -1 && a % b == 0) r = Whole(a / b);
        else r = Value::Double(da / db, 2);
        return true;
      case BinOp::Mod:
        if (!ints || b == 0) return false;
        r = Whole(b == -1 ? 0 : a % b);
        return true;
      default:
        return false;
    }
  }

  // INT() of a number literal, done now as well.
  static bool FoldInt(const std::vector<NodePtr>& args, Value& r) {
    const Value* c = args.size() == 1 && args[0] ? args[0]->Constant() : nullptr;
    if (!c || !c->IsNumber()) return false;
    if (c->IsInteger()) {
      r = *c;
      return true;
    }
    const double t = std::trunc(c->AsDouble());
    if (!std::isfinite(t)) return false;
    r = t >= INT32_MIN && t <= INT32_MAX ? Value::Integer(static_cast<std::int64_t>(t)) : Whole(t);
    return true;
  }

  std::string_view text_;
  Lexer lex_;
  Token tok_;
  Scope* scope_ = nullptr;
  int depth_ = 0;
  bool lastPrimaryWasWholeBlock_ = false;
  bool evalsValue_ = false;
  bool actsUnseen_ = false;
  std::vector<const Symbol*> calls_;
};

}  // namespace

ParseResult Parse(std::string_view text) {
  Parser p(text);
  return p.Run();
}

}  // namespace xb::macro
