#pragma once
// What start-up decides without a window.

#include <string>
#include <string_view>

namespace verbarium {

inline constexpr char16_t kSingleInstanceName[] = u"Verbarium";
inline constexpr char16_t kAlreadyRunning[] = u"Verbarium の多重起動はできません。";

// PATH with the program directory appended, so that the packer beside the
// program is found by every run; an unset PATH gives the separator and the
// directory.
std::u16string extendedSearchPath(std::u16string_view path, std::u16string_view programDirectory,
                                  char16_t separator);

// The settings file exists only after a run that ended normally: until
// then every start opens the baseline setup, if the packer is there to use.
bool shouldOpenBaselineSetup(bool packerPresent, bool settingsFileExists);

}  // namespace verbarium
