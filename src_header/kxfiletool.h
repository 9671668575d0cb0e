// The option table: the filter's 22 printer options, their value names, inner values and
// defaults.
//
// One table exists per process (`gRcInfo`), statically initialised from `kDefaultRcInfo`, so
// every option holds its default before any file is read. Rows are addressed by their fixed
// row number 0 to 21. A row is a list row (a choice among value names) or a numerical row (a
// number); the type is fixed by the row number, not stored. In every list row
// 0 <= nIndex < nItemCount holds at all times.
#pragma once

#include <cstdint>

namespace velmora {

inline constexpr int kParamCount = 22;
inline constexpr int kPrinterNameSize = 32;

/// One option row. Field order and prefixes follow the module's conventions
/// (p pointer, psz text, n number, sz character array).
struct Param {
  const char* pszName;                // option name, as written as a key in the rc file
  std::int16_t nItemCount;            // number of choices; 0 for a numerical row
  const char* const* ppszValueNames;  // value names in choice order; nullptr if numerical
  const std::int16_t* pnInnerValues;  // inner value of each choice; nullptr if numerical
  std::int16_t nValue;                // current number of a numerical row; 0 in a list row
  std::int16_t nIndex;                // current choice of a list row; -1 in a numerical row
};

/// The option table.
struct RcInfo {
  char szPrinterName[kPrinterNameSize];  // rc file section name; empty until read
  std::int32_t nParamCount;              // always kParamCount
  Param pParams[kParamCount];
};

/// Row numbers.
enum class Row : int {
  kMediaType = 0,
  kPageSize = 1,
  kInputSlot = 2,
  kResolution = 3,
  kCopies = 4,
  kCollate = 5,
  kReverse = 6,
  kMonoColor = 7,
  kColorMatching = 8,
  kGray = 9,
  kEnhanceBlackPrint = 10,
  kTonerSaveMode = 11,
  kImproveOutput = 12,
  kBrightness = 13,
  kContrast = 14,
  kRedKey = 15,
  kGreenKey = 16,
  kBlueKey = 17,
  kSaturation = 18,
  kDuplex = 19,
  kSkipBlank = 20,
  kLanguage = 21,
};

constexpr int RowNumber(Row row) {
  return static_cast<int>(row);
}

/// IsNumericalRow: true for rows 4 and 13 to 18, whose values are numbers.
constexpr bool IsNumericalRow(int nIndex) {
  return nIndex == RowNumber(Row::kCopies) ||
         (nIndex >= RowNumber(Row::kBrightness) && nIndex <= RowNumber(Row::kSaturation));
}

/// The table as it stands at program start.
extern const RcInfo kDefaultRcInfo;

/// The process's one option table.
extern RcInfo gRcInfo;

/// GetParamValueName: the value name of the current choice of the option `pszName`.
///   pszName  - in: option name, compared case-sensitively with rows 0 to 21 in order.
///   pRcInfo  - in: the table.
///   returns: the value name (owned by the table, valid for the process's life), or nullptr
///            when no row has that name. Defined for list rows only.
const char* GetParamValueName(const char* pszName, const RcInfo* pRcInfo);

/// SetListParam: makes the choice whose value name equals `pszBuf` current in list row
/// `nIndex`.
///   returns: 0 when a value name matched exactly; -1 otherwise (the choice is unchanged).
int SetListParam(int nIndex, const char* pszBuf, RcInfo* pRcInfo);

/// SetNumericalParam: stores the decimal number in `pszBuf` (leading white space, one
/// optional sign, digits up to the first non-digit; no digits gives 0) as the low 16 bits
/// in `nValue` of row `nIndex`. No range check. Returns 0.
int SetNumericalParam(int nIndex, const char* pszBuf, RcInfo* pRcInfo);

/// GetPjpInnerValue: the inner value of the current choice of list row `nIndex`. Stops the
/// program with the failed assertion "pParam->nIndex >= 0" when the row's choice is negative
/// (a programming error; no input can cause it).
std::int16_t GetPjpInnerValue(int nIndex, const RcInfo* pRcInfo);

}  // namespace velmora
