// Job settings: the option table and the paper files turned into the JobSettings record.
// Option fields are set before any paper file is opened; bytesPerLine only once both paper
// readers have succeeded.
#include "settings/job_settings.h"

#include "settings/paper_geometry.h"
#include "settings/rc_reader.h"
#include "src_header/kxfiletool.h"

namespace velmora {
namespace {

std::int16_t Inner(Row row, const RcInfo* pRcInfo) {
  return GetPjpInnerValue(RowNumber(row), pRcInfo);
}

std::int16_t Number(Row row, const RcInfo* pRcInfo) {
  return pRcInfo->pParams[RowNumber(row)].nValue;
}

}  // namespace

int BuildJobSettings(const RcInfo* pRcInfo, JobSettings* settings) {
  settings->mediaType = Inner(Row::kMediaType, pRcInfo);
  settings->paperSize = Inner(Row::kPageSize, pRcInfo);
  settings->inputSlot = Inner(Row::kInputSlot, pRcInfo);
  settings->resolution = Inner(Row::kResolution, pRcInfo);
  settings->collate = Inner(Row::kCollate, pRcInfo);
  settings->colorMode = Inner(Row::kMonoColor, pRcInfo);
  settings->colorMatching = Inner(Row::kColorMatching, pRcInfo);
  settings->gray = Inner(Row::kGray, pRcInfo);
  settings->enhanceBlackPrint = Inner(Row::kEnhanceBlackPrint, pRcInfo);
  settings->tonerSave = Inner(Row::kTonerSaveMode, pRcInfo);
  settings->improveOutput = Inner(Row::kImproveOutput, pRcInfo);
  settings->duplex = Inner(Row::kDuplex, pRcInfo);
  settings->copies = Number(Row::kCopies, pRcInfo);
  settings->brightness = Number(Row::kBrightness, pRcInfo);
  settings->contrast = Number(Row::kContrast, pRcInfo);
  settings->redKey = Number(Row::kRedKey, pRcInfo);
  settings->greenKey = Number(Row::kGreenKey, pRcInfo);
  settings->blueKey = Number(Row::kBlueKey, pRcInfo);

  if (int code = ReadPaperInfo(settings->paperInfoPath, settings, pRcInfo); code != 0) return code;
  if (int code = ReadPaperGeometry(settings, pRcInfo); code != 0) return code;
  settings->bytesPerLine = 3 * static_cast<std::int32_t>(settings->pixelWidth);
  return 0;
}

int LoadJobSettings(JobSettings* settings) {
  if (int code = ReadRcFile(settings->rcPath, &gRcInfo); code != 0) return code;
  return BuildJobSettings(&gRcInfo, settings);
}

}  // namespace velmora
