#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cratework_commands.h"
#include "move_journal.h"
#include "platform/file_system.h"
#include "platform/product_version.h"
#include "platform/utf.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

Bytes ascii(std::string_view text) { return Bytes(text.begin(), text.end()); }

// One entry "1000-2000_0_0" holding "ABC", as the packer writes it.
const Bytes kOneEntryHeader = hex("12 dd 72 dd  01 00  00 00  01 00 00 00");
const Bytes kAbcFields = hex("0d 00  00 00  03 00 00 00  0b 00 00 00  48 03 83 a3");
const Bytes kAbcStream = hex("78 9c 73 74 72 06 00 01 8d 00 c7");
const Bytes kAbcEntry = cat({kAbcFields, ascii("1000-2000_0_0"), kAbcStream});
// Header fields of an entry holding "ABC" under a name of the given length.
Bytes abcFieldsFor(std::uint8_t nameLength) {
  return cat({Bytes{nameLength, 0x00}, hex("00 00  03 00 00 00  0b 00 00 00  48 03 83 a3")});
}

std::set<std::string> everythingUnder(const std::filesystem::path& root) {
  std::set<std::string> found;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    found.insert(std::filesystem::relative(item.path(), root).generic_string());
  }
  return found;
}

TEST(CrateworkArchive, RefusesHostileArchivesAndChangesNothing) {
  const struct {
    const char* label;
    Bytes archive;
    const char* reason;
  } cases[] = {
      {"wrong signature", hex("12 dd 72 dc 01 00 00 00 00 00 00 00"), "wrong signature"},
      {"three bytes", hex("12 dd 72"), "wrong signature"},
      {"archive header cut short", hex("12 dd 72 dd 01 00 00"), "truncated"},
      {"unknown version", hex("12 dd 72 dd 02 00 00 00 00 00 00 00"), "version"},
      {"unknown archive flags", hex("12 dd 72 dd 01 00 01 00 00 00 00 00"), "flags"},
      {"10001 entries", hex("12 dd 72 dd 01 00 00 00 11 27 00 00"), "too many entries"},
      {"10000 entries, the most, promised", hex("12 dd 72 dd 01 00 00 00 10 27 00 00"), "truncated"},
      {"entry header cut short", cat({kOneEntryHeader, hex("0d 00 00 00 03")}), "truncated"},
      {"name cut short", cat({kOneEntryHeader, kAbcFields, ascii("1000")}), "truncated"},
      {"stream cut short", cat({kOneEntryHeader, kAbcFields, ascii("1000-2000_0_0"), hex("78 9c 73 74")}),
       "truncated"},
      {"a second entry promised", cat({hex("12 dd 72 dd 01 00 00 00 02 00 00 00"), kAbcEntry}), "truncated"},
      {"bytes after the last entry", cat({kOneEntryHeader, kAbcEntry, hex("00")}), "after the last entry"},
      {"unknown entry flags",
       cat({kOneEntryHeader, hex("0d 00 01 00 03 00 00 00 0b 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "flags"},
      {"empty name", cat({kOneEntryHeader, abcFieldsFor(0), kAbcStream}), "name of 0 bytes"},
      {"parent directory", cat({kOneEntryHeader, abcFieldsFor(16), ascii("../1000-2000_0_0"), kAbcStream}),
       "not a plain table name"},
      {"slash", cat({kOneEntryHeader, abcFieldsFor(15), ascii("1000-2000_0_0/x"), kAbcStream}),
       "not a plain table name"},
      {"backslash", cat({kOneEntryHeader, abcFieldsFor(15), ascii("1000-2000_0_0\\x"), kAbcStream}),
       "not a plain table name"},
      {"two dots", cat({kOneEntryHeader, abcFieldsFor(16), ascii("1000-2000_0_0..x"), kAbcStream}),
       "not a plain table name"},
      {"drive letter", cat({kOneEntryHeader, abcFieldsFor(15), ascii("C:1000-2000_0_0"), kAbcStream}),
       "not a plain table name"},
      {"stream name", cat({kOneEntryHeader, abcFieldsFor(15), ascii("1000-2000_0_0:s"), kAbcStream}),
       "not a plain table name"},
      {"device CON", cat({kOneEntryHeader, abcFieldsFor(3), ascii("CON"), kAbcStream}), "not a plain table name"},
      {"device NUL", cat({kOneEntryHeader, abcFieldsFor(3), ascii("NUL"), kAbcStream}), "not a plain table name"},
      {"control character", cat({kOneEntryHeader, abcFieldsFor(14), ascii("1000-2000_0_0\x01"), kAbcStream}),
       "not a plain table name"},
      {"final dot", cat({kOneEntryHeader, abcFieldsFor(14), ascii("1000-2000_0_0."), kAbcStream}),
       "not a plain table name"},
      {"65-byte name", cat({kOneEntryHeader, abcFieldsFor(65), ascii("1000-2000_0_0"), Bytes(52, 'x'), kAbcStream}),
       "name of 65 bytes"},
      {"64-byte name, the longest, cut short", cat({kOneEntryHeader, abcFieldsFor(64), ascii("1000-2000_0_0")}),
       "truncated"},
      {"names differing in case alone",
       cat({hex("12 dd 72 dd 01 00 00 00 02 00 00 00"), abcFieldsFor(14), ascii("1000-2000_0_0a"), kAbcStream,
            abcFieldsFor(14), ascii("1000-2000_0_0A"), kAbcStream}),
       "twice"},
      {"size over the cap",
       cat({kOneEntryHeader, hex("0d 00 00 00 01 00 00 10 0b 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "cap"},
      {"size at the cap",
       cat({kOneEntryHeader, hex("0d 00 00 00 00 00 00 10 0b 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "not the declared 268435456"},
      {"stream longer than any for its size",
       cat({kOneEntryHeader, hex("0d 00 00 00 03 00 00 00 00 01 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "could need"},
      {"CRC mismatch",
       cat({kOneEntryHeader, hex("0d 00 00 00 03 00 00 00 0b 00 00 00 49 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "CRC mismatch"},
      {"inflates beyond its size",
       cat({kOneEntryHeader, hex("0d 00 00 00 02 00 00 00 0b 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "beyond its declared size"},
      {"inflates short of its size",
       cat({kOneEntryHeader, hex("0d 00 00 00 04 00 00 00 0b 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "not the declared 4"},
      {"corrupt stream (Adler-32)",
       cat({kOneEntryHeader, kAbcFields, ascii("1000-2000_0_0"), hex("78 9c 73 74 72 06 00 01 8d 00 c8")}),
       "corrupt zlib stream"},
      {"stream ends early",
       cat({kOneEntryHeader, hex("0d 00 00 00 03 00 00 00 08 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            hex("78 9c 73 74 72 06 00 01")}),
       "ends early"},
      {"bytes after the stream",
       cat({kOneEntryHeader, hex("0d 00 00 00 03 00 00 00 0c 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream, hex("00")}),
       "after the end of its zlib stream"},
      {"a sound entry, then a bad one",
       cat({hex("12 dd 72 dd 01 00 00 00 02 00 00 00"), kAbcEntry,
            hex("0d 00 00 00 03 00 00 00 0b 00 00 00 00 00 00 00"), ascii("1000-2000_0_1"), kAbcStream}),
       "CRC mismatch"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    test::TempDir root;
    std::filesystem::create_directory(root.path() / "work");
    const auto work = root.file(u"work");
    const auto archive = root.file(u"hostile.cff");
    const Bytes oldTable = hex("6f 6c 64");
    test::writeFileBytes(work + u"/1000-2000_0_0.dat", oldTable);
    test::writeFileBytes(archive, c.archive);

    cratework::Output unpacked;
    EXPECT_EQ(cratework::unpackIntoDirectory(archive, work, unpacked), cratework::kExitFailed);
    EXPECT_NE(unpacked.err.find(c.reason), std::string::npos) << unpacked.err;
    EXPECT_EQ(everythingUnder(root.path()),
              (std::set<std::string>{"hostile.cff", "work", "work/1000-2000_0_0.dat"}));
    EXPECT_EQ(test::readFileBytes(work + u"/1000-2000_0_0.dat"), oldTable);

    cratework::Output tested;
    EXPECT_EQ(cratework::testArchive(archive, tested), cratework::kExitFailed);
    EXPECT_NE(tested.err.find(c.reason), std::string::npos) << tested.err;
  }
}

TEST(CrateworkArchive, PacksTablesInNameOrderToTheDocumentedBytes) {
  test::TempDir root;
  std::filesystem::create_directory(root.path() / "tables");
  const auto tables = root.file(u"tables");
  test::writeFileBytes(tables + u"/1000-2000_0_0.dat", ascii("ABC"));
  test::writeFileBytes(tables + u"/0999-0000_0_0.dat", {});
  // Not tables of the directory: a baseline copy, other names, a directory.
  test::writeFileBytes(tables + u"/1000-2000_0_0.dat.org", ascii("org"));
  test::writeFileBytes(tables + u"/readme.dat", ascii("readme"));
  test::writeFileBytes(tables + u"/1000-2000_0_0 .dat", ascii("blank"));
  std::filesystem::create_directory(root.path() / "tables" / "1000-2000_0_2.dat");

  const auto archive = root.file(u"out.cff");
  cratework::Output packed;
  ASSERT_EQ(cratework::packDirectory(tables, archive, packed), cratework::kExitOk) << packed.err;
  const Bytes expected = cat({hex("12 dd 72 dd  01 00  00 00  02 00 00 00"),
                              hex("0d 00  00 00  00 00 00 00  08 00 00 00  00 00 00 00"), ascii("0999-0000_0_0"),
                              hex("78 9c 03 00 00 00 00 01"), kAbcEntry});
  EXPECT_EQ(test::toHex(test::readFileBytes(archive)), test::toHex(expected));

  const auto again = root.file(u"again.cff");
  ASSERT_EQ(cratework::packDirectory(tables, again, packed), cratework::kExitOk);
  EXPECT_EQ(test::readFileBytes(again), expected);

  cratework::Output listed;
  ASSERT_EQ(cratework::listArchive(archive, listed), cratework::kExitOk);
  EXPECT_NE(listed.out.find("1000-2000_0_0                       3           11 a3830348"), std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("2 entries, 3 bytes"), std::string::npos);

  std::filesystem::create_directory(root.path() / "unpacked");
  const auto unpacked = root.file(u"unpacked");
  cratework::Output done;
  ASSERT_EQ(cratework::unpackIntoDirectory(archive, unpacked, done), cratework::kExitOk) << done.err;
  EXPECT_EQ(test::readFileBytes(unpacked + u"/1000-2000_0_0.dat"), ascii("ABC"));
  EXPECT_EQ(test::readFileBytes(unpacked + u"/1000-2000_0_0.zlib"), kAbcStream);
  EXPECT_EQ(test::readFileBytes(unpacked + u"/0999-0000_0_0.dat"), Bytes{});
  EXPECT_EQ(everythingUnder(root.path() / "unpacked"),
            (std::set<std::string>{"0999-0000_0_0.dat", "0999-0000_0_0.zlib", "1000-2000_0_0.dat",
                                   "1000-2000_0_0.zlib"}));
}

TEST(CrateworkArchive, AnEmptyDirectoryDoesNotWipeTheArchive) {
  test::TempDir root;
  const auto archive = root.file(u"kept.cff");
  test::writeFileBytes(archive, cat({kOneEntryHeader, kAbcEntry}));
  test::writeFileBytes(root.file(u"notes.txt"), ascii("no tables here"));
  cratework::Output output;
  EXPECT_EQ(cratework::packDirectory(root.pathText(), archive, output), cratework::kExitFailed);
  EXPECT_NE(output.err.find("no tables"), std::string::npos);
  EXPECT_EQ(test::readFileBytes(archive), cat({kOneEntryHeader, kAbcEntry}));
  EXPECT_EQ(everythingUnder(root.path()), (std::set<std::string>{"kept.cff", "notes.txt"}));
}

TEST(CrateworkArchive, CommandLineUsage) {
  const std::string version = "cratework " + std::string(kProductVersion) + "\n";
  const struct {
    std::vector<std::u16string> args;
    int code;
    std::string out;
  } cases[] = {
      {{}, cratework::kExitUsage, ""},
      {{u"u"}, cratework::kExitUsage, ""},
      {{u"x", u"a.cff"}, cratework::kExitUsage, ""},
      {{u"up", u"a.cff"}, cratework::kExitUsage, ""},
      {{u"u", u"a.cff", u"b"}, cratework::kExitUsage, ""},
      {{u"--version"}, cratework::kExitOk, version},
      {{u"--version", u"a.cff"}, cratework::kExitUsage, ""},
      {{u"-version"}, cratework::kExitUsage, ""},
      // A recovery run needs no archive, and may name one.
      {{u"r"}, cratework::kExitOk, ""},
      {{u"r", u"a.cff"}, cratework::kExitOk, ""},
      {{u"r", u"a.cff", u"b"}, cratework::kExitUsage, ""},
  };
  for (const auto& c : cases) {
    cratework::Output output;
    EXPECT_EQ(cratework::runCratework(c.args, output), c.code) << output.err;
    EXPECT_EQ(output.out, c.out);
    EXPECT_EQ(output.err.find("usage") != std::string::npos, c.code == cratework::kExitUsage) << output.err;
  }
}

namespace fs = std::filesystem;

// No process has this id: beyond every Linux pid_max, and far beyond the ids
// Windows hands out.
constexpr unsigned long kGoneProcess = 99999996;
const std::string kGone = std::to_string(kGoneProcess);

using Files = std::map<std::string, Bytes>;


void writeFiles(const fs::path& directory, const Files& files) {
  fs::create_directories(directory);
  for (const auto& [name, bytes] : files) test::writeFileBytes((directory / name).u16string(), bytes);
}

// Every regular file of the directory with its bytes, and "<dir>" for a directory.
Files filesIn(const fs::path& directory) {
  Files found;
  for (const auto& item : fs::directory_iterator(directory)) {
    const std::string name = item.path().filename().string();
    found[name] = fs::is_directory(item.symlink_status()) ? ascii("<dir>") : test::readFileBytes(item.path().u16string());
  }
  return found;
}

// The archive that the packer makes of these tables.
void packTables(const test::TempDir& root, const Files& tables, const std::u16string& archive) {
  const fs::path source = root.path() / "source";
  fs::remove_all(source);
  writeFiles(source, tables);
  cratework::Output output;
  ASSERT_EQ(cratework::packDirectory(source.u16string(), archive, output), cratework::kExitOk) << output.err;
  fs::remove_all(source);
}

const Files kNewTables = {{"1000-2000_0_0.dat", ascii("new 0")},
                          {"1000-2000_0_1.dat", ascii("new 1")},
                          {"1000-2000_0_2.dat", ascii("new 2")}};

// Every move but one is made, then that one fails (a directory stands where
// it goes, or on Windows another program holds the old file): the moves made
// are undone, and every file is as it was.
TEST(CrateworkArchive, AMoveThatFailsPutsBackEveryFileItReplaced) {
  const Files old = {{"1000-2000_0_0.dat", ascii("old 0")}, {"1000-2000_0_0.zlib", ascii("old z0")},
                     {"1000-2000_0_1.dat", ascii("old 1")}, {"1000-2000_0_2.dat", ascii("old 2")},
                     {"1000-2000_0_2.zlib", ascii("old z2")}, {"notes.txt", ascii("notes")}};
  const struct {
    const char* blocked;  // a directory of this name
    std::vector<std::string> absent;  // of the old files, these were not there
    bool heldOpen = false;  // instead, the old file is held open without leave to delete it
  } cases[] = {
      {"1000-2000_0_0.dat", {}},
      {"1000-2000_0_1.zlib", {}},
      {"1000-2000_0_2.dat", {}},
      {"1000-2000_0_2.zlib", {}},
      {"1000-2000_0_2.zlib", {"1000-2000_0_0.dat", "1000-2000_0_0.zlib"}},
#ifdef _WIN32
      {"1000-2000_0_1.dat", {}, true},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blocked);
    test::TempDir root;
    const auto archive = root.file(u"new.cff");
    packTables(root, kNewTables, archive);
    const fs::path work = root.path() / "work";
    Files before = old;
    for (const auto& name : c.absent) before.erase(name);
    if (!c.heldOpen) before.erase(c.blocked);
    writeFiles(work, before);
    File holder;
    if (c.heldOpen) {
      holder = File::openForReading((work / c.blocked).u16string());
    } else {
      fs::create_directories(work / c.blocked / "inside");
      before[c.blocked] = ascii("<dir>");
    }

    cratework::Output output;
    EXPECT_EQ(cratework::unpackIntoDirectory(archive, work.u16string(), output), cratework::kExitFailed);
    EXPECT_NE(output.err.find("cannot move " + std::string(c.blocked) + " into place"), std::string::npos)
        << output.err;
    EXPECT_NE(output.err.find("every file is as it was"), std::string::npos) << output.err;
    Files after = filesIn(work);
    if (c.heldOpen) {
      // Its second name cannot go while the file is held; a later run removes it.
      std::erase_if(after, [&](const auto& file) { return file.first.starts_with(std::string(c.blocked) + ".~"); });
    }
    EXPECT_EQ(after, before);
  }
}

// A killed unpack left its record, its new files and the old files' second
// names, with some moves made: the next run in that directory puts every old
// file back before it does its own work, and so does a recovery run alone,
// which also removes a killed pack's temporary file beside the archive it
// names.
TEST(CrateworkArchive, TheNextRunUndoesAnUnpackKilledAmongItsMoves) {
  const auto staged = [](const std::string& target, int serial) {
    return target + ".~" + kGone + "-" + std::to_string(serial) + ".tmp";
  };
  const auto backup = [](const std::string& target, int serial) {
    return target + ".~" + kGone + "-" + std::to_string(serial) + ".old";
  };
  const std::vector<cratework::PlannedMove> moves = {
      {"1000-2000_0_0.dat", staged("1000-2000_0_0.dat", 1), backup("1000-2000_0_0.dat", 1)},
      {"1000-2000_0_0.zlib", staged("1000-2000_0_0.zlib", 2), ""},
      {"1000-2000_0_1.dat", staged("1000-2000_0_1.dat", 3), backup("1000-2000_0_1.dat", 3)},
      {"1000-2000_0_1.zlib", staged("1000-2000_0_1.zlib", 4), ""},
  };
  // The first two moves were made, the last two not.
  const Files killed = {
      {"1000-2000_0_0.dat", ascii("killed's 0")},
      {backup("1000-2000_0_0.dat", 1), ascii("old 0")},
      {"1000-2000_0_0.zlib", ascii("killed's z0")},
      {staged("1000-2000_0_1.dat", 3), ascii("killed's 1")},
      {staged("1000-2000_0_1.zlib", 4), ascii("killed's z1")},
      {cratework::journalFileName(kGoneProcess), ascii(cratework::writeJournal(moves))},
      // Left by other killed runs: a new file, a backup, a record being written.
      {staged("1000-2000_0_5.dat", 9), ascii("stale")},
      {backup("1000-2000_0_5.zlib", 9), ascii("stale")},
      {staged(cratework::journalFileName(kGoneProcess), 8), ascii("stale")},
      {"notes.txt", ascii("notes")},
  };
  // Not of a killed run's shapes, or of a run still going: kept.
  const std::string self = std::to_string(verbarium::currentProcessId());
  const Files kept = {{"readme.dat.~" + kGone + "-1.tmp", ascii("kept")},
                      {"1000-2000_0_5.dat.~" + self + "-1.tmp", ascii("kept")},
                      {"1000-2000_0_5.dat.~" + kGone + "-1.bak", ascii("kept")}};

  for (const char command : {'p', 'u', 'r'}) {
    SCOPED_TRACE(command);
    test::TempDir root;
    const fs::path work = root.path() / "work";
    writeFiles(work, killed);
    writeFiles(work, kept);
    // Not moved yet: the backup is a second name of the old file itself.
    test::writeFileBytes((work / "1000-2000_0_1.dat").u16string(), ascii("old 1"));
    fs::create_hard_link(work / "1000-2000_0_1.dat", work / backup("1000-2000_0_1.dat", 3));

    Files after = {{"1000-2000_0_0.dat", ascii("old 0")}, {"1000-2000_0_1.dat", ascii("old 1")},
                   {"notes.txt", ascii("notes")}};
    after.insert(kept.begin(), kept.end());
    cratework::Output output;
    const auto archive = root.file(u"out.cff");
    if (command == 'p') {
      ASSERT_EQ(cratework::packDirectory(work.u16string(), archive, output), cratework::kExitOk) << output.err;
      fs::create_directories(root.path() / "check");
      ASSERT_EQ(cratework::unpackIntoDirectory(archive, root.file(u"check"), output), cratework::kExitOk);
      EXPECT_EQ(test::readFileBytes(root.file(u"check/1000-2000_0_0.dat")), ascii("old 0"));
      EXPECT_EQ(test::readFileBytes(root.file(u"check/1000-2000_0_1.dat")), ascii("old 1"));
    } else if (command == 'r') {
      const auto killedPack = archive + u".~" + fromUtf8(kGone) + u"-1.tmp";
      test::writeFileBytes(killedPack, ascii("killed pack"));
      ASSERT_EQ(cratework::recoverDirectory(work.u16string(), archive, output), cratework::kExitOk) << output.err;
      EXPECT_FALSE(fileExists(killedPack));
    } else {
      packTables(root, {{"1000-2000_0_9.dat", ascii("new 9")}}, archive);
      ASSERT_EQ(cratework::unpackIntoDirectory(archive, work.u16string(), output), cratework::kExitOk) << output.err;
      after["1000-2000_0_9.dat"] = ascii("new 9");
      after["1000-2000_0_9.zlib"] = test::readFileBytes((work / "1000-2000_0_9.zlib").u16string());
    }
    EXPECT_EQ(filesIn(work), after);
  }
}

// A record that names anything but the unpack's own files is not acted on:
// the run is refused and the directory left alone.
TEST(CrateworkArchive, ARecordThatCannotBeReadStopsTheRun) {
  test::TempDir root;
  const fs::path work = root.path() / "work";
  const std::string record = cratework::journalFileName(kGoneProcess);
  const Files files = {
      {"1000-2000_0_0.dat", ascii("table")},
      {record, ascii("cratework moves 1\n../1000-2000_0_0.dat\t../1000-2000_0_0.dat.~" + kGone + "-1.tmp\t-\nend 1\n")},
  };
  writeFiles(work, files);
  cratework::Output output;
  EXPECT_EQ(cratework::packDirectory(work.u16string(), root.file(u"out.cff"), output), cratework::kExitFailed);
  EXPECT_NE(output.err.find("cannot undo the interrupted unpack recorded in " + record), std::string::npos)
      << output.err;
  EXPECT_EQ(filesIn(work), files);
  EXPECT_FALSE(fs::exists(root.path() / "out.cff"));
}

// The archive may not replace a table it packs, nor take a table's name in
// the work directory, where the next pack would take it for a table.
TEST(CrateworkArchive, TheArchiveIsNeverOneOfTheTables) {
  const struct {
    const char* label;
    std::u16string archive;  // relative to the test's root
    const char* reason;
  } cases[] = {
      {"a table", u"work/1000-2000_0_0.dat", "is the table \"1000-2000_0_0.dat\" itself"},
      {"a table by another path", u"work/../work/./1000-2000_0_0.dat", "is the table"},
      {"a second name of a table", u"elsewhere/linked.cff", "is the table \"1000-2000_0_0.dat\" itself"},
      {"a table's name, not yet there", u"work/1000-2000_0_7.dat", "named like a table"},
      {"a table's name but for case", u"work/1000-2000_0_7x.DAT", "named like a table"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    test::TempDir root;
    const Files tables = {{"1000-2000_0_0.dat", ascii("table 0")}, {"1000-2000_0_1.dat", ascii("table 1")}};
    writeFiles(root.path() / "work", tables);
    fs::create_directories(root.path() / "elsewhere");
    fs::create_hard_link(root.path() / "work" / "1000-2000_0_0.dat", root.path() / "elsewhere" / "linked.cff");

    cratework::Output output;
    EXPECT_EQ(cratework::packDirectory(root.file(u"work"), root.file(c.archive), output), cratework::kExitFailed);
    EXPECT_NE(output.err.find(c.reason), std::string::npos) << output.err;
    EXPECT_EQ(filesIn(root.path() / "work"), tables);
  }
  test::TempDir root;
  writeFiles(root.path() / "work", {{"1000-2000_0_0.dat", ascii("table 0")}});
  cratework::Output output;
  EXPECT_EQ(cratework::packDirectory(root.file(u"work"), root.file(u"work/1000-2000_0_0.cff"), output),
            cratework::kExitOk)
      << output.err;
}

#ifndef _WIN32
// Only regular files of the work directory are packed: a link would bring in
// a file from elsewhere, and a pipe would keep the packer waiting forever.
TEST(CrateworkArchive, PacksOnlyRegularFiles) {
  const struct {
    const char* label;
    void (*plant)(const fs::path& work, const fs::path& outside);
  } cases[] = {
      {"link to a file elsewhere", [](const fs::path& work, const fs::path& outside) {
         fs::create_symlink(outside, work / "1000-2000_0_1.dat");
       }},
      {"link to a table", [](const fs::path& work, const fs::path&) {
         fs::create_symlink(work / "1000-2000_0_0.dat", work / "1000-2000_0_1.dat");
       }},
      {"pipe", [](const fs::path& work, const fs::path&) {
         ASSERT_EQ(::mkfifo((work / "1000-2000_0_1.dat").c_str(), 0600), 0);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    test::TempDir root;
    const fs::path work = root.path() / "work";
    writeFiles(work, {{"1000-2000_0_0.dat", ascii("table")}});
    test::writeFileBytes(root.file(u"secret.txt"), ascii("secret"));
    c.plant(work, root.path() / "secret.txt");
    cratework::Output output;
    EXPECT_EQ(cratework::packDirectory(work.u16string(), root.file(u"out.cff"), output), cratework::kExitFailed);
    EXPECT_NE(output.err.find("\"1000-2000_0_1.dat\" is not a regular file"), std::string::npos) << output.err;
    EXPECT_FALSE(fs::exists(root.path() / "out.cff"));
  }
}

// A link or a pipe planted under a table's name is replaced itself; nothing
// is written through it.
TEST(CrateworkArchive, UnpackReplacesALinkOrPipeNotWhatItLeadsTo) {
  test::TempDir root;
  const auto archive = root.file(u"new.cff");
  packTables(root, kNewTables, archive);
  const fs::path work = root.path() / "work";
  fs::create_directories(work);
  test::writeFileBytes(root.file(u"secret.txt"), ascii("secret"));
  fs::create_symlink(root.path() / "secret.txt", work / "1000-2000_0_0.dat");
  fs::create_symlink(root.path() / "nowhere.txt", work / "1000-2000_0_1.zlib");
  ASSERT_EQ(::mkfifo((work / "1000-2000_0_2.dat").c_str(), 0600), 0);

  cratework::Output output;
  ASSERT_EQ(cratework::unpackIntoDirectory(archive, work.u16string(), output), cratework::kExitOk) << output.err;
  EXPECT_EQ(test::readFileBytes(root.file(u"secret.txt")), ascii("secret"));
  EXPECT_FALSE(fs::exists(root.path() / "nowhere.txt"));
  for (const auto& [name, bytes] : kNewTables) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(work / name))) << name;
    EXPECT_EQ(test::readFileBytes((work / name).u16string()), bytes) << name;
  }
}
#endif

}  // namespace
}  // namespace verbarium
