// PJL job header and trailer.
#include "stream/pjl.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/job_settings.h"
#include "stream/output.h"

namespace velmora {
namespace {

constexpr std::string_view kUel = "\x1b%-12345X";

struct CodeName {
  int code;
  std::string_view name;
};

constexpr std::array<CodeName, 24> kPaperNames = {{
    {9, "A4\n"},
    {5, "LEGAL\n"},
    {7, "EXECUTIVE\n"},
    {11, "A5\n"},
    {61, "A5L\n"},
    {70, "A6\n"},
    {13, "B5\n"},
    {34, "JISB5\n"},
    {69, "JISB6\n"},
    {27, "DL\n"},
    {28, "C5\n"},
    {20, "COM10\n"},
    {37, "MONARCH\n"},
    {261, "P3X5\n"},
    {14, "FOLIO\n"},
    {43, "POSTCARD\n"},
    {91, "ENVYOU4\n"},
    {73, "JENVCHOU3\n"},
    {74, "A4SHORT\n"},
    {77, "SIXTEENK195X270\n"},
    {76, "SIXTEENK184X260\n"},
    {75, "ROC16K\n"},
    {78, "MEXICANLEGAL\n"},
    {79, "INDIALEGAL\n"},
}};

constexpr std::array<CodeName, 12> kMediaNames = {{
    {0, "REGULAR\n"},
    {1, "THIN\n"},
    {2, "THICK\n"},
    {3, "THICK2\n"},
    {5, "RECYCLED\n"},
    {6, "BOND\n"},
    {7, "ENVELOPES\n"},
    {8, "ENVTHIN\n"},
    {9, "ENVTHICK\n"},
    {10, "POSTCARD\n"},
    {11, "LABEL\n"},
    {12, "GLOSSY\n"},
}};

constexpr std::array<CodeName, 7> kTrayNames = {{
    {0, "AUTO\n"},
    {1, "TRAY1\n"},
    {2, "TRAY2\n"},
    {3, "TRAY3\n"},
    {4, "TRAY4\n"},
    {5, "TRAY5\n"},
    {6, "MPTRAY\n"},
}};

constexpr int kManualFeed = 7;
constexpr int kColorModeAuto = 2;
constexpr int kColorModeMono = 0;
constexpr int kColorMatchingAuto = 3;

template <std::size_t N>
std::string_view Lookup(const std::array<CodeName, N>& table, int code, std::string_view other) {
  for (const CodeName& entry : table) {
    if (entry.code == code) return entry.name;
  }
  return other;
}

void Write(std::string_view text) {
  WriteOutput(text.data(), text.size());
}

// An environment value, or nullptr when it is unset or empty.
const char* Attribute(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

// Writes a submitter's value: control bytes become blanks and, when `quoted`, double quotes
// become apostrophes. Runs of unchanged bytes are written as they stand.
void WriteValue(const char* value, bool quoted) {
  const char* run = value;
  const char* p = value;
  for (; *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    const char* replacement = IsControl(c) ? " " : (quoted && c == '"') ? "'" : nullptr;
    if (replacement == nullptr) continue;
    WriteOutput(run, static_cast<std::size_t>(p - run));
    WriteOutput(replacement, 1);
    run = p + 1;
  }
  WriteOutput(run, static_cast<std::size_t>(p - run));
}

void WriteQuotedLine(std::string_view prefix, const char* value) {
  Write(prefix);
  Write("\"");
  WriteValue(value, true);
  Write("\"\n");
}

// "@PJL SET <name>=<value>\n" with the value as signed decimal.
void WriteNumberLine(const char* name, std::int16_t value) {
  char line[50];
  const int length =
      std::snprintf(line, sizeof line, "@PJL SET %s=%d\n", name, static_cast<int>(value));
  if (length > 0) WriteOutput(line, static_cast<std::size_t>(length));
}

const char* OnOff(bool on) {
  return on ? "ON\n" : "OFF\n";
}

}  // namespace

int WriteOutput(const void* data, std::size_t length) {
  if (length == 0) return 1;
  return std::fwrite(data, length, 1, OutputStream()) == 1 ? 1 : 0;
}

std::string_view PjlPaperName(int paperSize) {
  return Lookup(kPaperNames, paperSize, "LETTER\n");
}

std::string_view PjlMediaName(int mediaType) {
  return Lookup(kMediaNames, mediaType, "REGULAR\n");
}

std::string_view PjlSourceTray(int inputSlot) {
  if (inputSlot == kManualFeed) return {};
  return Lookup(kTrayNames, inputSlot, "AUTO\n");
}

void WritePjlHeader(const JobSettings& settings) {
  Write(kUel);
  Write("@PJL \n");

  if (const char* password = Attribute("PASSWORD"); password != nullptr) {
    Write("@PJL SET HOLD=STORE\n");
    Write("@PJL SET HOLDTYPE=PRIVATE\n");
    Write("@PJL SET HOLDKEY=");
    WriteValue(password, false);
    Write("\n");
  } else {
    Write("@PJL SET HOLD=OFF\n");
  }
  if (const char* owner = Attribute("OWNER")) WriteQuotedLine("@PJL SET USERNAME=", owner);
  if (const char* title = Attribute("TITLE")) WriteQuotedLine("@PJL SET JOBNAME=", title);
  if (const char* owner = Attribute("OWNER")) WriteQuotedLine("@PJL SET LOGINUSER=", owner);
  if (const char* title = Attribute("TITLE")) WriteQuotedLine("@PJL JOB NAME=", title);
  Write("@PJL SET STRINGCODESET=UTF8");
  Write("\n");

  Write("@PJL SET PAPER=");
  Write(PjlPaperName(settings.paperSize));

  if (settings.colorMode == kColorModeAuto) {
    Write("@PJL SET RENDERMODE=COLOR\n");
    Write("@PJL SET COLORADAPT=ON\n");
  } else if (settings.colorMode == kColorModeMono) {
    Write("@PJL SET RENDERMODE=GRAYSCALE\n");
    Write("@PJL SET COLORADAPT=OFF\n");
  } else {
    Write("@PJL SET RENDERMODE=COLOR\n");
    Write("@PJL SET COLORADAPT=OFF\n");
  }

  // On and off name different PJL variables.
  Write(settings.tonerSave != 0 ? "@PJL SET ECONOMODE=ON\n" : "@PJL SET ECONOPRINT=OFF\n");
  Write(settings.resolution == 2 ? "@PJL SET APTMODE=ON\n" : "@PJL SET APTMODE=OFF\n");

  if (settings.duplex == 1) {
    Write("@PJL SET DUPLEX=ON\n");
    Write("@PJL SET BINDING=SHORTEDGE\n");
  } else if (settings.duplex == 2) {
    Write("@PJL SET DUPLEX=ON\n");
    Write("@PJL SET BINDING=LONGEDGE\n");
  } else {
    Write("@PJL SET DUPLEX=OFF\n");
  }

  Write("@PJL SET MEDIATYPE=");
  Write(PjlMediaName(settings.mediaType));

  if (settings.inputSlot == kManualFeed) {
    Write("@PJL SET MANUALFEED=ON\n");
  } else {
    Write("@PJL SET MANUALFEED=OFF\n");
    Write("@PJL SET SOURCETRAY=");
    Write(PjlSourceTray(settings.inputSlot));
  }

  if (const char* tray = Attribute("OUTPUTTRAY"); tray != nullptr) {
    if (std::strcmp(tray, "OFF") == 0) {
      Write("@PJL SET OUTBIN=UPPER\n");
      Write("@PJL SET FINISH=NONE\n");
    } else {
      Write("@PJL SET OUTBIN=AUTO\n");
    }
  }

  Write("@PJL SET LESSPAPERCURL=");
  Write(OnOff(settings.improveOutput == 1));
  Write("@PJL SET FIXINTENSITYUP=");
  Write(OnOff(settings.improveOutput == 2));

  switch (settings.colorMatching) {
    case kColorMatchingAuto:
      Write("@PJL SET COLORMODE=AUTO\n");
      break;
    case 2:
      Write("@PJL SET COLORMODE=VIVID\n");
      break;
    case 1:
      Write("@PJL SET COLORMODE=NORMAL\n");
      break;
    default:
      Write("@PJL SET COLORMODE=NONE\n");
      break;
  }
  if (settings.colorMatching != kColorMatchingAuto) {
    Write(settings.gray != 0 ? "@PJL SET IMPROVEGRAY=ON\n" : "@PJL SET IMPROVEGRAY=OFF\n");
    Write(settings.enhanceBlackPrint != 0 ? "@PJL SET UCRGCRFORIMAGE=ON\n"
                                          : "@PJL SET UCRGCRFORIMAGE=OFF\n");
    WriteNumberLine("BRIGHTNESS", settings.brightness);
    WriteNumberLine("CONTRAST", settings.contrast);
    WriteNumberLine("DENSITYRED", settings.redKey);
    WriteNumberLine("DENSITYGREEN", settings.greenKey);
    WriteNumberLine("DENSITYBLUE", settings.blueKey);
  }

  Write("@PJL SET FIDELITY=TRUE\n");
  Write("@PJL ENTER LANGUAGE=PWGRASTER\n");
}

void WritePjlTrailer() {
  Write(kUel);
  if (const char* title = Attribute("TITLE")) WriteQuotedLine("@PJL EOJ NAME=", title);
  Write(kUel);
  Write("\n");
}

}  // namespace velmora
