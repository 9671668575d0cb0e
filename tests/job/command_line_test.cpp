// Command line of the filter, run as a process: every way the arguments can fail, which
// argument is taken for what ("-pi"/"-rc" take the next argument whatever it is, anything
// else is the one input file), and that nothing reaches standard output when they fail.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/pages.h"
#include "tests/support/process.h"
#include "tests/support/test_printer.h"

namespace velmora::test {
namespace {

constexpr const char* kInvalidOption = "Error: invalid option !!\n";
constexpr const char* kNoPages = "ERROR: No pages found!\n";

struct CommandLineCase {
  const char* label;
  // Arguments; "{rc}" and "{pi}" stand for the test printer's valid rc and paper-info paths.
  // The filter runs in the printer's scratch folder, so other names are relative to it.
  std::vector<std::string> args;
  // Empty files created in that folder before the run.
  std::vector<std::string> files;
  std::string err;
  int status;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
  *os << c.label;
}

std::vector<std::string> Substitute(const std::vector<std::string>& args,
                                    const TestPrinter& printer) {
  std::vector<std::string> out;
  for (const std::string& arg : args) {
    if (arg == "{rc}") {
      out.push_back(printer.rcPath());
    } else if (arg == "{pi}") {
      out.push_back(printer.paperInfoPath());
    } else {
      out.push_back(arg);
    }
  }
  return out;
}

std::string CaseName(const testing::TestParamInfo<CommandLineCase>& param) {
  std::string name;
  for (const char* p = param.param.label; *p != '\0'; ++p) {
    if (std::isalnum(static_cast<unsigned char>(*p)) != 0) name += *p;
  }
  return name + "_" + std::to_string(param.index);
}

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

// Standard input always holds a valid one-page job: a run that reports "No pages found"
// therefore read its pages from a file, never from standard input.
TEST_P(CommandLineTest, FailsWithItsMessageAndStatus) {
  const CommandLineCase& c = GetParam();
  TestPrinter printer;
  for (const std::string& file : c.files)
    WriteFile(printer.dir() + "/" + file, "");
  ProcessOptions options;
  options.args = Substitute(c.args, printer);
  options.input = PpmPage(8, 4, SolidRgb(8, 4, 0, 0, 0));
  options.workingDirectory = printer.dir();
  const ProcessResult result = RunProcess(FilterProgram(), options);
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.exitCode, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(
        CommandLineCase{"no arguments", {}, {}, kInvalidOption, 2},
        CommandLineCase{"only -rc", {"-rc", "{rc}"}, {}, kInvalidOption, 2},
        CommandLineCase{"only -pi", {"-pi", "{pi}"}, {}, kInvalidOption, 2},
        CommandLineCase{"-pi given last", {"-rc", "{rc}", "-pi"}, {}, kInvalidOption, 2},
        CommandLineCase{"-rc given last", {"-pi", "{pi}", "-rc"}, {}, kInvalidOption, 2},
        // "-rc" is the paper-info path, r the input file; then rcPath is absent.
        CommandLineCase{"-pi -rc r, r opens", {"-pi", "-rc", "r"}, {"r"}, kInvalidOption, 2},
        CommandLineCase{"-pi -rc r, r does not open",
                        {"-pi", "-rc", "r"},
                        {},
                        "Error: r :cannot open file !!\n",
                        1},
        // b.ppm does not exist: it is refused as a second name, never opened.
        CommandLineCase{"second input file",
                        {"-pi", "{pi}", "-rc", "{rc}", "a.ppm", "b.ppm"},
                        {"a.ppm"},
                        "Error: b.ppm :invalid option !!\n",
                        2},
        CommandLineCase{"second input file before any option",
                        {"a.ppm", "b.ppm", "-pi", "{pi}"},
                        {"a.ppm"},
                        "Error: b.ppm :invalid option !!\n",
                        2},
        CommandLineCase{"input file opens, an option missing",
                        {"a.ppm", "-pi", "{pi}"},
                        {"a.ppm"},
                        kInvalidOption,
                        2},
        CommandLineCase{"unopenable input before the options",
                        {"missing.ppm", "-pi", "{pi}", "-rc", "{rc}"},
                        {},
                        "Error: missing.ppm :cannot open file !!\n",
                        1},
        CommandLineCase{"unopenable input reported before a missing option",
                        {"missing.ppm"},
                        {},
                        "Error: missing.ppm :cannot open file !!\n",
                        1},
        CommandLineCase{"empty argument",
                        {"", "-pi", "{pi}", "-rc", "{rc}"},
                        {},
                        "Error:  :cannot open file !!\n",
                        1},
        CommandLineCase{"- names a missing file",
                        {"-", "-pi", "{pi}", "-rc", "{rc}"},
                        {},
                        "Error: - :cannot open file !!\n",
                        1},
        CommandLineCase{"- names an existing empty file",
                        {"-pi", "{pi}", "-rc", "{rc}", "-"},
                        {"-"},
                        kNoPages,
                        1},
        CommandLineCase{"-PI is a file name",
                        {"-PI", "{pi}", "-rc", "{rc}"},
                        {},
                        "Error: -PI :cannot open file !!\n",
                        1},
        CommandLineCase{"-pix is a file name",
                        {"-rc", "{rc}", "-pix", "{pi}"},
                        {},
                        "Error: -pix :cannot open file !!\n",
                        1},
        CommandLineCase{"-x is a file name",
                        {"-x", "-rc", "{rc}", "-pi", "{pi}"},
                        {},
                        "Error: -x :cannot open file !!\n",
                        1},
        CommandLineCase{"named empty input file",
                        {"in.ppm", "-rc", "{rc}", "-pi", "{pi}"},
                        {"in.ppm"},
                        kNoPages,
                        1},
        // Which paper-info and rc file were read shows which "-pi"/"-rc" counted.
        CommandLineCase{"later -pi replaces a missing one",
                        {"-pi", "gone.pi", "-pi", "{pi}", "-rc", "{rc}", "in.ppm"},
                        {"in.ppm"},
                        kNoPages,
                        1},
        CommandLineCase{"later missing -pi replaces a valid one",
                        {"-pi", "{pi}", "-rc", "{rc}", "-pi", "gone.pi", "in.ppm"},
                        {"in.ppm"},
                        "Error: gone.pi :cannot open file !!\n",
                        1},
        CommandLineCase{"later missing -rc replaces a valid one",
                        {"-rc", "{rc}", "-pi", "{pi}", "-rc", "gone.rc", "in.ppm"},
                        {"in.ppm"},
                        "Error: gone.rc :cannot open file !!\n",
                        1},
        CommandLineCase{"later -rc replaces a missing one",
                        {"-rc", "gone.rc", "-rc", "{rc}", "-pi", "{pi}", "in.ppm"},
                        {"in.ppm"},
                        kNoPages,
                        1}),
    CaseName);

TEST(CommandLine, ValidOptionsReadTheEmptyStandardInput) {
  TestPrinter printer;
  ProcessOptions options;
  options.args = printer.Args();
  const ProcessResult result = RunProcess(FilterProgram(), options);
  EXPECT_EQ(result.err, kNoPages);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.exitCode, 1);
}

// The same arguments with a page on standard input print it, so the cases above that fail
// with "No pages found" did read their pages from the named file.
TEST(CommandLine, ValidOptionsPrintAPageFromStandardInput) {
  TestPrinter printer;
  ProcessOptions options;
  options.args = {"-pi", printer.paperInfoPath(), "-rc", printer.rcPath()};
  options.input = PpmPage(8, 4, SolidRgb(8, 4, 0, 0, 0));
  const ProcessResult result = RunProcess(FilterProgram(), options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out, "");
  EXPECT_TRUE(result.err.ends_with("INFO: The printer is ready to print.\n")) << result.err;
}

}  // namespace
}  // namespace velmora::test
