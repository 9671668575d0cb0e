// Uncollated copies: with Collate OFF and Copies n > 1 every page is sent n times in a row.
// The page's raster is read from the input once; its first pass also writes it to a copy
// file under TMPDIR (or /tmp), and the later passes read it back from there.
#pragma once

#include <cstddef>

namespace velmora {

struct JobSettings;

inline constexpr std::size_t kCopyFilePathSize = 1024;

extern int copyFile;                          // the current page's copy file, or -1
extern char copyFilePath[kCopyFilePathSize];  // its name

/// ChoosePassesPerPage: sets passesPerPage from copies and collate (1 unless uncollated
/// copies are made). Called at the job's first page.
void ChoosePassesPerPage(const JobSettings& settings);

/// UncollatedCopies: true when collate is off and passesPerPage is above 1.
bool UncollatedCopies(const JobSettings& settings);

/// FormatCopyFileName: "<dir>/<seconds as %08lx><microseconds as %05lx>" into `buffer`,
/// cut to `size` - 2 characters.
void FormatCopyFileName(char* buffer, std::size_t size, const char* dir, long seconds,
                        long microseconds);

/// CreateCopyFile: creates a new, empty copy file (mode 0600, never an existing name) in
/// TMPDIR, or /tmp when TMPDIR is unset, trying up to 1000 names from the time of day.
///   returns: its descriptor, open for reading and writing, or -1.
int CreateCopyFile(char* buffer, std::size_t size);

/// CopyStepBeforePass: pass 0 creates the page's copy file ("ERROR: Unable to create a
/// temporay file" when it cannot); a later pass rewinds it.
void CopyStepBeforePass();

/// CopyStepAfterPass: after the page's last pass, closes and deletes its copy file.
void CopyStepAfterPass();

/// SaveRasterToCopyFile: after pass 0's read, writes the page buffer to the copy file; on a
/// short write reports it, closes and deletes the file, so that only one copy is printed.
void SaveRasterToCopyFile();

/// LoadRasterFromCopyFile: fills the page buffer from the copy file on a later pass.
///   returns: 0; 1 when there is no copy file (silently) or it cannot be read completely
///            ("ERROR: Reading raster data from temporary file failed!").
int LoadRasterFromCopyFile();

}  // namespace velmora
