// The option table and its operations. All texts and value arrays are static data; lookups
// are linear scans with exact, case-sensitive comparison; nothing allocates.
#include "src_header/kxfiletool.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velmora {
namespace {

template <std::size_t N>
struct Choices {
  std::array<const char*, N> names;
  std::array<std::int16_t, N> values;
};

constexpr Choices<12> kMediaType = {{"Plain", "Thin", "Thick", "Thicker", "BOND", "Recycled", "Env",
                                     "EnvThin", "EnvThick", "PostCard", "Label", "Glossy"},
                                    {0, 1, 2, 3, 6, 5, 7, 8, 9, 10, 11, 12}};
constexpr Choices<25> kPageSize = {{"A4",         "Letter",      "Legal",     "Executive",
                                    "A5",         "PRA5Rotated", "A6",        "ISOB5",
                                    "JISB5",      "JISB6",       "EnvDL",     "EnvC5",
                                    "Env10",      "EnvMonarch",  "Kx3x5",     "FanFoldGermanLegal",
                                    "Postcard",   "EnvYou4",     "EnvChou3",  "210x270mm",
                                    "195x270mm",  "184x260mm",   "197x273mm", "MexicanLegal",
                                    "IndianLegal"},
                                   {9,  1,   5,  7,  11, 61, 70, 13, 34, 69, 27, 28, 20,
                                    37, 261, 14, 43, 91, 73, 74, 77, 76, 75, 78, 79}};
constexpr Choices<8> kInputSlot = {
    {"AutoSelect", "Tray1", "Tray2", "Tray3", "Tray4", "Tray5", "MPTray", "Manual"},
    {0, 1, 2, 3, 4, 5, 6, 7}};
constexpr Choices<2> kResolution = {{"Normal", "Fine"}, {1, 2}};
constexpr Choices<2> kOffOn = {{"OFF", "ON"}, {0, 1}};
constexpr Choices<3> kMonoColor = {{"Auto", "FullColor", "Mono"}, {2, 1, 0}};
constexpr Choices<4> kColorMatching = {{"Auto", "Normal", "Vivid", "None"}, {3, 1, 2, 0}};
constexpr Choices<3> kImproveOutput = {{"OFF", "KXLessPaperCurl", "KXFixIntensity"}, {0, 1, 2}};
constexpr Choices<3> kDuplex = {{"None", "DuplexTumble", "DuplexNoTumble"}, {0, 1, 2}};
constexpr Choices<3> kLanguage = {{"us", "canada", "other"}, {1, 2, 0}};

static_assert(kPageSize.names.size() == 25, "25 page sizes");

template <std::size_t N>
constexpr Param ListRow(const char* name, const Choices<N>& choices, std::int16_t defaultIndex) {
  return Param{
      name,        static_cast<std::int16_t>(N), choices.names.data(), choices.values.data(), 0,
      defaultIndex};
}

constexpr Param NumberRow(const char* name, std::int16_t defaultValue) {
  return Param{name, 0, nullptr, nullptr, defaultValue, -1};
}

// Parses the decimal number at the start of `text` the way the rc file writes numbers and
// keeps its low 16 bits: accumulating modulo 2^16 gives exactly those bits for any length.
std::int16_t LowBitsOfDecimal(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  std::uint16_t bits = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    bits = static_cast<std::uint16_t>(bits * 10u + static_cast<unsigned>(*p - '0'));
  }
  if (negative) bits = static_cast<std::uint16_t>(0u - bits);
  return static_cast<std::int16_t>(bits);
}

// The check behind GetPjpInnerValue stays on in every build, so it cannot go through
// assert(); the message has the C library's assertion format.
[[noreturn]] void FailChoiceAssertion(int line, const char* function) {
  std::fprintf(stderr, "src_header/kxfiletool:%d: %s: Assertion `pParam->nIndex >= 0' failed.\n",
               line, function);
  std::abort();
}

// The table at program start, built at compile time.
constexpr RcInfo DefaultRcInfo() {
  return RcInfo{
      {},
      kParamCount,
      {
          ListRow("MediaType", kMediaType, 0),
          ListRow("PageSize", kPageSize, 0),
          ListRow("InputSlot", kInputSlot, 0),
          ListRow("KXResolution", kResolution, 1),  // "Fine", the second choice
          NumberRow("Copies", 1),
          ListRow("Collate", kOffOn, 0),
          ListRow("KXReverse", kOffOn, 0),
          ListRow("KXMonoColor", kMonoColor, 0),
          ListRow("KXColorMatching", kColorMatching, 0),
          ListRow("KXGray", kOffOn, 0),
          ListRow("KXEnhanceBlkPrt", kOffOn, 0),
          ListRow("TonerSaveMode", kOffOn, 0),
          ListRow("KXImproveOutput", kImproveOutput, 0),
          NumberRow("Brightness", 0),
          NumberRow("Contrast", 0),
          NumberRow("RedKey", 0),
          NumberRow("GreenKey", 0),
          NumberRow("BlueKey", 0),
          NumberRow("Saturation", 0),
          ListRow("KXDuplex", kDuplex, 0),
          ListRow("KXSkipBlank", kOffOn, 0),
          ListRow("Language", kLanguage, 0),
      },
  };
}

}  // namespace

constinit const RcInfo kDefaultRcInfo = DefaultRcInfo();
constinit RcInfo gRcInfo = DefaultRcInfo();

const char* GetParamValueName(const char* pszName, const RcInfo* pRcInfo) {
  for (int i = 0; i < kParamCount; ++i) {
    const Param* pParam = &pRcInfo->pParams[i];
    if (std::strcmp(pParam->pszName, pszName) != 0) continue;
    if (pParam->nIndex < 0 || pParam->nIndex >= pParam->nItemCount) return nullptr;
    return pParam->ppszValueNames[pParam->nIndex];
  }
  return nullptr;
}

int SetListParam(int nIndex, const char* pszBuf, RcInfo* pRcInfo) {
  if (nIndex < 0 || nIndex >= kParamCount) return -1;
  Param* pParam = &pRcInfo->pParams[nIndex];
  for (std::int16_t i = 0; i < pParam->nItemCount; ++i) {
    if (std::strcmp(pParam->ppszValueNames[i], pszBuf) == 0) {
      pParam->nIndex = i;
      return 0;
    }
  }
  return -1;
}

int SetNumericalParam(int nIndex, const char* pszBuf, RcInfo* pRcInfo) {
  if (nIndex < 0 || nIndex >= kParamCount) return -1;
  pRcInfo->pParams[nIndex].nValue = LowBitsOfDecimal(pszBuf);
  return 0;
}

std::int16_t GetPjpInnerValue(int nIndex, const RcInfo* pRcInfo) {
  const Param* pParam = &pRcInfo->pParams[nIndex];
  if (!(pParam->nIndex >= 0)) FailChoiceAssertion(__LINE__, __func__);
  return pParam->pnInnerValues[pParam->nIndex];
}

}  // namespace velmora
