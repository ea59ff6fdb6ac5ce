#include <gtest/gtest.h>

#include "move_journal.h"

namespace verbarium {
namespace {

using cratework::PlannedMove;

constexpr unsigned long kOwner = 4242;

TEST(CrateworkJournal, WhatTheWriterWritesReadsBackTheSame) {
  const std::vector<PlannedMove> moves = {
      {"1000-2000_0_0.dat", "1000-2000_0_0.dat.~4242-1.tmp", "1000-2000_0_0.dat.~4242-1.old"},
      {"1000-2000_0_0.zlib", "1000-2000_0_0.zlib.~4242-2.tmp", ""},
      {"1000-2000_0_1 a.b.dat", "1000-2000_0_1 a.b.dat.~4242-3.tmp", "1000-2000_0_1 a.b.dat.~4242-3.old"},
  };
  const std::string text = cratework::writeJournal(moves);
  EXPECT_EQ(text,
            "cratework moves 1\n"
            "1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp\t1000-2000_0_0.dat.~4242-1.old\n"
            "1000-2000_0_0.zlib\t1000-2000_0_0.zlib.~4242-2.tmp\t-\n"
            "1000-2000_0_1 a.b.dat\t1000-2000_0_1 a.b.dat.~4242-3.tmp\t1000-2000_0_1 a.b.dat.~4242-3.old\n"
            "end 3\n");
  std::vector<PlannedMove> read;
  std::string error;
  ASSERT_TRUE(cratework::readJournal(text, kOwner, read, error)) << error;
  EXPECT_EQ(read, moves);
  EXPECT_EQ(cratework::journalFileName(kOwner), "cratework.~4242.journal");
  EXPECT_EQ(cratework::journalOwner("cratework.~4242.journal"), kOwner);
  for (const char* other : {"cratework.~.journal", "cratework.~04242.journal", "cratework.~4242.journal.tmp",
                            "cratework.~42a.journal", "xcratework.~4242.journal", "cratework.~1234567890.journal"}) {
    EXPECT_FALSE(cratework::journalOwner(other)) << other;
  }
}

// A record is outside input: it may name nothing but the unpack's own files
// of its directory.
TEST(CrateworkJournal, RefusesEverythingTheWriterWouldNotWrite) {
  const std::string head = "cratework moves 1\n";
  auto one = [&](const std::string& line) { return head + line + "\nend 1\n"; };
  const struct {
    const char* label;
    std::string text;
    const char* reason;
  } cases[] = {
      {"empty", "", "does not begin"},
      {"another first line", "cratework moves 2\nend 0\n", "does not begin"},
      {"no end line", head + "1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp\t-\n", "cut short"},
      {"no final line break", head + "end 0", "cut short"},
      {"CR LF", "cratework moves 1\r\nend 0\r\n", "does not begin"},
      {"end count differs", head + "end 1\n", "end does not match"},
      {"bytes after the end", head + "end 0\nx", "end does not match"},
      {"two names", one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp"), "three names"},
      {"four names", one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp\t-\t-"), "backup"},
      {"parent directory", one("../1000-2000_0_0.dat\t../1000-2000_0_0.dat.~4242-1.tmp\t-"), "target"},
      {"slash", one("x/1000-2000_0_0.dat\tx/1000-2000_0_0.dat.~4242-1.tmp\t-"), "target"},
      {"backslash", one("x\\1000-2000_0_0.dat\tx\\1000-2000_0_0.dat.~4242-1.tmp\t-"), "target"},
      {"drive", one("C:1000-2000_0_0.dat\tC:1000-2000_0_0.dat.~4242-1.tmp\t-"), "target"},
      {"not a table", one("readme.txt\treadme.txt.~4242-1.tmp\t-"), "target"},
      {"a baseline table", one("1000-2000_0_0.dat.org\t1000-2000_0_0.dat.org.~4242-1.tmp\t-"), "target"},
      {"staged in another directory", one("1000-2000_0_0.dat\t../1000-2000_0_0.dat.~4242-1.tmp\t-"), "new file"},
      {"staged of another target", one("1000-2000_0_0.dat\t1000-2000_0_1.dat.~4242-1.tmp\t-"), "new file"},
      {"staged of another process", one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4243-1.tmp\t-"), "new file"},
      {"staged with a leading zero", one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-01.tmp\t-"), "new file"},
      {"staged is the target", one("1000-2000_0_0.dat\t1000-2000_0_0.dat\t-"), "new file"},
      {"backup is the target",
       one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp\t1000-2000_0_0.dat"), "backup"},
      {"backup of another serial",
       one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp\t1000-2000_0_0.dat.~4242-2.old"), "backup"},
      {"backup elsewhere",
       one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp\t/tmp/1000-2000_0_0.dat.~4242-1.old"), "backup"},
      {"a target twice but for case",
       head + "1000-2000_0_0a.dat\t1000-2000_0_0a.dat.~4242-1.tmp\t-\n" +
           "1000-2000_0_0A.dat\t1000-2000_0_0A.dat.~4242-2.tmp\t-\nend 2\n",
       "second time"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<PlannedMove> moves;
    std::string error;
    EXPECT_FALSE(cratework::readJournal(c.text, kOwner, moves, error));
    EXPECT_TRUE(moves.empty());
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace verbarium
