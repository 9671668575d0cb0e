// RGB to gray: ConvertLineToGray and GrayOf against the extended-precision reference for all
// 2^24 pixels (on x86-64, where long double is the 80-bit format), known values, neutral
// pixels, the longest line, non-positive pixel counts, and the difference from a
// double-precision evaluation.
#include "raster/gray_line.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/pages.h"

namespace velmora {
namespace {

std::vector<std::uint8_t> Pixels(std::initializer_list<std::array<std::uint8_t, 3>> pixels) {
  std::vector<std::uint8_t> rgb;
  for (const auto& p : pixels)
    rgb.insert(rgb.end(), p.begin(), p.end());
  return rgb;
}

// Every implementation this processor runs (the vectorised ones and the portable loop), and
// the one ConvertLineToGray picks.
std::vector<GrayLineVariant> VariantsUnderTest() {
  std::vector<GrayLineVariant> variants(GrayLineVariants().begin(), GrayLineVariants().end());
  variants.push_back({"ConvertLineToGray", ConvertLineToGray});
  return variants;
}

TEST(ConvertLineToGray, AllPixelsMatchTheExtendedPrecisionReference) {
#if defined(__x86_64__)
  static_assert(std::numeric_limits<long double>::digits == 64,
                "the reference needs the 80-bit extended format");
  // The reference for all 2^24 pixels, computed once: index (red << 16) | (green << 8) | blue.
  std::vector<std::uint8_t> reference(1u << 24);
  long grayOfMismatches = 0;
  for (unsigned red = 0; red < 256; ++red) {
    for (unsigned green = 0; green < 256; ++green) {
      for (unsigned blue = 0; blue < 256; ++blue) {
        const std::uint8_t value = test::ReferenceGray(red, green, blue);
        reference[red << 16 | green << 8 | blue] = value;
        if (GrayOf(red, green, blue) != value) ++grayOfMismatches;
      }
    }
  }
  EXPECT_EQ(grayOfMismatches, 0);

  // One line per (red, green) with blue 0 to 255, converted in pieces whose lengths vary so
  // that both the vectorised body and the scalar tail of the loop run.
  constexpr int kPieces[] = {256, 255, 129, 97, 64, 48, 33, 32, 31, 17, 16, 15, 8, 7, 3, 2, 1};
  constexpr std::size_t kGuard = 64;
  for (const GrayLineVariant& variant : VariantsUnderTest()) {
    SCOPED_TRACE(variant.name);
    std::array<std::uint8_t, 256 * 3> rgb{};
    std::array<std::uint8_t, 256 + kGuard> gray{};
    long mismatches = 0;
    std::string first;
    int pieceIndex = 0;
    for (unsigned red = 0; red < 256; ++red) {
      for (unsigned green = 0; green < 256; ++green) {
        for (unsigned blue = 0; blue < 256; ++blue) {
          rgb[3 * blue] = static_cast<std::uint8_t>(red);
          rgb[3 * blue + 1] = static_cast<std::uint8_t>(green);
          rgb[3 * blue + 2] = static_cast<std::uint8_t>(blue);
        }
        gray.fill(0xA5);
        const int piece = kPieces[pieceIndex++ % static_cast<int>(std::size(kPieces))];
        for (int start = 0; start < 256; start += piece) {
          const int count = std::min(piece, 256 - start);
          variant.convert(gray.data() + start, rgb.data() + 3 * start,
                          static_cast<std::int16_t>(count));
        }
        for (std::size_t i = 256; i < gray.size(); ++i) {
          if (gray[i] != 0xA5) {
            FAIL() << "wrote past the line's end for red " << red << " green " << green;
          }
        }
        const std::uint8_t* expected = &reference[red << 16 | green << 8];
        for (unsigned blue = 0; blue < 256; ++blue) {
          if (gray[blue] != expected[blue] && mismatches++ == 0) {
            first = "(" + std::to_string(red) + ", " + std::to_string(green) + ", " +
                    std::to_string(blue) + ") gave " + std::to_string(gray[blue]) + ", reference " +
                    std::to_string(expected[blue]);
          }
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
  }
#else
  GTEST_SKIP() << "the reference evaluates in long double, which is the 80-bit extended "
                  "format only on x86-64";
#endif
}

TEST(ConvertLineToGray, KnownValues) {
  const auto rgb = Pixels({{255, 255, 255},
                           {128, 128, 128},
                           {255, 0, 0},
                           {0, 255, 0},
                           {0, 0, 255},
                           {0, 0, 0},
                           {1, 1, 1},
                           {0, 100, 0},    // 59.0 exactly in decimals, below it in binary
                           {100, 0, 0},    // 30.0 likewise
                           {0, 0, 100}});  // 11.0, above it in binary
  const std::uint8_t expected[] = {254, 127, 76, 150, 28, 0, 0, 58, 29, 11};
  std::uint8_t gray[std::size(expected)] = {};
  ConvertLineToGray(gray, rgb.data(), static_cast<std::int16_t>(std::size(expected)));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(gray[i], expected[i]) << "pixel " << i;
    EXPECT_EQ(GrayOf(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]), expected[i]) << "pixel " << i;
  }
}

TEST(ConvertLineToGray, NeutralPixelsLoseOneLevel) {
  std::vector<std::uint8_t> rgb;
  for (int v = 0; v < 256; ++v)
    rgb.insert(rgb.end(), 3, static_cast<std::uint8_t>(v));
  std::vector<std::uint8_t> gray(256, 0xA5);
  ConvertLineToGray(gray.data(), rgb.data(), 256);
  EXPECT_EQ(gray[0], 0);
  for (int v = 1; v < 256; ++v)
    EXPECT_EQ(gray[static_cast<std::size_t>(v)], v - 1) << "v " << v;
}

TEST(ConvertLineToGray, LongestLine) {
  std::mt19937 random(7);
  const std::string rgb = test::RandomRgb(32767, 1, random);
  std::vector<std::uint8_t> gray(32767 + 1, 0xA5);
  ConvertLineToGray(gray.data(), reinterpret_cast<const std::uint8_t*>(rgb.data()), 32767);
  long mismatches = 0;
  for (std::size_t i = 0; i < 32767; ++i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(rgb[3 * i + k]); };
    if (gray[i] != GrayOf(byte(0), byte(1), byte(2))) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(gray[32767], 0xA5) << "wrote past the line";
}

TEST(ConvertLineToGray, NonPositiveCountWritesNothing) {
  const auto rgb = Pixels({{1, 2, 3}, {4, 5, 6}});
  for (const std::int16_t count : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{-32768}}) {
    std::uint8_t gray[8];
    std::memset(gray, 0xA5, sizeof gray);
    ConvertLineToGray(gray, rgb.data(), count);
    for (const std::uint8_t byte : gray)
      EXPECT_EQ(byte, 0xA5) << "count " << count;
  }
}

// The reference is not what plain double arithmetic gives: there white comes out as 255.
TEST(ConvertLineToGray, DiffersFromADoublePrecisionEvaluation) {
  const auto inDouble = [](unsigned red, unsigned green, unsigned blue) {
    volatile double b = blue * 0.11;
    volatile double sum = b + green * 0.59;
    sum = sum + red * 0.30;
    return static_cast<unsigned>(sum);
  };
  EXPECT_EQ(inDouble(255, 255, 255), 255u);
  const auto white = Pixels({{255, 255, 255}});
  std::uint8_t gray = 0;
  ConvertLineToGray(&gray, white.data(), 1);
  EXPECT_EQ(gray, 254);
#if defined(__x86_64__)
  EXPECT_EQ(test::ReferenceGray(255, 255, 255), 254);
  int neutralDifferences = 0;
  for (unsigned v = 1; v < 256; ++v) {
    if (inDouble(v, v, v) != test::ReferenceGray(v, v, v)) ++neutralDifferences;
  }
  EXPECT_GT(neutralDifferences, 0);
#endif
}

}  // namespace
}  // namespace velmora
