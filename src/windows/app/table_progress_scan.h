#pragma once
// The main window's "Description" column: each listed table's progress,
// measured on a thread of its own so that the list shows at once and fills
// in as the tables are read.

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file.h"

namespace verbarium {

class TableProgressScan {
 public:
  // Posted to the window whenever measured rows wait to be taken.
  static constexpr UINT kRowsMeasured = WM_APP + 40;

  struct MeasuredRow {
    int row = 0;
    std::u16string text;
  };

  TableProgressScan() = default;
  TableProgressScan(const TableProgressScan&) = delete;
  TableProgressScan& operator=(const TableProgressScan&) = delete;
  // Stops the scan and waits for the table being read.
  ~TableProgressScan() { stop(); }

  // Starts over for these tables of `directory`: rows of an earlier scan
  // are no longer handed out.
  void start(HWND window, Path directory, std::vector<Path> tables);
  void stop();
  // The rows measured since the last call, for the window's handler of
  // kRowsMeasured.
  std::vector<MeasuredRow> take();

 private:
  std::jthread thread_;
  std::mutex mutex_;
  std::vector<MeasuredRow> measured_;
};

}  // namespace verbarium
