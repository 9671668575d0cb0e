// The reporter's texts for every code, with and without a name.
#include "job/error_report.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

struct ReportCase {
  unsigned code;
  const char* name;
  const char* expected;
};

void PrintTo(const ReportCase& c, std::ostream* os) {
  *os << "code " << c.code << " name " << (c.name != nullptr ? c.name : "(none)");
}

class ReportErrorTest : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportErrorTest, PrintsItsLineAndReturnsTheCode) {
  const ReportCase& c = GetParam();
  testing::internal::CaptureStderr();
  const unsigned result = ReportError(c.code, c.name);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected);
  EXPECT_EQ(result, c.code);
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, ReportErrorTest,
    testing::Values(ReportCase{1, "a.ppm", "Error: a.ppm :cannot open file !!\n"},
                    ReportCase{1, nullptr, "Error: cannot open file !!\n"},
                    ReportCase{1, "", "Error:  :cannot open file !!\n"},
                    ReportCase{2, "b.ppm", "Error: b.ppm :invalid option !!\n"},
                    ReportCase{2, nullptr, "Error: invalid option !!\n"},
                    ReportCase{3, "x", "Error: exception handling !!\n"},
                    ReportCase{4, nullptr, "Error: section not found !!\n"},
                    ReportCase{5, "ColorLaser1", "Error: invalid printer name at rc-file !!\n"},
                    ReportCase{6, "A4", "Error: A4 :invalid format found in paperinf !!\n"},
                    ReportCase{7, "A4", "Error: A4: paper info not found in paperinf !!\n"},
                    ReportCase{8, "M1", "Error: M1: this model is not supported !!\n"},
                    ReportCase{9, "x", "Error: memory allocation failed !!\n"},
                    ReportCase{10, "x", "Error: error occurred at print phase !!\n"},
                    ReportCase{11, "Duplex", "Error: Duplex :prohibited item is selected !!\n"},
                    ReportCase{11, nullptr, "Error: prohibited item is selected !!\n"},
                    ReportCase{12, "Copies", "Error: Copies :out of setting range !!\n"},
                    ReportCase{12, nullptr, "Error: out of setting range !!\n"},
                    ReportCase{13, "A4", ""}, ReportCase{14, "A4", ""}, ReportCase{0, "x", ""},
                    ReportCase{99, nullptr, ""}, ReportCase{static_cast<unsigned>(-1), "x", ""}));

TEST(ReportError, TypedCodesReturnTheirExitStatus) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(Report(ErrorCode::kPaperDimensionFormat, "A4"), 14);
  EXPECT_EQ(Report(ErrorCode::kInvalidOption), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: invalid option !!\n");
}

}  // namespace
}  // namespace velmora
