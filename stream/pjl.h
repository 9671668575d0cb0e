// PJL job header and trailer around the gzip stream.
//
// Every literal is written byte for byte, lines end in LF only. The job's attributes come
// from the environment ("PASSWORD", "OWNER", "TITLE", "OUTPUTTRAY"; unset and empty are the
// same) and are read afresh at each use. The submitter's values are written with every
// control byte (0x00 to 0x1F, 0x7F) replaced by a blank and, inside quotes, every double
// quote by an apostrophe, so a value can neither add PJL commands nor end its quotes early.
#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

struct JobSettings;

/// WriteOutput: writes `length` bytes at `data` to the printer stream as one item.
///   returns: 1 when written (or when length is 0, which writes nothing), 0 otherwise.
int WriteOutput(const void* data, std::size_t length);

/// WritePjlHeader: the job header, from the universal exit to "@PJL ENTER LANGUAGE=PWGRASTER".
void WritePjlHeader(const JobSettings& settings);

/// WritePjlTrailer: UEL, "@PJL EOJ NAME=..." when TITLE is present, UEL, LF.
void WritePjlTrailer();

/// The paper name line written after "@PJL SET PAPER=" for a paper code ("LETTER\n" for
/// codes that no page size has).
std::string_view PjlPaperName(int paperSize);

/// The media name line written after "@PJL SET MEDIATYPE=" ("REGULAR\n" by default).
std::string_view PjlMediaName(int mediaType);

/// The tray line written after "@PJL SET SOURCETRAY=" ("AUTO\n" by default); Manual (7)
/// has none and gives an empty view.
std::string_view PjlSourceTray(int inputSlot);

}  // namespace velmora
