// Page images for the tests.
#include "tests/support/pages.h"

namespace velmora::test {

std::string PpmPage(int width, int height, std::string_view rgb) {
  return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" +
         std::string(rgb);
}

std::string SolidRgb(int width, int height, std::uint8_t red, std::uint8_t green,
                     std::uint8_t blue) {
  std::string raster;
  raster.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (long i = 0; i < static_cast<long>(width) * height; ++i) {
    raster += static_cast<char>(red);
    raster += static_cast<char>(green);
    raster += static_cast<char>(blue);
  }
  return raster;
}

std::string RandomRgb(int width, int height, std::mt19937& random, int colours) {
  std::uniform_int_distribution<int> value(0, colours - 1);
  std::string raster(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, '\0');
  for (char& byte : raster)
    byte = static_cast<char>(value(random) * (255 / std::max(1, colours - 1)));
  return raster;
}

std::uint8_t ReferenceGray(unsigned red, unsigned green, unsigned blue) {
  // volatile keeps the compiler from folding the widened doubles at another precision.
  volatile long double c11 = static_cast<long double>(0.11);
  volatile long double c59 = static_cast<long double>(0.59);
  volatile long double c30 = static_cast<long double>(0.30);
  const long double sum =
      (static_cast<long double>(blue) * c11 + static_cast<long double>(green) * c59) +
      static_cast<long double>(red) * c30;
  return static_cast<std::uint8_t>(static_cast<unsigned>(sum));
}

std::string ReferenceGrayRaster(std::string_view rgb) {
  std::string gray(rgb.size() / 3, '\0');
  for (std::size_t i = 0; i < gray.size(); ++i) {
    gray[i] = static_cast<char>(ReferenceGray(static_cast<unsigned char>(rgb[3 * i]),
                                              static_cast<unsigned char>(rgb[3 * i + 1]),
                                              static_cast<unsigned char>(rgb[3 * i + 2])));
  }
  return gray;
}

}  // namespace velmora::test
