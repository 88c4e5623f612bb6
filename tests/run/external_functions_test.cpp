#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "lib/Support_DLL.h"
#include "run/Extension_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

const std::string kLibrary = KESTREL_NATIVE_FIXTURE;

// One argument of a call: its type letter as the fixture names it, the code
// that gives it, and what the fixture makes of it.
struct Argument {
  char letter;
  std::string code;
  double amount;  // the real, or the text's length
  std::string piece;
};

const Argument kReals[] = {{'r', "1.5", 1.5, "1.5"}, {'r', "-2", -2, "-2"},
                           {'r', "40", 40, "40"},    {'r', "0.25", 0.25, "0.25"},
                           {'r', "7", 7, "7"},       {'r', "3", 3, "3"}};
const Argument kTexts[] = {{'t', "\"ab\"", 2, "ab"},
                           {'t', "\"kestrel\"", 7, "kestrel"},
                           {'t', "\"\"", 0, ""},
                           {'t', "\"x y\"", 3, "x y"}};

// A signature of the fixture and the call that exercises it.
struct Signature {
  std::vector<Argument> arguments;

  std::string suffix() const {
    std::string letters;
    for (const Argument& a : arguments) letters += a.letter;
    return letters;
  }
  std::string types() const {
    std::string text;
    for (const Argument& a : arguments) text += a.letter == 't' ? ", ty_string" : ", ty_real";
    return text;
  }
  std::string values() const {
    std::string text;
    for (const Argument& a : arguments) text += ", " + a.code;
    return text;
  }
  double sum() const {
    double total = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) total += (i + 1) * arguments[i].amount;
    return total;
  }
  std::string joined() const {
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i) text += (i ? "," : "") + arguments[i].piece;
    return text;
  }
};

// Every mix of real and text arguments up to 4, then reals alone up to 16.
std::vector<Signature> all_signatures() {
  std::vector<Signature> signatures;
  for (int count = 0; count <= kMaxExternalStringArguments; ++count) {
    for (int mask = 0; mask < (1 << count); ++mask) {
      Signature signature;
      for (int i = 0; i < count; ++i)
        signature.arguments.push_back((mask >> i) & 1 ? kTexts[i] : kReals[i]);
      signatures.push_back(signature);
    }
  }
  for (int count = kMaxExternalStringArguments + 1; count <= kMaxExternalArguments; ++count) {
    Signature signature;
    for (int i = 0; i < count; ++i) signature.arguments.push_back(kReals[i % std::size(kReals)]);
    signatures.push_back(signature);
  }
  return signatures;
}

class ExternalFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runner_.engine.settings.errors.show_errors = false;
    work_ = fs::temp_directory_path() /
            ("kestrel-external-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(work_);
    fs::create_directories(work_);
  }
  void TearDown() override { fs::remove_all(work_); }

  RValue eval(const std::string& expression) { return run_game_code(runner_, expression, true); }
  double real(const std::string& expression) { return eval(expression).real(); }
  // Runs the statements and returns the last line they reported; "" for none.
  std::string reported(const std::string& statements) {
    return last_report_line(runner_, statements);
  }
  std::string define(const std::string& function, const std::string& rest) {
    return "external_define(\"" + kLibrary + "\", \"" + function + "\", dll_cdecl, " + rest + ")";
  }

  GameData game_;
  Runner runner_{game_};
  fs::path work_;
};

TEST_F(ExternalFunctionsTest, EveryAllowedSignatureCallsWithItsArgumentsInOrder) {
  for (const Signature& s : all_signatures()) {
    const std::size_t count = s.arguments.size();
    const std::string n = std::to_string(count);
    SCOPED_TRACE(s.suffix());
    const std::string sum = "sum_" + s.suffix();
    const std::string join = "join_" + s.suffix();
    if (count <= 11) {  // a call takes at most 16 arguments, five of which define
      EXPECT_DOUBLE_EQ(
          real("external_call(" + define(sum, "ty_real, " + n + s.types()) + s.values() + ")"),
          s.sum());
      EXPECT_EQ(
          eval("external_call(" + define(join, "ty_string, " + n + s.types()) + s.values() + ")")
              .str(),
          s.joined());
    }
    if (count <= 8) {  // the numbered forms, defined and called
      const std::string file = "\"" + kLibrary + "\", ";
      const std::string types = count <= 4 ? s.types() : "";
      const std::string form = "external_define" + n + "(" + file;
      EXPECT_DOUBLE_EQ(real("external_call" + n + "(" + form + "\"" + sum + "\"" + types +
                            ", ty_real)" + s.values() + ")"),
                       s.sum());
      EXPECT_EQ(eval("external_call" + n + "(" + form + "\"" + join + "\"" + types +
                     ", ty_string)" + s.values() + ")")
                    .str(),
                s.joined());
    }
    // Extension packages reach every count, up to 16.
    ExternalFunctions& table = runner_.engine.families.get<ExternalFunctions>();
    std::vector<platform::NativeType> types;
    std::vector<RValue> values;
    for (const Argument& a : s.arguments) {
      types.push_back(a.letter == 't' ? platform::NativeType::text : platform::NativeType::real);
      values.push_back(a.letter == 't' ? RValue(std::string_view(a.piece)) : RValue(a.amount));
    }
    const std::int32_t id = table.define(kLibrary, sum, 0, types, platform::NativeType::real);
    ASSERT_GE(id, 0);
    EXPECT_DOUBLE_EQ(table.call(id, values.data(), static_cast<int>(count)).real(), s.sum());
  }
  EXPECT_EQ(runner_.engine.errors.error_last, "");
}

TEST_F(ExternalFunctionsTest, DefinitionErrorsReportTheirMessages) {
  struct Case {
    std::string code;
    double result;
    std::string message;
  };
  const std::string missing = "\"" + (work_ / "nothing.dll").string() + "\"";
  const Case cases[] = {
      {define("sum_rr", "ty_real, 2, ty_real"), 0,
       "Wrong number of arguments to external_define()"},
      {"external_define(\"a\", \"b\", 0, 0)", 0, "Wrong number of arguments to external_define()"},
      {define("sum_rrrrr", "ty_real, 5, ty_real, ty_real, ty_string, ty_real, ty_real"), 0,
       "DLL functions with more than 4 arguments cannot have string arguments"},
      {define("no_such_function", "ty_real, 0"), -1, "Error defining an external function."},
      {"external_define(" + missing + ", \"sum_\", dll_cdecl, ty_real, 0)", -1,
       "Error defining an external function."},
      {"external_define0(" + missing + ", \"sum_\", ty_real)", -1,
       "Error defining an external function."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(reported("global.result = " + c.code + ";"), c.message);
    EXPECT_EQ(real("global.result"), c.result);
  }
  EXPECT_EQ(runner_.engine.families.get<ExternalFunctions>().size(), 0);
}

TEST_F(ExternalFunctionsTest, SecureModeOnlyReports) {
  runner_.engine.settings.secure_mode = true;
  const std::string calls[] = {define("sum_", "ty_real, 0"),
                               "external_define0(\"" + kLibrary + "\", \"sum_\", ty_real)",
                               "external_define5(\"" + kLibrary + "\", \"sum_rrrrr\", ty_real)",
                               "external_call(0)",
                               "external_call2(0, 1, 2)",
                               "external_free(\"" + kLibrary + "\")"};
  for (const std::string& call : calls) {
    SCOPED_TRACE(call);
    EXPECT_EQ(reported("global.result = " + call + ";"), "In secure mode you cannot use DLLs");
    EXPECT_EQ(real("global.result"), 0);
  }
  EXPECT_EQ(runner_.engine.families.get<ExternalFunctions>().size(), 0);
}

TEST_F(ExternalFunctionsTest, FreeingSilencesEveryEntryOfTheLibraryUntilItIsDefinedAgain) {
  run_game_code(runner_,
                "global.a = " + define("sum_rr", "ty_real, 2, ty_real, ty_real") +
                    "; global.b = " + define("sum_rr", "ty_real, 2, ty_real, ty_real") + ";",
                false);
  EXPECT_NE(real("global.a"), real("global.b"));
  EXPECT_EQ(real("external_call(global.a, 1, 2) + external_call(global.b, 3, 4)"), 5 + 11);
  // A wrong count or id calls nothing and reports nothing.
  EXPECT_EQ(reported("global.r = external_call(global.a, 1, 2, 3) + external_call(99, 1);"), "");
  EXPECT_EQ(real("global.r"), 0);

  // The library's name is compared without regard to case.
  std::string upper = kLibrary;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(reported("external_free(\"" + upper +
                     "\"); global.r = external_call(global.a, 1, 2) + "
                     "external_call(global.b, 1, 2);"),
            "");
  EXPECT_EQ(real("global.r"), 0);
  EXPECT_EQ(real("external_call(" + define("sum_rr", "ty_real, 2, ty_real, ty_real") + ", 1, 2)"),
            5);
  EXPECT_EQ(real("external_call(global.a, 1, 2)"), 0);
}

TEST_F(ExternalFunctionsTest, LibraryAnsweringNoTextGivesTheEmptyString) {
  const RValue value = eval("external_call(" + define("no_text", "ty_string, 0") + ")");
  EXPECT_TRUE(value.is_string());
  EXPECT_EQ(value.str(), "");
}

TEST_F(ExternalFunctionsTest, WindowsLibraryNamesFindSharedObjectsInTheirPlaces) {
  fs::create_directories(work_ / "beside");
  fs::create_directories(work_ / "given");
  fs::copy_file(kLibrary, work_ / "beside" / "libkfix.so");
  fs::copy_file(kLibrary, work_ / "given" / "kfix.so");
  runner_.engine.families.get<ExternalFunctions>().set_library_folders({work_ / "beside"});
  const std::string names[] = {"kfix.dll", "KFIX.DLL", (work_ / "given" / "kfix.Dll").string()};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(real("external_call(external_define(\"" + name +
                   "\", \"sum_r\", dll_stdcall, ty_real, 1, ty_real), 4)"),
              4);
    run_game_code(runner_, "external_free(\"" + name + "\")", false);
  }
  EXPECT_EQ(reported("external_define(\"other.dll\", \"sum_\", 0, ty_real, 0);"),
            "Error defining an external function.");
}

// A library file of an extension package, written to the package's folder,
// answers for the package's functions.
TEST(ExtensionLibraries, PackageFunctionsCallTheirLibrary) {
  std::ifstream in(kLibrary, std::ios::binary);
  Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  CExtensionFunction join;
  join.name = "fix_join";
  join.external_name = "join_rt";
  join.calling_convention = 12;
  join.id = 0;
  join.argument_count = 2;
  join.argument_types[1] = 1;
  join.result_type = 1;
  CExtensionFunction missing = join;
  missing.name = "fix_missing";
  missing.external_name = "not_exported";
  missing.id = 1;
  CExtensionFile file;
  file.file_name = "libfixture.so";
  file.kind = 1;
  file.data = bytes;
  file.functions = {join, missing};
  CExtensionPackage package;
  package.name = "Fixture";
  package.folder_name = "fixture";
  package.files = {file};
  GameData game;
  game.extension_packages = {package};

  TempDirectoryPlaces places;
  places.system_temp = fs::temp_directory_path();
  const TempDirectory temp = TempDirectory::Create(places);
  ASSERT_TRUE(ExportExtensionFiles(game.extension_packages, temp.path()));
  Runner runner(game, temp);
  runner.engine.settings.errors.show_errors = false;
  ASSERT_TRUE(prepare_extension_packages(runner));
  EXPECT_EQ(run_game_code(runner, "fix_join(2.5, \"ok\")", true).str(), "2.5,ok");
  // A function that is not in the library gives 0 and reports nothing.
  EXPECT_EQ(run_game_code(runner, "fix_missing(1, \"a\")", true).real(), 0);
  EXPECT_EQ(runner.engine.errors.error_last, "");

  // In secure mode the call fails as an error of the running code.
  runner.engine.settings.secure_mode = true;
  run_game_code(runner, "fix_join(2.5, \"ok\")", true);
  EXPECT_NE(runner.engine.errors.last_text.find(kSecureExtensionMessage), std::string::npos);
}

}  // namespace
}  // namespace kestrel
