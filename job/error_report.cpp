// Error reporter. The colon stands after the name for codes 7 and 8 ("%s: "), before a blank
// for codes 1, 2, 6, 11 and 12 ("%s :"); codes 13 and 14 are silent.
#include "job/error_report.h"

#include <array>
#include <cstdio>

namespace velmora {
namespace {

// Each named form is "Error: " + name + its suffix; the unnamed form is a whole line.
struct Message {
  const char* namedSuffix;  // nullptr: the code has no named form
  const char* unnamed;      // nullptr: the code is always named
};

constexpr std::array<Message, 13> kMessages = {{
    {nullptr, nullptr},  // 0: no message
    {" :cannot open file !!\n", "Error: cannot open file !!\n"},
    {" :invalid option !!\n", "Error: invalid option !!\n"},
    {nullptr, "Error: exception handling !!\n"},
    {nullptr, "Error: section not found !!\n"},
    {nullptr, "Error: invalid printer name at rc-file !!\n"},
    {" :invalid format found in paperinf !!\n", nullptr},
    {": paper info not found in paperinf !!\n", nullptr},
    {": this model is not supported !!\n", nullptr},
    {nullptr, "Error: memory allocation failed !!\n"},
    {nullptr, "Error: error occurred at print phase !!\n"},
    {" :prohibited item is selected !!\n", "Error: prohibited item is selected !!\n"},
    {" :out of setting range !!\n", "Error: out of setting range !!\n"},
}};

}  // namespace

unsigned ReportError(unsigned code, const char* name) {
  if (code == 0 || code >= kMessages.size()) return code;
  const Message& message = kMessages[code];
  const bool named =
      message.namedSuffix != nullptr && (name != nullptr || message.unnamed == nullptr);
  if (named) {
    // Codes 6, 7 and 8 are always called with a name; an absent one prints as empty.
    std::fprintf(stderr, "Error: %s%s", name != nullptr ? name : "", message.namedSuffix);
  } else {
    std::fprintf(stderr, "%s", message.unnamed);
  }
  return code;
}

}  // namespace velmora
