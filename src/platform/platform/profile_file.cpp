#include "platform/profile_file.h"

#include "platform/file_system.h"

namespace verbarium {

bool createUnicodeProfileFile(const Path& file) {
  static constexpr std::uint8_t kByteOrderMark[] = {0xFF, 0xFE};
  File output = File::createNew(file);
  if (!output.isOpen()) {
    if (!fileExists(file)) return false;
    output = File::openForReadWrite(file);
    if (!output.isOpen()) return false;
    if (output.size() != 0) return true;
  }
  return output.write(kByteOrderMark, sizeof kByteOrderMark) == static_cast<std::int64_t>(sizeof kByteOrderMark) &&
         output.close();
}

}  // namespace verbarium
