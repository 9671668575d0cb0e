// The gzip stream fed from spool files: input reaches deflate in whole 1024-byte chunks (a
// short tail is held and joined with the next file), output reaches the printer stream in
// writes of exactly 1024 bytes plus one final write, the stream ends in the finishing feeding
// even from an empty file, and the output inflates to the concatenation of the files.
#include "stream/compression.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "stream/output.h"
#include "tests/support/raster_decode.h"

namespace velmora {
namespace {

using test::Gunzip;

// Records every write call that reaches the printer stream.
struct WriteLog {
  std::vector<std::size_t> sizes;
  std::string bytes;
};

ssize_t RecordWrite(void* cookie, const char* data, std::size_t size) {
  auto* log = static_cast<WriteLog*>(cookie);
  log->sizes.push_back(size);
  log->bytes.append(data, size);
  return static_cast<ssize_t>(size);
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes)
    byte = static_cast<char>(random());
  return bytes;
}

class CompressionTest : public testing::Test {
 protected:
  void SetUp() override {
    gCompression = {};
    cookie_io_functions_t functions = {};
    functions.write = RecordWrite;
    out_ = ::fopencookie(&log_, "wb", functions);
    ASSERT_NE(out_, nullptr);
    std::setvbuf(out_, nullptr, _IONBF, 0);  // every fwrite becomes one recorded write
    SetOutputStream(out_);
    InitCompression();
  }
  void TearDown() override {
    if (!ended_) EndCompression();
    SetOutputStream(nullptr);
    std::fclose(out_);
    gCompression = {};
  }

  // One feeding of a spool file holding `bytes`.
  void Feed(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::rewind(file);
    gCompression.feedFile = file;
    CompressSpoolFile();
    gCompression.feedFile = nullptr;
    std::fclose(file);
    fed_ += bytes;
  }

  // The last feeding, as at the end of a job.
  void Finish(const std::string& bytes) {
    gCompression.finishStream = true;
    Feed(bytes);
    EndCompression();
    ended_ = true;
  }

  // The last feeding when there is no spool file to feed.
  void FinishWithoutFile() {
    gCompression.finishStream = true;
    gCompression.feedFile = nullptr;
    CompressSpoolFile();
    EndCompression();
    ended_ = true;
  }

  // Ends the stream in hand and starts a new one with nothing recorded.
  void Restart() {
    TearDown();
    log_ = {};
    fed_.clear();
    ended_ = false;
    SetUp();
  }

  // Checks the write sizes and that the output is one gzip stream of everything fed.
  void ExpectCompleteStream() {
    ASSERT_FALSE(log_.sizes.empty());
    for (std::size_t i = 0; i + 1 < log_.sizes.size(); ++i) {
      EXPECT_EQ(log_.sizes[i], kChunkSize) << "write " << i;
    }
    EXPECT_GE(log_.sizes.back(), 1u);
    EXPECT_LE(log_.sizes.back(), kChunkSize);
    std::string inflated;
    std::size_t consumed = 0;
    std::string error;
    ASSERT_TRUE(Gunzip(log_.bytes, &inflated, &consumed, &error)) << error;
    EXPECT_EQ(consumed, log_.bytes.size()) << "bytes after the end of the gzip stream";
    EXPECT_TRUE(inflated == fed_) << "inflated " << inflated.size() << " bytes, fed "
                                  << fed_.size();
  }

  WriteLog log_;
  std::string fed_;

 private:
  std::FILE* out_ = nullptr;
  bool ended_ = false;
};

TEST_F(CompressionTest, ShortFileIsHeldWithoutDeflatingAndJoinedWithTheNext) {
  Feed(std::string(100, 'a'));
  EXPECT_TRUE(gCompression.inputHeld);
  EXPECT_EQ(gCompression.stream.total_in, 0u) << "deflate saw the short chunk";
  EXPECT_EQ(gCompression.stream.avail_in, 100u);
  EXPECT_TRUE(log_.sizes.empty());

  // 100 held + 2000 new: two whole chunks go in, 52 bytes wait.
  Feed(RandomBytes(2000, 1));
  EXPECT_EQ(gCompression.stream.total_in, 2048u);
  EXPECT_TRUE(gCompression.inputHeld);
  EXPECT_EQ(gCompression.stream.avail_in, 52u);

  Finish("");
  ExpectCompleteStream();
}

TEST_F(CompressionTest, SeveralShortFilesMakeOneChunk) {
  for (int i = 0; i < 5; ++i) {
    Feed(std::string(300, static_cast<char>('a' + i)));
    EXPECT_EQ(gCompression.stream.total_in, i < 3 ? 0u : 1024u) << "after file " << i;
  }
  EXPECT_EQ(gCompression.stream.avail_in, 1500u - 1024u);
  Finish("");
  ExpectCompleteStream();
}

TEST_F(CompressionTest, ExactMultipleOfTheChunkIsConsumedEntirely) {
  Feed(RandomBytes(2048, 2));
  EXPECT_EQ(gCompression.stream.total_in, 2048u);
  EXPECT_EQ(gCompression.stream.avail_in, 0u);

  // The next feeding starts from nothing held: only its own 10 bytes wait.
  Feed(std::string(10, 'z'));
  EXPECT_EQ(gCompression.stream.total_in, 2048u);
  EXPECT_EQ(gCompression.stream.avail_in, 10u);

  Finish(RandomBytes(1024, 3));
  ExpectCompleteStream();
}

TEST_F(CompressionTest, StreamEndsInTheFinalFeedingOfAnEmptyFile) {
  Feed(RandomBytes(5000, 4));
  Feed("");
  const std::size_t before = log_.bytes.size();
  Finish("");
  EXPECT_GT(log_.bytes.size(), before) << "the final feeding wrote nothing";
  ExpectCompleteStream();
}

TEST_F(CompressionTest, StreamEndsWithoutAnyFeedFile) {
  // EndJob when no spool file was ever created: nothing is fed, the stream is still ended.
  FinishWithoutFile();
  ASSERT_EQ(log_.sizes.size(), 1u);
  ExpectCompleteStream();
  EXPECT_EQ(fed_, "");
}

TEST_F(CompressionTest, UsesTheGzipWrapperAtTheDefaultLevel) {
  const std::string data = std::string(3000, 'q') + RandomBytes(3000, 5);
  Finish(data);
  ExpectCompleteStream();
  ASSERT_GE(log_.bytes.size(), 10u);
  EXPECT_EQ(static_cast<unsigned char>(log_.bytes[0]), 0x1Fu);
  EXPECT_EQ(static_cast<unsigned char>(log_.bytes[1]), 0x8Bu);
  EXPECT_EQ(log_.bytes[2], 8) << "deflate method";
  EXPECT_EQ(log_.bytes[3], 0) << "no header fields";
  // The library with level -1, window 15 + 16, memory level 8, default strategy, in one call.
  EXPECT_TRUE(log_.bytes == test::Gzip(data));
}

// Many sequences of spool file sizes: the write rule holds, the output inflates to the
// files' concatenation, and it does not depend on where the files' boundaries fall.
struct SizesCase {
  std::vector<std::size_t> sizes;  // spool files fed without the finish flag, then the last one
  bool random;                     // incompressible content (many output blocks)
};

void PrintTo(const SizesCase& c, std::ostream* os) {
  *os << (c.random ? "random" : "runs");
  for (std::size_t size : c.sizes)
    *os << " " << size;
}

class CompressionSizesTest : public CompressionTest,
                             public testing::WithParamInterface<SizesCase> {};

TEST_P(CompressionSizesTest, OutputIsIndependentOfFileBoundaries) {
  const SizesCase& c = GetParam();
  std::string all;
  unsigned seed = 10;
  for (std::size_t size : c.sizes) {
    all += c.random ? RandomBytes(size, seed++)
                    : std::string(size, static_cast<char>('A' + seed++ % 26));
  }
  std::size_t at = 0;
  for (std::size_t i = 0; i + 1 < c.sizes.size(); ++i) {
    Feed(all.substr(at, c.sizes[i]));
    at += c.sizes[i];
    for (std::size_t size : log_.sizes)
      ASSERT_EQ(size, kChunkSize);
  }
  Finish(all.substr(at));
  ExpectCompleteStream();
  const std::string split = log_.bytes;

  // The same bytes as one file in one final feeding.
  Restart();
  Finish(all);
  EXPECT_TRUE(log_.bytes == split) << "the stream depends on the spool file boundaries";
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CompressionSizesTest,
    testing::Values(SizesCase{{0}, false}, SizesCase{{1}, false}, SizesCase{{1023, 1}, false},
                    SizesCase{{1024}, true}, SizesCase{{1024, 0}, true}, SizesCase{{1025}, true},
                    SizesCase{{0, 0, 0}, false}, SizesCase{{1023, 1023, 1023, 3}, true},
                    SizesCase{{4096, 1, 4095, 0}, true}, SizesCase{{7000, 3000, 50}, false},
                    SizesCase{{20000, 0, 13, 20000}, true},
                    SizesCase{{100, 200, 300, 400, 500, 600}, true}));

}  // namespace
}  // namespace velmora
