// Fuzz data as a file, for the harnesses of the readers that open files by path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace velmora::fuzz {

/// A file holding the fuzz data, in memory, reachable by path.
class DataFile {
 public:
  DataFile(const std::uint8_t* data, std::size_t size) : fd_(::memfd_create("fuzz", 0)) {
    if (fd_ >= 0 && size > 0 && ::write(fd_, data, size) != static_cast<ssize_t>(size)) {
      ::close(fd_);
      fd_ = -1;
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  ~DataFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  const char* path() const { return path_.c_str(); }

 private:
  int fd_;
  std::string path_;
};

}  // namespace velmora::fuzz
