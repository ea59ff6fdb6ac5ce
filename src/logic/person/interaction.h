#pragma once
// The one way window-free logic talks to the person: the desktop program
// implements it with message boxes and common dialogs, the command-line tool
// with standard error, the tests with a recorder that answers from a script.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbarium {

// Message box styles and answers, with the values Win32 gives them, so the
// desktop program hands them on unchanged.
namespace mb {
inline constexpr unsigned kOk = 0x0000;
inline constexpr unsigned kYesNoCancel = 0x0003;
inline constexpr unsigned kYesNo = 0x0004;
inline constexpr unsigned kIconHand = 0x0010;
inline constexpr unsigned kIconQuestion = 0x0020;
inline constexpr unsigned kIconExclamation = 0x0030;
}  // namespace mb

enum class Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// One line of a file prompt's type list: what the person reads, and the
// wildcard pattern it stands for.
struct FileFilterEntry {
  std::u16string label;
  std::u16string pattern;

  bool operator==(const FileFilterEntry&) const = default;
};
using FileFilter = std::vector<FileFilterEntry>;

class Interaction {
 public:
  virtual ~Interaction() = default;

  // An absent caption is the system's default caption; an empty one is empty.
  virtual Answer messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                            unsigned style) = 0;

  // Ask the person for a file in a modal file dialog: its full path, or empty
  // when the person cancelled. The open prompt offers existing files only; the save prompt
  // asks before it names an existing file. A name typed without an extension
  // gets `defaultExtension`.
  virtual std::u16string askOpenPath(const FileFilter& filter, std::u16string_view defaultExtension) = 0;
  virtual std::u16string askSavePath(const FileFilter& filter, std::u16string_view defaultExtension) = 0;
};

}  // namespace verbarium
