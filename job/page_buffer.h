// The page buffer: one whole page raster of the current pass (bandLines lines of
// bytesPerLine bytes, red, green, blue per pixel), allocated per pass and released after the
// pass's SendRaster. At most one exists at a time.
#pragma once

#include <cstdint>

namespace velmora {

extern std::uint8_t* pageBuffer;     // nullptr while no page is held
extern std::int32_t pageBufferSize;  // bytes held

/// AllocPageBuffer: allocates and zero-fills lineLength x lineCount bytes as pageBuffer.
///   returns: 0; 1 when lineLength is 0 ("Invalid Parameter(s).", nothing allocated) or the
///            allocation fails ("ERROR: Insufficient memory!").
int AllocPageBuffer(std::int32_t lineLength, std::int16_t lineCount);

/// FreePageBuffer: releases the page buffer if one is held and marks it absent.
void FreePageBuffer();

}  // namespace velmora
