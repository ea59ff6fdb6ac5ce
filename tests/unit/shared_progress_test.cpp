#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "person/shared_progress.h"
#include "platform/utf.h"

namespace verbarium {
namespace {

// What the progress window shows after each report of the work or press of
// the person, in order on one progress.
TEST(SharedProgress, TheWindowShowsTheLastReportUntilCancelAndThenThatItStops) {
  const struct {
    const char* label;
    std::function<void(SharedProgress&)> act;
    ProgressView shown;
  } steps[] = {
      {"nothing yet", [](SharedProgress&) {}, {u"", false, 0, 0, true}},
      {"packer run", [](SharedProgress& p) { p.showBusy(u"cffファイルを展開しています..."); },
       {u"cffファイルを展開しています...", false, 0, 0, true}},
      {"first table", [](SharedProgress& p) { p.showStep(u"1000-2000_1_1.dat", 0, 3); },
       {u"1000-2000_1_1.dat", true, 0, 3, true}},
      {"second table", [](SharedProgress& p) { p.showStep(u"1000-2000_1_2.dat", 1, 3); },
       {u"1000-2000_1_2.dat", true, 1, 3, true}},
      {"busy again: no count", [](SharedProgress& p) { p.showBusy(u"x"); }, {u"x", false, 0, 0, true}},
      {"cancel", [](SharedProgress& p) { p.cancel(); }, {u"中止しています...", false, 0, 0, false}},
      {"a table after cancel still counts", [](SharedProgress& p) { p.showStep(u"1000-2000_1_3.dat", 2, 3); },
       {u"中止しています...", true, 2, 3, false}},
  };
  SharedProgress progress;
  for (const auto& step : steps) {
    step.act(progress);
    EXPECT_EQ(progress.view(), step.shown) << step.label << ": " << toUtf8(progress.view().text);
    EXPECT_EQ(progress.cancelRequested(), !step.shown.cancelEnabled) << step.label;
  }
}

TEST(SharedProgress, TheEndIsSeenFromTheOtherThread) {
  SharedProgress progress;
  EXPECT_FALSE(progress.waitForEnd(std::chrono::milliseconds(0)));
  EXPECT_FALSE(progress.ended());
  std::thread work([&] { progress.finish(); });
  EXPECT_TRUE(progress.waitForEnd(std::chrono::seconds(30)));
  EXPECT_TRUE(progress.ended());
  work.join();
}

}  // namespace
}  // namespace verbarium
