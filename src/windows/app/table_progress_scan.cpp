#include "app/table_progress_scan.h"

#include <utility>

#include "workbench/progress.h"

namespace verbarium {

void TableProgressScan::start(HWND window, Path directory, std::vector<Path> tables) {
  stop();
  thread_ = std::jthread([this, window, directory = std::move(directory),
                          tables = std::move(tables)](std::stop_token stop) {
    for (std::size_t row = 0; row < tables.size() && !stop.stop_requested(); ++row) {
      std::u16string text = progressDescription(directory, tables[row]);
      std::lock_guard lock(mutex_);
      // A scan that was stopped hands out nothing more.
      if (stop.stop_requested()) return;
      measured_.push_back({static_cast<int>(row), std::move(text)});
      if (measured_.size() == 1) ::PostMessageW(window, kRowsMeasured, 0, 0);
    }
  });
}

void TableProgressScan::stop() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
  std::lock_guard lock(mutex_);
  measured_.clear();
}

std::vector<TableProgressScan::MeasuredRow> TableProgressScan::take() {
  std::lock_guard lock(mutex_);
  return std::exchange(measured_, {});
}

}  // namespace verbarium
