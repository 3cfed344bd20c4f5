#include "runtime/macro.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/test_env.h"
#include "runtime/xbeval/result_format.h"

namespace xb {
namespace {

class MacroTest : public testing::RuntimeTest {};

struct Line {
  const char* expr;
  const char* result;  // "TYPE\tVALUE" as xbeval prints it
};

void ExpectLines(std::initializer_list<Line> lines) {
  for (const Line& l : lines) EXPECT_EQ(xbeval::EvaluateLine(l.expr), l.result) << l.expr;
}

TEST_F(MacroTest, LiteralsOperatorsAndPrecedence) {
  ExpectLines({
      {"1 + 2 * 3", "N\t7 STR=\"         7\""},
      {"(1 + 2) * 3", "N\t9 STR=\"         9\""},
      {"10 / 4", "N\t2.50 STR=\"         2.50\""},
      {"-2 ^ 2", "N\t4.00 STR=\"         4.00\""},
      {"2 ** 3 ** 2", "N\t64.00 STR=\"        64.00\""},
      {"\"a\" + 'b' + [c]", "C\t\"abc\" len=3"},
      {".T. .AND. .F. .OR. .T.", "L\t.T."},
      {".NOT. 1 == 2", "L\t.T."},
      {"! .T.", "L\t.F."},
      {"1 != 2 .AND. 1 <> 2 .AND. !(1 # 1)", "L\t.T."},
      {"\"bc\" $ \"abcd\"", "L\t.T."},
      {"NIL", "U\tNIL"},
      {"0d20240229 + 1", "D\t\"20240301\""},
      {"{1, , \"x\"}", "A\t{N:1 STR=\"         1\", U:NIL, C:\"x\" len=1}"},
      {"{}", "A\t{}"},
      {"{{1, 2}, {3, 4}}[2, 1]", "N\t3 STR=\"         3\""},
      {"(1, 2, 3)", "N\t3 STR=\"         3\""},
      {"1 + 2, \"last\"", "C\t\"last\" len=4"},
  });
}

TEST_F(MacroTest, VariablesPersistAndAssignmentsWork) {
  ExpectLines({
      {"x := 5", "N\t5 STR=\"         5\""},
      {"x * 2", "N\t10 STR=\"        10\""},
      {"M->x + MEMVAR->x", "N\t10 STR=\"        10\""},
      {"x += 1, x", "N\t6 STR=\"         6\""},
      {"x++", "N\t6 STR=\"         6\""},
      {"++x", "N\t8 STR=\"         8\""},
      {"x--, --x", "N\t6 STR=\"         6\""},
      {"s := \"ab\", s += \"c\"", "C\t\"abc\" len=3"},
      {"a := {1, 2}, a[2] := 9, a", "A\t{N:1 STR=\"         1\", N:9 STR=\"         9\"}"},
      {"a[1] += 10", "N\t11 STR=\"        11\""},
      {"c := \"x * 3\", &c", "N\t18 STR=\"        18\""},
      {"&(\"x\") + 1", "N\t7 STR=\"         7\""},
      {"n := \"x\", &n := 1, x", "N\t1 STR=\"         1\""},
  });
}

TEST_F(MacroTest, BlocksParametersCapturesAndReferences) {
  RegisterFunction("T_SETREF", [](Args& a) -> Value {
    a.SetRef(1, Value::String("set"));
    return Value();
  });
  ExpectLines({
      {"Eval({|a, b| a + b}, 1, 2)", "N\t3 STR=\"         3\""},
      {"Eval({|a| a := a + 1, a * 10}, 1)", "N\t20 STR=\"        20\""},
      {"Eval({|n| Eval({|m| n + m}, 10)}, 5)", "N\t15 STR=\"        15\""},
      {"Eval({|n| b := {|| n := n + 1}, Eval(b), Eval(b), n}, 1)", "N\t3 STR=\"         3\""},
      {"Eval({|a, b| PCount()}, 1)", "N\t1 STR=\"         1\""},
      {"Eval({|a| a}, , 2)", "U\tNIL"},
      {"Eval({|| })", "U\tNIL"},
      {"r := 1, Eval({|p| p := 5}, @r), r", "N\t5 STR=\"         5\""},
      {"T_SETREF(@q), q", "C\t\"set\" len=3"},
      {"Eval({|p| T_SETREF(@p), p}, 1)", "C\t\"set\" len=3"},
      {"{|a, b| a + b}:Eval(1, 2)", "N\t3 STR=\"         3\""},
      {"r := 1, {|p| p := 7}:Eval(@r), r", "N\t7 STR=\"         7\""},
      {"{|x| x + 1}", "B\t<codeblock>"},
      {"ValType({|| 1})", "C\t\"B\" len=1"},
      {"Len({1, 2, 3}) + Len(\"ab\")", "N\t5 STR=\"         5\""},
  });
}

// ** and ^ group left to right; a unary minus binds tighter than either.
TEST_F(MacroTest, PowerGroupsLeftToRight) {
  SetMemvar(Intern("nTwo"), Value::Integer(2));
  ExpectLines({
      {"2 ** 3 ** 2", "N\t64.00 STR=\"        64.00\""},
      {"2 ^ 3 ^ 2", "N\t64.00 STR=\"        64.00\""},
      {"2 ** 3 ^ 2", "N\t64.00 STR=\"        64.00\""},
      {"nTwo ^ 2 ^ 3", "N\t64.00 STR=\"        64.00\""},
      {"2 ^ (3 ^ 2)", "N\t512.00 STR=\"       512.00\""},
      {"-2 ** 2 ** 3", "N\t64.00 STR=\"        64.00\""},
      {"2 ** -1 ** 2", "N\t0.25 STR=\"         0.25\""},
      {"2 * 3 ** 2", "N\t18.00 STR=\"        18.00\""},
      {"nTwo ^= 3, nTwo ^ 2", "N\t64.00 STR=\"        64.00\""},
  });
}

// .AND. and .OR. jump on their left operand: one that is not logical is the conditional's
// error; the right operand is the value whatever its type.
TEST_F(MacroTest, LogicalOperatorsJumpOnTheirLeftOperand) {
  ExpectLines({
      {"5 .AND. .T.", "ERR\tERROR: BASE/1066 Argument error conditional"},
      {"'x' .OR. .F.", "ERR\tERROR: BASE/1066 Argument error conditional"},
      {"NIL .AND. NoSuchFn()", "ERR\tERROR: BASE/1066 Argument error conditional"},
      {".T. .AND. 5", "N\t5 STR=\"         5\""},
      {".F. .OR. 'x'", "C\t\"x\" len=1"},
      {".F. .AND. NoSuchFn()", "L\t.F."},
      {".T. .OR. NoSuchFn()", "L\t.T."},
      {".T. .AND. 5 .AND. .T.", "ERR\tERROR: BASE/1066 Argument error conditional"},
      {".NOT. 5", "ERR\tERROR: BASE/1077 Argument error .NOT."},
  });
  // An error block that goes on: .AND. gives the left operand, .OR. the right one.
  ErrorBlockScope scope(Value(Block::Native([](Args&) { return Value::Logical(false); })));
  EXPECT_EQ(EvalMacro("5 .AND. .T.").AsInt(), 5);
  EXPECT_EQ(EvalMacro("5 .OR. 'y'").AsString(), "y");
}

TEST_F(MacroTest, IifEvaluatesOneBranch) {
  ExpectLines({
      {"IIf(.T., \"si\", NoSuchVariable)", "C\t\"si\" len=2"},
      {"If(1 > 2, NoSuchFunction(), 3)", "N\t3 STR=\"         3\""},
      {"IIf(.F., 1)", "U\tNIL"},
      {"IIf(1, 2, 3)", "ERR\tERROR: BASE/1066 Argument error conditional"},
  });
}

TEST_F(MacroTest, ErrorsBecomeErrorObjects) {
  ExpectLines({
      {"1 / 0", "ERR\tERROR: BASE/1340 Zero divisor /"},
      {"{1}[3]", "ERR\tERROR: BASE/1132 Bound error array access"},
      {"{1}[1] := 2, 5[1]", "ERR\tERROR: BASE/1068 Argument error array access"},
      {"NoFunc(1)", "ERR\tERROR: BASE/1001 Undefined function NOFUNC"},
      {"1 +", "ERR\tERROR: BASE/1449 Syntax error &"},
      {"(3):Foo", "ERR\tERROR: BASE/1004 Message not found N:FOO"},
      {"{|| 1}:Foo()", "ERR\tERROR: BASE/1004 Message not found B:FOO"},
      {"Eval(3)", "ERR\tERROR: BASE/1004 No exported method EVAL"},
      {"&(5)", "ERR\tERROR: BASE/1065 Argument error &"},
      {"1 .AND. .T.", "ERR\tERROR: BASE/1066 Argument error conditional"},
      {"r := {|b| Eval(b, b)}, Eval(r, r)", "ERR\tERROR: BASE/1210 Recursion too deep (B)"},
      {"m := \"&m\", &m", "ERR\tERROR: BASE/1210 Recursion too deep (B)"},
  });
}

TEST_F(MacroTest, TypeAnswersWithoutRunningTheErrorBlock) {
  RegisterFunction("T_UDF", [](Args&) { return Value::Integer(1); });
  SetMemvar(Intern("cText"), Value::String("abc"));
  SetMemvar(Intern("bAny"), Value(Block::Native([](Args&) { return Value::Integer(1); })));
  testing::RecordingErrorBlock block{Value()};
  struct Case {
    const char* text;
    const char* type;
  } cases[] = {
      {"1 + 1", "N"},       {"cText", "C"},         {"NoSuchVar", "U"},     {"1 +", "UE"},
      {"'a' + 1", "UE"},    {"{|| NoSuch()}", "B"}, {"T_UDF()", "UI"},      {"NoSuchFn()", "U"},
      {"Len(cText)", "N"},  {"NoAlias->cX", "U"},   {"{1}", "A"},
      {"0d20240101", "D"},  {"NIL", "U"},           {"", "UE"},
      // Built-in functions run, EVAL of a block written in the text too; a block held
      // elsewhere, or a function of the program inside a block, may do anything.
      {"Eval({|| 1})", "N"},
      {"Eval({|x| SubStr(x, 2)}, cText)", "C"},
      {"Eval({|| Len(cText) > 2})", "L"},
      {"Eval({|| T_UDF()})", "UI"},
      {"Eval(bAny)", "UI"},
      {"Eval({|| NoSuchFn()})", "U"},
      {"SubStr(cText, 2) + Upper(cText)", "C"},
      {"Str(Len(cText))", "C"},
  };
  for (const Case& c : cases) EXPECT_EQ(TypeOf(c.text), c.type) << c.text;
  EXPECT_EQ(block.count, 0);
  EXPECT_EQ(xbeval::EvaluateLine("Type(\"1 + 1\")"), "C\t\"N\" len=1");
}

TEST_F(MacroTest, SyntaxCheckReportsWithoutRunning) {
  SetMemvar(Intern("nRuns"), Value::Integer(0));
  EXPECT_FALSE(CheckSyntax("nRuns := nRuns + 1"));
  EXPECT_EQ(GetMemvar(Intern("nRuns")).AsInt(), 0);
  const char* bad[] = {"1 +",     "(1",          "{1,",   "a :=", "1 := 2",      "IIf(1)", "f(",
                       "'abc",    "{|a, a| a}",  ".X.",   "",     "a->",         "@x",     "1 2",
                       "Self:x",  "{|a| a",      "a[1",   "x:",   "5abc",        "&"};
  for (const char* t : bad) EXPECT_TRUE(CheckSyntax(t)) << t;
  auto e = CheckSyntax("1 + )");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->position, 4u);
  // Deep nesting is refused instead of exhausting the stack.
  std::string deep(5000, '(');
  EXPECT_TRUE(CheckSyntax(deep + "1" + std::string(5000, ')')));
}

TEST_F(MacroTest, CompiledBlocksAndCalledFunctions) {
  Block b = CompileBlock("nA * 2");
  SetMemvar(Intern("nA"), Value::Integer(4));
  EXPECT_EQ(b.Eval().AsInt(), 8);
  SetMemvar(Intern("nA"), Value::Integer(5));
  EXPECT_EQ(b.Eval().AsInt(), 10);
  Block m = MacroBlock("  {|c, n| c + Str(n)}  ");
  EXPECT_EQ(m.Source(), "{|c, n| c + Str(n)}");
  Block plain = MacroBlock("nA + 1");
  EXPECT_EQ(plain.Eval().AsInt(), 6);
  EXPECT_EQ(CalledFunctions("Upper(a) + Str(Len(b)) + Upper(c)"), (std::vector<std::string>{"UPPER", "STR", "LEN"}));
  EXPECT_TRUE(CalledFunctions("1 +").empty());
  constexpr std::string_view kUpperOnly[] = {"UPPER"};
  EXPECT_TRUE(CallsOnly("Upper(a) + b + 'Len(c)'", kUpperOnly));
  EXPECT_FALSE(CallsOnly("Upper(Len(a))", kUpperOnly));
  for (const char* unseen : {"&a", "&(a)", "o:b", "a := 1", "a += 1", "a++", "--a", "Upper(a +"})
    EXPECT_FALSE(CallsOnly(unseen, kUpperOnly)) << unseen;
  SyntaxError err;
  EXPECT_FALSE(TryCompileBlock("a +", &err));
  EXPECT_FALSE(err.message.empty());
  // A syntax error through the raising form gives a block returning the substitute.
  testing::RecordingErrorBlock block(Value::String("sub"));
  EXPECT_EQ(CompileBlock("a +").Eval().AsString(), "sub");
  EXPECT_EQ(block.error()->subCode, 1449);
}

// Two work areas held in memory, as the table engine will present them.
class FakeAreas : public WorkAreaHost {
 public:
  struct Area {
    std::string alias;
    std::map<std::string, Value> fields;
    std::uint64_t stamp = 1;
  };
  std::map<int, Area> areas;
  int current = 1;
  int fieldLookups = 0;

  int CurrentArea() override { return current; }
  int SelectArea(int a) override { return std::exchange(current, a); }
  int AreaOfAlias(std::string_view alias) override {
    for (auto& [n, a] : areas)
      if (a.alias == alias) return n;
    return 0;
  }
  int FieldPos(int area, std::string_view name) override {
    ++fieldLookups;
    auto it = areas.find(area);
    if (it == areas.end()) return 0;
    int pos = 1;
    for (auto& [k, v] : it->second.fields) {
      if (k == name) return pos;
      ++pos;
    }
    return 0;
  }
  std::uint64_t AreaStamp(int area) override { return areas.count(area) ? areas[area].stamp : 0; }
  Value& At(int area, int pos) {
    auto it = areas[area].fields.begin();
    std::advance(it, pos - 1);
    return it->second;
  }
  Value GetField(int area, int pos) override { return At(area, pos); }
  void PutField(int area, int pos, const Value& v) override { At(area, pos) = v; }
};

class MacroFieldTest : public MacroTest {
 protected:
  void SetUp() override {
    MacroTest::SetUp();
    host.areas[1] = {"CLIENTES", {{"CCODCLI", Value::String("001")}, {"NRIESGO", Value::Integer(10)}}};
    host.areas[2] = {"FACTURAS", {{"NNUMFAC", Value::Integer(7)}, {"CSERIE", Value::String("A")}}};
    SetWorkAreaHost(&host);
  }
  FakeAreas host;
};

TEST_F(MacroFieldTest, NamesAreFieldsOfTheCurrentAreaThenVariables) {
  ExpectLines({
      {"cCodCli", "C\t\"001\" len=3"},
      {"Facturas->nNumFac", "N\t7 STR=\"         7\""},
      {"FACTURAS->(cSerie + cSerie)", "C\t\"AA\" len=2"},
      {"FACTURAS->(cSerie + cCodCli)", "ERR\tERROR: BASE/1003 Variable does not exist CCODCLI"},
      {"Facturas->(nNumFac * 2)", "N\t14 STR=\"        14\""},
      {"2->cSerie + (1)->cCodCli", "C\t\"A001\" len=4"},
      {"nRiesgo := 20", "N\t20 STR=\"        20\""},
      {"FIELD->nRiesgo", "N\t20 STR=\"        20\""},
      {"M->nRiesgo", "ERR\tERROR: BASE/1003 Variable does not exist NRIESGO"},
      {"Clientes->nRiesgo := 30", "N\t30 STR=\"        30\""},
      {"NoAlias->cX", "ERR\tERROR: BASE/1002 Alias does not exist NOALIAS"},
      {"nOther := 1", "N\t1 STR=\"         1\""},
      {"M->nOther", "N\t1 STR=\"         1\""},
  });
  EXPECT_EQ(host.current, 1);  // alias->( expr ) selected the area back, even after an error
  EXPECT_EQ(host.areas[1].fields["NRIESGO"].AsInt(), 30);
  EXPECT_FALSE(FindMemvar(Intern("NRIESGO")));
}

TEST_F(MacroFieldTest, CompiledKeysResolveFieldsOncePerTable) {
  Block key = CompileBlock("cCodCli + cCodCli");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(key.Eval().AsString(), "001001");
  EXPECT_EQ(host.fieldLookups, 2);  // one per name node
  host.areas[1].fields = {{"XFILL", Value()}, {"CCODCLI", Value::String("002")}};
  ++host.areas[1].stamp;  // another table in the area
  EXPECT_EQ(key.Eval().AsString(), "002002");
  EXPECT_EQ(host.fieldLookups, 4);
}

// What an evaluation gives and raises, for comparing two ways of evaluating.
struct Outcome {
  std::string value;
  std::vector<std::string> errors;
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  os << o.value;
  for (const std::string& e : o.errors) os << " | " << e;
  return os;
}

template <class Evaluate>
Outcome Observe(Evaluate evaluate) {
  Outcome o;
  ErrorBlockScope scope(Value(Block::Native([&o](Args& a) {
    auto* e = static_cast<Error*>(a.Arg(1).AsObject().get());
    o.errors.push_back(std::to_string(e->subCode) + " " + e->operation + " " + xbeval::FormatValue(e->args));
    return Value::String("sub");
  })));
  try {
    o.value = xbeval::FormatValue(evaluate());
  } catch (const UnhandledError& e) {
    o.value = std::string("thrown: ") + e.what();
  }
  return o;
}

TEST_F(MacroFieldTest, StringsBuiltInOneBufferAreWhatEvaluationGives) {
  host.areas[1].fields["CNOMBRE"] = Value::String("José Núñez   ");
  host.areas[1].fields["CMEMO"] = Value::Memo("nota");
  host.areas[1].fields["DFECHA"] = Value::FromDate(Date::FromDtos("20240229"));
  host.areas[1].fields["LACTIVO"] = Value::Logical(true);
  SetMemvar(Intern("cVar"), Value::String("var"));
  const char* const expressions[] = {
      "cCodCli", "cCodCli + cNombre + cCodCli", "Upper(cNombre) + cCodCli", "Lower(cNombre)",
      "Trim(cNombre) + '|'", "RTrim(cNombre) + LTrim('  x ') + AllTrim('  y  ')", "Str(nRiesgo, 5) + cCodCli",
      "Str(nRiesgo)", "Str(12.345, 8, 2) + Str(-1.5, 4, 1)", "Str('x') + cCodCli", "DToS(dFecha) + cCodCli",
      "DToS(cCodCli)", "If(lActivo, '1', '0') + cCodCli", "IIf(nRiesgo, 'a', 'b')", "IIf(.F., 'a')", "cMemo",
      "cMemo + cCodCli", "cCodCli + cMemo", "Upper(cMemo)", "cCodCli + nRiesgo", "nRiesgo + cCodCli",
      "nRiesgo + 1", "cCodCli - 'x'", "Facturas->cSerie + cCodCli", "FIELD->cCodCli + 'x'", "NoAlias->cX + 'a'",
      "cNoSuch + 'a'", "M->cVar + cCodCli", "cVar + cCodCli", "Upper(@cVar)", "Upper(cCodCli, 2)", "Upper()",
      "NoFunc(cCodCli)", "'a' + 'b', cCodCli", "Eval({|c| c + cCodCli}, 'z')", "1", "dFecha", "NIL",
  };
  for (const char* text : expressions) {
    Block b = CompileBlock(text);
    const Outcome evaluated = Observe([&] { return b.Eval(); });
    const Outcome built = Observe([&] {
      std::string out = "pre";
      Value other;
      if (b.EvalString(out, other)) return Value::String(std::string_view(out).substr(3));
      EXPECT_EQ(out, "pre") << text;
      return other;
    });
    EXPECT_EQ(built, evaluated) << text;
  }
  // The length limit of + and a function registered again after compiling.
  Block join = CompileBlock("cCodCli + Upper(cCodCli)");
  const std::size_t limit = SetMaxStringLength(5);
  testing::RecordingErrorBlock block(Value::String("sub"));
  std::string out;
  Value other;
  EXPECT_TRUE(join.EvalString(out, other));
  EXPECT_EQ(out, "sub");
  ASSERT_EQ(block.count, 1);
  EXPECT_EQ(block.error()->subCode, 1209);
  SetMaxStringLength(limit);
  RegisterFunction("UPPER", [](Args&) { return Value::String("mine"); });
  out.clear();
  EXPECT_TRUE(join.EvalString(out, other));
  EXPECT_EQ(out, "001mine");
}

}  // namespace
}  // namespace xb
