// The packer: the bytes it writes, every archive and move record it refuses,
// and the files of a work directory whatever becomes of a run.

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cratework_commands.h"
#include "move_journal.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace test;

Bytes ascii(std::string_view text) { return Bytes(text.begin(), text.end()); }

const Bytes kOne = hex("12 dd 72 dd  01 00  00 00  01 00 00 00");
const Bytes kTwo = hex("12 dd 72 dd  01 00  00 00  02 00 00 00");
const Bytes kAbcStream = hex("78 9c 73 74 72 06 00 01 8d 00 c7");
constexpr std::string_view kName = "1000-2000_0_0";

// An entry: its fields (by default those of "ABC" under a name of this
// name's length: flags, size, stored size, CRC-32), its name, its stream.
Bytes entry(std::string_view name = kName, std::string_view fields = "", const Bytes& stream = kAbcStream) {
  const Bytes head = fields.empty() ? cat({Bytes{static_cast<std::uint8_t>(name.size()), 0},
                                           hex("00 00  03 00 00 00  0b 00 00 00  48 03 83 a3")})
                                    : hex(fields);
  return cat({head, ascii(name), stream});
}
Bytes one(std::string_view name, std::string_view fields = "", const Bytes& stream = kAbcStream) {
  return cat({kOne, entry(name, fields, stream)});
}

// No process has this id: beyond every Linux pid_max, and far beyond the ids
// Windows hands out.
constexpr unsigned long kGoneProcess = 99999996;
const std::string kGone = std::to_string(kGoneProcess);

// Refused, an unpack or a pack changes no file. A pack's archive may not be
// one of the tables, nor take a table's name where the next pack would take
// it for one; a move record is outside input, and one that names anything
// but an unpack's own files of its directory is not acted on.
TEST(CrateworkArchive, RefusesHostileArchivesAndPacksAndChangesNothing) {
  const std::string record = cratework::journalFileName(kGoneProcess);
  const std::string head = "cratework moves 1\n", t0 = "1000-2000_0_0.dat", s0 = t0 + ".~" + kGone + "-1.tmp";
  const auto left = [&](const std::string& text) { return FileTree{{"work/" + record, ascii(text)}}; };
  const auto move = [&](const std::string& line) { return left(head + line + "\nend 1\n"); };
  const struct {
    const char* label;
    Bytes archive;  // unpacked and tested, unless the directory is packed
    std::string reason;
    const char* packInto = nullptr;
    FileTree extra = {};
  } cases[] = {
      {"wrong signature", hex("12 dd 72 dc 01 00 00 00 00 00 00 00"), "wrong signature"},
      {"archive header cut short", hex("12 dd 72 dd 01 00 00"), "truncated"},
      {"unknown version", hex("12 dd 72 dd 02 00 00 00 00 00 00 00"), "version"},
      {"unknown archive flags", hex("12 dd 72 dd 01 00 01 00 00 00 00 00"), "flags"},
      {"10001 entries", hex("12 dd 72 dd 01 00 00 00 11 27 00 00"), "too many entries"},
      {"10000 entries, the most, promised", hex("12 dd 72 dd 01 00 00 00 10 27 00 00"), "truncated"},
      {"unknown entry flags", one(kName, "0d 00 01 00 03 00 00 00 0b 00 00 00 48 03 83 a3"), "flags"},
      {"65-byte name", one("1000-2000_0_0" + std::string(52, 'x')), "name of 65 bytes"},
      {"64-byte name, the longest, cut short", one(kName, "40 00 00 00 03 00 00 00 0b 00 00 00 48 03 83 a3", {}),
       "truncated"},
      {"parent directory", one("../1000-2000_0_0"), "not a plain table name"},
      {"names differing in case alone", cat({kTwo, entry("1000-2000_0_0a"), entry("1000-2000_0_0A")}), "twice"},
      {"size over the cap", one(kName, "0d 00 00 00 01 00 00 10 0b 00 00 00 48 03 83 a3"), "cap"},
      {"size at the cap", one(kName, "0d 00 00 00 00 00 00 10 0b 00 00 00 48 03 83 a3"), "not the declared 268435456"},
      {"stream longer than any for its size", one(kName, "0d 00 00 00 03 00 00 00 00 01 00 00 48 03 83 a3"),
       "could need"},
      {"stream cut short", one(kName, "", hex("78 9c 73 74")), "truncated"},
      {"bytes after the last entry", cat({one(kName), hex("00")}), "after the last entry"},
      {"CRC mismatch", one(kName, "0d 00 00 00 03 00 00 00 0b 00 00 00 49 03 83 a3"), "CRC mismatch"},
      {"inflates beyond its size", one(kName, "0d 00 00 00 02 00 00 00 0b 00 00 00 48 03 83 a3"), "beyond its"},
      {"inflates short", one(kName, "0d 00 00 00 04 00 00 00 0b 00 00 00 48 03 83 a3"), "not the declared 4"},
      {"corrupt stream (Adler-32)", one(kName, "", hex("78 9c 73 74 72 06 00 01 8d 00 c8")), "corrupt zlib stream"},
      {"ends early", one(kName, "0d 00 00 00 03 00 00 00 08 00 00 00 48 03 83 a3", hex("78 9c 73 74 72 06 00 01")),
       "ends early"},
      {"bytes after the stream",
       one(kName, "0d 00 00 00 03 00 00 00 0c 00 00 00 48 03 83 a3", cat({kAbcStream, hex("00")})),
       "after the end of its zlib stream"},
      {"a sound entry, then a bad one",
       cat({kTwo, entry(), entry("1000-2000_0_1", "0d 00 00 00 03 00 00 00 0b 00 00 00 00 00 00 00")}),
       "CRC mismatch"},
      {"pack into a table", {}, "is the table", "work/../work/1000-2000_0_0.dat"},
      {"pack into a table's name but for case", {}, "named like a table", "work/1000-2000_0_7x.DAT"},
      // A move record a killed unpack left, as the pack finds it.
      {"record with CR LF", {}, "does not begin", "out.cff", left("cratework moves 1\r\nend 0\r\n")},
      {"record without its end line", {}, "cut short", "out.cff", left(head + t0 + "\t" + s0 + "\t-\n")},
      {"record whose end count differs", {}, "end does not match", "out.cff", left(head + "end 1\n")},
      {"record line of two names", {}, "three names", "out.cff", move(t0 + "\t" + s0)},
      {"record naming a file outside", {}, "a target that is not", "out.cff", move("../" + t0 + "\t../" + s0 + "\t-")},
      {"record of another process's new file", {}, "new file", "out.cff", move(t0 + "\t" + t0 + ".~4243-1.tmp\t-")},
      {"record of a backup of another serial", {}, "backup", "out.cff",
       move(t0 + "\t" + s0 + "\t" + t0 + ".~" + kGone + "-2.old")},
      {"record naming a target twice but for case", {}, "second time", "out.cff",
       left(head + "1000-2000_0_0a.dat\t1000-2000_0_0a.dat.~" + kGone + "-1.tmp\t-\n" + "1000-2000_0_0A.dat\t" +
            "1000-2000_0_0A.dat.~" + kGone + "-2.tmp\t-\nend 2\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir root;
    layTree(root.path(), {{"hostile.cff", c.archive}, {"work/1000-2000_0_0.dat", ascii("old")}});
    layTree(root.path(), c.extra);
    const FileTree before = treeOf(root.path());
    cratework::Output output, tested;
    if (c.packInto) {
      EXPECT_EQ(cratework::packDirectory(root.file(u"work"), root.file(fromUtf8(c.packInto)), output),
                cratework::kExitFailed);
    } else {
      EXPECT_EQ(cratework::unpackIntoDirectory(root.file(u"hostile.cff"), root.file(u"work"), output),
                cratework::kExitFailed);
      EXPECT_EQ(cratework::testArchive(root.file(u"hostile.cff"), tested), cratework::kExitFailed);
      EXPECT_NE(tested.err.find(c.reason), std::string::npos) << tested.err;
    }
    EXPECT_NE(output.err.find(c.reason), std::string::npos) << output.err;
    EXPECT_EQ(treeOf(root.path()), before);
  }
}

TEST(CrateworkArchive, PacksTablesInNameOrderToTheDocumentedBytes) {
  TempDir root;
  // Not tables of the directory: a baseline copy, other names, a directory,
  // the archive itself.
  layTree(root.path(), {{"tables/1000-2000_0_0.dat", ascii("ABC")}, {"tables/0999-0000_0_0.dat", {}},
                        {"tables/1000-2000_0_0.dat.org", ascii("org")}, {"tables/readme.dat", ascii("readme")},
                        {"tables/1000-2000_0_0 .dat", ascii("blank")}, {"tables/1000-2000_0_2.dat/", {}}});
  const Bytes expected = cat({kTwo, hex("0d 00  00 00  00 00 00 00  08 00 00 00  00 00 00 00"), ascii("0999-0000_0_0"),
                              hex("78 9c 03 00 00 00 00 01"), entry()});
  cratework::Output output;
  const Path archive = root.file(u"tables/1000-2000_0_0.cff");
  ASSERT_EQ(cratework::packDirectory(root.file(u"tables"), archive, output), cratework::kExitOk) << output.err;
  EXPECT_EQ(toHex(readFileBytes(archive)), toHex(expected));
  ASSERT_EQ(cratework::listArchive(archive, output), cratework::kExitOk);
  EXPECT_NE(output.out.find("1000-2000_0_0                       3           11 a3830348"), std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find("2 entries, 3 bytes"), std::string::npos);

  fs::create_directory(root.path() / "unpacked");
  ASSERT_EQ(cratework::unpackIntoDirectory(archive, root.file(u"unpacked"), output), cratework::kExitOk) << output.err;
  EXPECT_EQ(treeOf(root.path() / "unpacked"),
            (FileTree{{"0999-0000_0_0.dat", {}}, {"0999-0000_0_0.zlib", hex("78 9c 03 00 00 00 00 01")},
                      {"1000-2000_0_0.dat", ascii("ABC")}, {"1000-2000_0_0.zlib", kAbcStream}}));
}

// A killed unpack left its record, its new files and the old files' second
// names, with some moves made: a recovery run puts every old file back and
// removes what killed runs left, here and beside the archive it names. Files
// of other shapes, or of a run still going, stay. The record is the one its
// writer writes, byte for byte.
TEST(CrateworkArchive, ARecoveryRunUndoesAnUnpackKilledAmongItsMoves) {
  const std::string t0 = "1000-2000_0_0.dat", z0 = "1000-2000_0_0.zlib", t1 = "1000-2000_0_1.dat";
  const std::string gone = ".~" + kGone + "-", self = ".~" + std::to_string(currentProcessId()) + "-";
  const std::string record = "cratework moves 1\n" + t0 + "\t" + t0 + gone + "1.tmp\t" + t0 + gone + "1.old\n" +
                             z0 + "\t" + z0 + gone + "2.tmp\t-\n" +
                             t1 + "\t" + t1 + gone + "3.tmp\t" + t1 + gone + "3.old\nend 3\n";
  EXPECT_EQ(cratework::writeJournal({{t0, t0 + gone + "1.tmp", t0 + gone + "1.old"}, {z0, z0 + gone + "2.tmp", ""},
                                     {t1, t1 + gone + "3.tmp", t1 + gone + "3.old"}}),
            record);
  const FileTree kept = {{"notes.txt", ascii("notes")}, {"readme.dat" + gone + "1.tmp", ascii("kept")},
                         {"1000-2000_0_5.dat" + self + "1.tmp", ascii("kept")},
                         {"1000-2000_0_5.dat" + gone + "1.bak", ascii("kept")},
                         {"cratework.~0" + kGone + ".journal", ascii("not a record of ours")}};
  // The first two moves were made, the third not; other killed runs left a
  // backup and a record being written.
  FileTree killed = {{t0, ascii("killed's 0")}, {t0 + gone + "1.old", ascii("old 0")}, {z0, ascii("killed's z0")},
                     {t1 + gone + "3.tmp", ascii("killed's 1")}, {"cratework.~" + kGone + ".journal", ascii(record)},
                     {"1000-2000_0_5.zlib" + gone + "9.old", ascii("stale")},
                     {"cratework.~" + kGone + ".journal" + gone + "8.tmp", ascii("stale")}};
  killed.insert(kept.begin(), kept.end());
  TempDir root;
  const fs::path work = root.path() / "work";
  layTree(work, killed);
  // Not moved yet: the backup is a second name of the old file itself.
  writeFileBytes((work / t1).u16string(), ascii("old 1"));
  fs::create_hard_link(work / t1, work / (t1 + gone + "3.old"));
  const Path killedPack = root.file(u"out.cff.~") + fromUtf8(kGone) + u"-1.tmp";
  writeFileBytes(killedPack, ascii("killed pack"));
  cratework::Output output;
  ASSERT_EQ(cratework::recoverDirectory(work.u16string(), root.file(u"out.cff"), output), cratework::kExitOk)
      << output.err;
  FileTree after = {{t0, ascii("old 0")}, {t1, ascii("old 1")}};
  after.insert(kept.begin(), kept.end());
  EXPECT_EQ(treeOf(work), after);
  EXPECT_FALSE(fileExists(killedPack));
}

#ifndef _WIN32
// A link or a pipe under a table's name is never followed: a pack refuses it
// (a link brings in a file from elsewhere, a pipe would keep it waiting), an
// unpack replaces it and writes nothing through it.
TEST(CrateworkArchive, LinksAndPipesAreNeverFollowed) {
  TempDir root;
  const FileTree tables = {{"1000-2000_0_0.dat", ascii("new 0")}, {"1000-2000_0_2.dat", ascii("new 2")}};
  layTree(root.path() / "source", tables);
  layTree(root.path(), {{"secret.txt", ascii("secret")}, {"work/", {}}});
  cratework::Output output;
  ASSERT_EQ(cratework::packDirectory(root.file(u"source"), root.file(u"new.cff"), output), cratework::kExitOk);
  const fs::path work = root.path() / "work";
  fs::create_symlink(root.path() / "secret.txt", work / "1000-2000_0_0.dat");
  ASSERT_EQ(::mkfifo((work / "1000-2000_0_2.dat").c_str(), 0600), 0);
  EXPECT_EQ(cratework::packDirectory(work.u16string(), root.file(u"out.cff"), output), cratework::kExitFailed);
  EXPECT_NE(output.err.find("is not a regular file"), std::string::npos) << output.err;
  EXPECT_FALSE(fs::exists(root.path() / "out.cff"));
  ASSERT_EQ(cratework::unpackIntoDirectory(root.file(u"new.cff"), work.u16string(), output), cratework::kExitOk)
      << output.err;
  EXPECT_EQ(readFileBytes(root.file(u"secret.txt")), ascii("secret"));
  for (const auto& [name, bytes] : tables) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(work / name))) << name;
    EXPECT_EQ(readFileBytes((work / name).u16string()), bytes) << name;
  }
}
#endif

}  // namespace
}  // namespace verbarium
