// Raster page header: the 1796-byte PWG raster page header, written into the page's spool
// file before its lines.
//
// All integers in the header are 32-bit big-endian; every byte that no field sets is zero.
// The header always states 8 bits per colour, chunky pixels and 600 x 600 dpi; colour jobs
// are 3-colour sRGB, mono jobs 1-colour sGray.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora {

struct JobSettings;
struct PageState;

inline constexpr std::size_t kPageHeaderSize = 1796;
using PageHeader = std::array<std::uint8_t, kPageHeaderSize>;

/// Byte offsets of the header fields that the filter sets.
namespace page_header {
inline constexpr std::size_t kPwgRaster = 0;       // "PwgRaster", 64 bytes
inline constexpr std::size_t kMediaType = 128;     // "auto", 64 bytes
inline constexpr std::size_t kResolutionX = 276;   // 600
inline constexpr std::size_t kResolutionY = 280;   // 600
inline constexpr std::size_t kPageWidth = 352;     // paperWidth, points
inline constexpr std::size_t kPageHeight = 356;    // paperHeight, points
inline constexpr std::size_t kTumble = 368;        // 0
inline constexpr std::size_t kWidth = 372;         // pixelWidth
inline constexpr std::size_t kHeight = 376;        // pixelHeight
inline constexpr std::size_t kBitsPerColor = 384;  // 8
inline constexpr std::size_t kBitsPerPixel = 388;  // 24 colour, 8 mono
inline constexpr std::size_t kBytesPerLine = 392;  // bytesPerLine colour, pixelWidth mono
inline constexpr std::size_t kColorSpace = 400;    // 19 sRGB, 18 sGray
inline constexpr std::size_t kNumColors = 420;     // 3 colour, 1 mono
inline constexpr std::uint32_t kColorSpaceSrgb = 19;
inline constexpr std::uint32_t kColorSpaceSgray = 18;
}  // namespace page_header

/// BuildPageHeader: the page header for the job's settings (identical for every page).
PageHeader BuildPageHeader(const JobSettings& settings);

/// StartPageHeader: the raster half of StartPage. Runs the blank test; unless the page is
/// to be skipped, writes the page header to currentSpoolFile as one 1796-byte item.
///   returns: 0 (a failed header write is not looked at).
std::int16_t StartPageHeader(const JobSettings* settings, PageState* state);

}  // namespace velmora
