// verbarium-demo DIR: writes the demo workspace's 21 tables into DIR.

#include <cstdio>
#include <string>

#include "demo_texts.h"
#include "formats/dat_file.h"
#include "platform/utf.h"

namespace {

int writeDemoTables(const std::u16string& dir) {
  int written = 0;
  for (const auto& demo : verbarium::demo::makeDemoTables()) {
    std::u16string path = dir + u"/" + demo.fileName;
    if (verbarium::saveTextTableFile(path, demo.table) != verbarium::TableSaveResult::Saved) {
      std::fprintf(stderr, "verbarium-demo: cannot write %s\n", verbarium::toUtf8(path).c_str());
      return 1;
    }
    ++written;
  }
  std::printf("verbarium-demo: %d tables written\n", written);
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: verbarium-demo DIR\n");
    return 2;
  }
  std::wstring_view dir(argv[1]);
  return writeDemoTables(std::u16string(dir.begin(), dir.end()));
}
#else
int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: verbarium-demo DIR\n");
    return 2;
  }
  return writeDemoTables(verbarium::fromUtf8(argv[1]));
}
#endif
