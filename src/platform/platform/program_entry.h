#pragma once
// What the command-line programs' entry points share: their arguments as the
// program's UTF-16 strings (from the wide entry point on Windows, from UTF-8
// elsewhere), and their output handed to the standard streams.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/utf.h"

namespace verbarium {

// The arguments without the program name.
template <typename Char>
std::vector<std::u16string> programArguments(int argc, Char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) {
    if constexpr (sizeof(Char) == sizeof(char16_t)) {
      std::basic_string_view<Char> arg(argv[i]);
      args.emplace_back(arg.begin(), arg.end());
    } else {
      args.push_back(fromUtf8(argv[i]));
    }
  }
  return args;
}

// Standard output first, then standard error, each flushed.
inline void writeStandardStreams(std::string_view out, std::string_view err) {
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  std::fflush(stderr);
}

}  // namespace verbarium
