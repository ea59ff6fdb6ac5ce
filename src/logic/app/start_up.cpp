#include "app/start_up.h"

namespace verbarium {

std::u16string extendedSearchPath(std::u16string_view path, std::u16string_view programDirectory,
                                  char16_t separator) {
  std::u16string extended(path);
  extended += separator;
  extended += programDirectory;
  return extended;
}

bool shouldOpenBaselineSetup(bool packerPresent, bool settingsFileExists) {
  return packerPresent && !settingsFileExists;
}

}  // namespace verbarium
