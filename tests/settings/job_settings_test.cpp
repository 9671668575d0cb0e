// Job settings: LoadJobSettings turns the rc file (through the process's option table) and the
// paper files into the JobSettings record. Covers the default record, which rc option lands in
// which field, the options without a field, bytesPerLine, and the order of the steps as seen
// through which failure is reported and which fields are already set when a step fails.
#include "settings/job_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "src_header/kxfiletool.h"
#include "tests/support/test_printer.h"

namespace velmora {
namespace {

using test::PaperSize;
using test::TestPrinter;
using test::WriteFile;

struct Field {
  const char* name;
  std::int16_t JobSettings::*member;
};

const std::vector<Field> kFields = {
    {"mediaType", &JobSettings::mediaType},
    {"resolution", &JobSettings::resolution},
    {"paperSize", &JobSettings::paperSize},
    {"paperWidth", &JobSettings::paperWidth},
    {"paperHeight", &JobSettings::paperHeight},
    {"pixelWidth", &JobSettings::pixelWidth},
    {"pixelHeight", &JobSettings::pixelHeight},
    {"inputSlot", &JobSettings::inputSlot},
    {"copies", &JobSettings::copies},
    {"colorMode", &JobSettings::colorMode},
    {"collate", &JobSettings::collate},
    {"colorMatching", &JobSettings::colorMatching},
    {"enhanceBlackPrint", &JobSettings::enhanceBlackPrint},
    {"improveOutput", &JobSettings::improveOutput},
    {"brightness", &JobSettings::brightness},
    {"contrast", &JobSettings::contrast},
    {"redKey", &JobSettings::redKey},
    {"greenKey", &JobSettings::greenKey},
    {"blueKey", &JobSettings::blueKey},
    {"duplex", &JobSettings::duplex},
    {"tonerSave", &JobSettings::tonerSave},
    {"gray", &JobSettings::gray},
};

void ExpectRecord(const JobSettings& got, const JobSettings& want) {
  EXPECT_EQ(got.input, want.input);
  EXPECT_EQ(got.paperInfoPath, want.paperInfoPath);
  EXPECT_EQ(got.rcPath, want.rcPath);
  EXPECT_EQ(got.bytesPerLine, want.bytesPerLine);
  for (const Field& field : kFields) {
    EXPECT_EQ(got.*field.member, want.*field.member) << field.name;
  }
}

// Paper records of the test printers, with distinct numbers for every size.
const PaperSize kA4{"A4", 100, 60, 595, 842};
const PaperSize kLetter{"Letter", 90, 70, 612, 792};

class JobSettingsTest : public testing::Test {
 protected:
  void SetUp() override { gRcInfo = kDefaultRcInfo; }
  void TearDown() override { gRcInfo = kDefaultRcInfo; }

  // A zero-filled record as the command line leaves it for `printer`.
  static JobSettings CommandLine(const TestPrinter& printer) {
    JobSettings settings = {};
    settings.input = stdin;
    settings.paperInfoPath = printer.paperInfoPath().c_str();
    settings.rcPath = printer.rcPath().c_str();
    return settings;
  }

  // The record that an rc file holding only its header gives with the A4 paper above.
  static JobSettings DefaultRecord(const TestPrinter& printer) {
    JobSettings want = CommandLine(printer);
    want.mediaType = 0;
    want.resolution = 2;
    want.paperSize = 9;
    want.paperWidth = 595;
    want.paperHeight = 842;
    want.pixelWidth = 100;
    want.pixelHeight = 60;
    want.bytesPerLine = 300;
    want.inputSlot = 0;
    want.copies = 1;
    want.colorMode = 2;
    want.collate = 0;
    want.colorMatching = 3;
    return want;  // every other field 0
  }

  int Load(JobSettings* settings) {
    testing::internal::CaptureStderr();
    const int code = LoadJobSettings(settings);
    err_ = testing::internal::GetCapturedStderr();
    return code;
  }

  std::string err_;
};

TEST_F(JobSettingsTest, HeaderOnlyRcGivesTheDefaultRecord) {
  TestPrinter printer({}, {kA4, kLetter});
  JobSettings settings = CommandLine(printer);
  ASSERT_EQ(Load(&settings), 0);
  EXPECT_EQ(err_, "");
  ExpectRecord(settings, DefaultRecord(printer));
  EXPECT_EQ(std::string(gRcInfo.szPrinterName), printer.name());
}

// Each option changes its own field and nothing else; the options without a field change
// nothing in the record.
TEST_F(JobSettingsTest, EachOptionReachesItsField) {
  struct Case {
    const char* line;
    std::int16_t JobSettings::*member;  // nullptr: no field changes
    std::int16_t value;
  };
  const Case cases[] = {
      {"MediaType=Recycled", &JobSettings::mediaType, 5},
      {"KXResolution=Normal", &JobSettings::resolution, 1},
      {"InputSlot=Tray3", &JobSettings::inputSlot, 3},
      {"Copies=4", &JobSettings::copies, 4},
      {"KXMonoColor=Mono", &JobSettings::colorMode, 0},
      {"Collate=ON", &JobSettings::collate, 1},
      {"KXColorMatching=Vivid", &JobSettings::colorMatching, 2},
      {"KXGray=ON", &JobSettings::gray, 1},
      {"KXEnhanceBlkPrt=ON", &JobSettings::enhanceBlackPrint, 1},
      {"TonerSaveMode=ON", &JobSettings::tonerSave, 1},
      {"KXImproveOutput=KXLessPaperCurl", &JobSettings::improveOutput, 1},
      {"Brightness=-3", &JobSettings::brightness, -3},
      {"Contrast=5", &JobSettings::contrast, 5},
      {"RedKey=6", &JobSettings::redKey, 6},
      {"GreenKey=-7", &JobSettings::greenKey, -7},
      {"BlueKey=8", &JobSettings::blueKey, 8},
      {"KXDuplex=DuplexTumble", &JobSettings::duplex, 1},
      {"Language=other", nullptr, 0},
      {"Saturation=9", nullptr, 0},
      {"KXReverse=ON", nullptr, 0},
      {"KXSkipBlank=ON", nullptr, 0},
  };
  TestPrinter printer({}, {kA4});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    gRcInfo = kDefaultRcInfo;
    printer.SetRc({c.line});
    JobSettings settings = CommandLine(printer);
    ASSERT_EQ(Load(&settings), 0);
    JobSettings want = DefaultRecord(printer);
    if (c.member != nullptr) want.*c.member = c.value;
    ExpectRecord(settings, want);
  }
}

TEST_F(JobSettingsTest, PageSizeSelectsItsPaperRecords) {
  TestPrinter printer({"PageSize=Letter"}, {kA4, kLetter});
  JobSettings settings = CommandLine(printer);
  ASSERT_EQ(Load(&settings), 0);
  EXPECT_EQ(settings.paperSize, 1);
  EXPECT_EQ(settings.pixelWidth, 90);
  EXPECT_EQ(settings.pixelHeight, 70);
  EXPECT_EQ(settings.paperWidth, 612);
  EXPECT_EQ(settings.paperHeight, 792);
  EXPECT_EQ(settings.bytesPerLine, 270);
}

TEST_F(JobSettingsTest, BytesPerLineIsThreeTimesTheWidthInThirtyTwoBits) {
  for (const int width : {0, 1, 100, 32767}) {
    SCOPED_TRACE(width);
    gRcInfo = kDefaultRcInfo;
    TestPrinter printer({}, {PaperSize{"A4", width, 1, 595, 842}});
    JobSettings settings = CommandLine(printer);
    ASSERT_EQ(Load(&settings), 0);
    EXPECT_EQ(settings.pixelWidth, width);
    EXPECT_EQ(settings.bytesPerLine, 3 * width);
  }
}

// With the paper-info file and ImagingArea both missing, the message names the paper-info
// file: it is read first, and the option fields are already set when it fails.
TEST_F(JobSettingsTest, MissingPaperInfoFailsBeforeThePrinterFiles) {
  TestPrinter printer({"Copies=3", "MediaType=Thin"}, {kA4});
  std::filesystem::remove(printer.paperInfoPath());
  std::filesystem::remove(printer.inf() + "/ImagingArea");
  JobSettings settings = CommandLine(printer);
  EXPECT_EQ(Load(&settings), 1);
  EXPECT_EQ(err_, "Error: " + printer.paperInfoPath() + " :cannot open file !!\n");
  JobSettings want = DefaultRecord(printer);
  want.copies = 3;
  want.mediaType = 1;
  want.pixelWidth = want.pixelHeight = want.paperWidth = want.paperHeight = 0;
  want.bytesPerLine = 0;
  ExpectRecord(settings, want);
}

// The raster size is set, but bytesPerLine waits until both paper readers have succeeded.
TEST_F(JobSettingsTest, MissingPaperDimensionLeavesBytesPerLineZero) {
  TestPrinter printer({}, {kA4});
  const std::string paperDimension = printer.inf() + "/PaperDimension";
  std::filesystem::remove(paperDimension);
  JobSettings settings = CommandLine(printer);
  EXPECT_EQ(Load(&settings), 1);
  EXPECT_EQ(err_, "Error: " + paperDimension + " :cannot open file !!\n");
  JobSettings want = DefaultRecord(printer);
  want.paperWidth = want.paperHeight = 0;
  want.bytesPerLine = 0;
  ExpectRecord(settings, want);
}

TEST_F(JobSettingsTest, PaperFileFaultsPassTheirCodeOn) {
  struct Case {
    const char* file;  // written into the printer's inf folder, or "paperinfo"
    const char* content;
    int code;
    const char* err;
  };
  const Case cases[] = {
      {"paperinfo", "a b c\n", 6, "Error: A4 :invalid format found in paperinf !!\n"},
      {"paperinfo", "a b c d\n", 7, "Error: A4: paper info not found in paperinf !!\n"},
      {"ImagingArea", "A4:\t1\n", 13, ""},
      {"PaperDimension", "A4:\t1\n", 14, ""},
      {"PaperDimension", "Letter:\t612\t792\n", 7,
       "Error: A4: paper info not found in paperinf !!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.content);
    gRcInfo = kDefaultRcInfo;
    TestPrinter printer({}, {kA4});
    const std::string path =
        std::string(c.file) == "paperinfo" ? printer.paperInfoPath() : printer.inf() + "/" + c.file;
    WriteFile(path, c.content);
    JobSettings settings = CommandLine(printer);
    EXPECT_EQ(Load(&settings), c.code);
    EXPECT_EQ(err_, c.err);
    EXPECT_EQ(settings.bytesPerLine, 0);
  }
}

// An rc fault ends loading before anything else: the record stays as the command line left
// it, and no paper file is opened (all are missing, yet only the rc fault is reported).
TEST_F(JobSettingsTest, RcFaultFailsBeforeAnyPaperFile) {
  TestPrinter printer({"Copies=3"}, {kA4});
  WriteFile(printer.rcPath(), "[" + printer.name() + "]\nCopies=3\n[" + printer.name() + "]\n");
  std::filesystem::remove(printer.paperInfoPath());
  std::filesystem::remove_all(printer.inf());
  JobSettings settings = CommandLine(printer);
  EXPECT_EQ(Load(&settings), 5);
  EXPECT_EQ(err_, "Error: invalid printer name at rc-file !!\n");
  ExpectRecord(settings, CommandLine(printer));
}

TEST_F(JobSettingsTest, MissingRcFileIsErrorOne) {
  TestPrinter printer({}, {kA4});
  std::filesystem::remove(printer.rcPath());
  JobSettings settings = CommandLine(printer);
  EXPECT_EQ(Load(&settings), 1);
  EXPECT_EQ(err_, "Error: " + printer.rcPath() + " :cannot open file !!\n");
  ExpectRecord(settings, CommandLine(printer));
}

}  // namespace
}  // namespace velmora
