// Page spool files: "/tmp/ec_tmppage_<pid>_<n>", one per page, numbered from 1 across the
// job (copies included). Spool file 1 starts with the sync word "RaS2"; each file then holds
// its page's header and line records. A page's file is fed into the gzip stream and deleted
// when the next page starts, the last one by EndJob.
//
// Each file is created owner-only with O_CREAT | O_EXCL | O_NOFOLLOW: a name planted in the
// shared /tmp (a link to another file, say) is removed and the file created once more, and
// when that fails too the page fails instead of writing through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace velmora {

struct PageState;

inline constexpr std::size_t kSpoolPathSize = 300;

/// The spool file of the page being spooled: opened by OpenPageSpool, written by the page
/// header and SendRaster, closed by SendRaster.
extern std::FILE* currentSpoolFile;

/// FormatSpoolPath: "/tmp/ec_tmppage_<pid>_<number>" into `buffer` (kSpoolPathSize bytes).
void FormatSpoolPath(char* buffer, std::int32_t number);

/// CreateSpoolFile: creates the spool file `path` for reading and writing, mode 0600.
///   returns: the open stream, or nullptr when the file cannot be created.
std::FILE* CreateSpoolFile(const char* path);

/// OpenPageSpool: the spool half of StartPage. Creates the next spool file as
/// currentSpoolFile; for page 1 writes "RaS2", otherwise feeds the previous spool file into
/// the gzip stream and deletes it.
///   returns: 0 to go on with the page; 1 when the spool file cannot be created (the counter
///            is left unchanged, so the previous page is still fed at the end of the job);
///            2 when writing "RaS2" failed (the page gets no header).
int OpenPageSpool(PageState* state);

/// FinishSpoolStream: the stream half of EndJob. Feeds the last spool file with the finish
/// flag set, which ends the gzip stream, releases the stream and deletes the file. Without
/// a spool file the stream is ended all the same.
void FinishSpoolStream(PageState* state);

/// CloseCurrentSpoolFile: closes currentSpoolFile if it is open.
void CloseCurrentSpoolFile();

/// RemoveSpoolFiles: deletes the spool files the job may still have (the current and the
/// previous one); used when the process has to end at once.
void RemoveSpoolFiles();

}  // namespace velmora
