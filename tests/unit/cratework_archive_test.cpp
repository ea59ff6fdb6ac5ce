// The packer: the bytes it writes, every archive and move record it refuses,
// and the files of a work directory whatever becomes of a run.

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cratework_commands.h"
#include "move_journal.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/product_version.h"
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
      {"entry header cut short", cat({kOne, hex("0d 00 00 00 03")}), "truncated"},
      {"name cut short", one("1000", "0d 00 00 00 03 00 00 00 0b 00 00 00 48 03 83 a3", {}), "truncated"},
      {"stream cut short", one(kName, "", hex("78 9c 73 74")), "truncated"},
      {"a second entry promised", cat({kTwo, entry()}), "truncated"},
      {"bytes after the last entry", cat({one(kName), hex("00")}), "after the last entry"},
      {"unknown entry flags", one(kName, "0d 00 01 00 03 00 00 00 0b 00 00 00 48 03 83 a3"), "flags"},
      {"empty name", one(""), "name of 0 bytes"},
      {"parent directory", one("../1000-2000_0_0"), "not a plain table name"},
      {"slash", one("1000-2000_0_0/x"), "not a plain table name"},
      {"backslash", one("1000-2000_0_0\\x"), "not a plain table name"},
      {"two dots", one("1000-2000_0_0..x"), "not a plain table name"},
      {"drive letter", one("C:1000-2000_0_0"), "not a plain table name"},
      {"stream name", one("1000-2000_0_0:s"), "not a plain table name"},
      {"device CON", one("CON"), "not a plain table name"},
      {"device NUL", one("NUL"), "not a plain table name"},
      {"control character", one("1000-2000_0_0\x01"), "not a plain table name"},
      {"final dot", one("1000-2000_0_0."), "not a plain table name"},
      {"65-byte name", one("1000-2000_0_0" + std::string(52, 'x')), "name of 65 bytes"},
      {"64-byte name, the longest, cut short", one(kName, "40 00 00 00 03 00 00 00 0b 00 00 00 48 03 83 a3", {}),
       "truncated"},
      {"names differing in case alone", cat({kTwo, entry("1000-2000_0_0a"), entry("1000-2000_0_0A")}), "twice"},
      {"size over the cap", one(kName, "0d 00 00 00 01 00 00 10 0b 00 00 00 48 03 83 a3"), "cap"},
      {"size at the cap", one(kName, "0d 00 00 00 00 00 00 10 0b 00 00 00 48 03 83 a3"),
       "not the declared 268435456"},
      {"stream longer than any for its size", one(kName, "0d 00 00 00 03 00 00 00 00 01 00 00 48 03 83 a3"),
       "could need"},
      {"CRC mismatch", one(kName, "0d 00 00 00 03 00 00 00 0b 00 00 00 49 03 83 a3"), "CRC mismatch"},
      {"inflates beyond its size", one(kName, "0d 00 00 00 02 00 00 00 0b 00 00 00 48 03 83 a3"),
       "beyond its declared size"},
      {"inflates short of its size", one(kName, "0d 00 00 00 04 00 00 00 0b 00 00 00 48 03 83 a3"),
       "not the declared 4"},
      {"corrupt stream (Adler-32)", one(kName, "", hex("78 9c 73 74 72 06 00 01 8d 00 c8")), "corrupt zlib stream"},
      {"stream ends early", one(kName, "0d 00 00 00 03 00 00 00 08 00 00 00 48 03 83 a3", hex("78 9c 73 74 72 06 00 01")),
       "ends early"},
      {"bytes after the stream",
       one(kName, "0d 00 00 00 03 00 00 00 0c 00 00 00 48 03 83 a3", cat({kAbcStream, hex("00")})),
       "after the end of its zlib stream"},
      {"a sound entry, then a bad one",
       cat({kTwo, entry(), entry("1000-2000_0_1", "0d 00 00 00 03 00 00 00 0b 00 00 00 00 00 00 00")}),
       "CRC mismatch"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir root;
    layTree(root.path(), {{"hostile.cff", c.archive}, {"work/1000-2000_0_0.dat", ascii("old")}});
    const FileTree before = treeOf(root.path());
    cratework::Output unpacked, tested;
    EXPECT_EQ(cratework::unpackIntoDirectory(root.file(u"hostile.cff"), root.file(u"work"), unpacked),
              cratework::kExitFailed);
    EXPECT_NE(unpacked.err.find(c.reason), std::string::npos) << unpacked.err;
    EXPECT_EQ(treeOf(root.path()), before);
    EXPECT_EQ(cratework::testArchive(root.file(u"hostile.cff"), tested), cratework::kExitFailed);
    EXPECT_NE(tested.err.find(c.reason), std::string::npos) << tested.err;
  }
}

TEST(CrateworkArchive, PacksTablesInNameOrderToTheDocumentedBytes) {
  TempDir root;
  // Not tables of the directory: a baseline copy, other names, a directory.
  layTree(root.path(), {{"tables/1000-2000_0_0.dat", ascii("ABC")}, {"tables/0999-0000_0_0.dat", {}},
                        {"tables/1000-2000_0_0.dat.org", ascii("org")}, {"tables/readme.dat", ascii("readme")},
                        {"tables/1000-2000_0_0 .dat", ascii("blank")}, {"tables/1000-2000_0_2.dat/", {}}});
  const Bytes expected = cat({kTwo, hex("0d 00  00 00  00 00 00 00  08 00 00 00  00 00 00 00"), ascii("0999-0000_0_0"),
                              hex("78 9c 03 00 00 00 00 01"), entry()});
  cratework::Output output;
  for (const char16_t* name : {u"out.cff", u"again.cff"}) {
    ASSERT_EQ(cratework::packDirectory(root.file(u"tables"), root.file(name), output), cratework::kExitOk) << output.err;
    EXPECT_EQ(toHex(readFileBytes(root.file(name))), toHex(expected));
  }
  ASSERT_EQ(cratework::listArchive(root.file(u"out.cff"), output), cratework::kExitOk);
  EXPECT_NE(output.out.find("1000-2000_0_0                       3           11 a3830348"), std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find("2 entries, 3 bytes"), std::string::npos);

  fs::create_directory(root.path() / "unpacked");
  ASSERT_EQ(cratework::unpackIntoDirectory(root.file(u"out.cff"), root.file(u"unpacked"), output), cratework::kExitOk)
      << output.err;
  EXPECT_EQ(treeOf(root.path() / "unpacked"),
            (FileTree{{"0999-0000_0_0.dat", {}}, {"0999-0000_0_0.zlib", hex("78 9c 03 00 00 00 00 01")},
                      {"1000-2000_0_0.dat", ascii("ABC")}, {"1000-2000_0_0.zlib", kAbcStream}}));
}

TEST(CrateworkArchive, CommandLineUsage) {
  const std::string version = "cratework " + std::string(kProductVersion) + "\n";
  const int usage = cratework::kExitUsage, ok = cratework::kExitOk;
  const struct {
    std::vector<std::u16string> args;
    int code;
    std::string out;
  } cases[] = {
      {{}, usage, ""}, {{u"u"}, usage, ""}, {{u"x", u"a.cff"}, usage, ""}, {{u"up", u"a.cff"}, usage, ""},
      {{u"u", u"a.cff", u"b"}, usage, ""}, {{u"--version"}, ok, version}, {{u"--version", u"a.cff"}, usage, ""},
      {{u"-version"}, usage, ""},
      // A recovery run needs no archive, and may name one.
      {{u"r"}, ok, ""}, {{u"r", u"a.cff"}, ok, ""}, {{u"r", u"a.cff", u"b"}, usage, ""},
  };
  for (const auto& c : cases) {
    cratework::Output output;
    EXPECT_EQ(cratework::runCratework(c.args, output), c.code) << output.err;
    EXPECT_EQ(output.out, c.out);
    EXPECT_EQ(output.err.find("usage") != std::string::npos, c.code == usage) << output.err;
  }
}

// No process has this id: beyond every Linux pid_max, and far beyond the ids
// Windows hands out.
constexpr unsigned long kGoneProcess = 99999996;
const std::string kGone = std::to_string(kGoneProcess);

// A pack it refuses writes no archive and changes no file: the archive may
// not be one of the tables, nor take a table's name where the next pack would
// take it for one; only regular files are packed (a link brings in a file
// from elsewhere, a pipe keeps the packer waiting forever); a move record
// that names anything but an unpack's own files is not acted on.
TEST(CrateworkArchive, ARefusedPackChangesNothing) {
  const std::string record = cratework::journalFileName(kGoneProcess);
  const struct {
    const char* label;
    FileTree extra;  // beside work/1000-2000_0_0.dat and 1000-2000_0_1.dat
    const char16_t* directory;
    const char* archive;
    std::string reason;
    void (*plant)(const fs::path& root) = nullptr;
  } cases[] = {
      {"a table", {}, u"work", "work/1000-2000_0_0.dat", "is the table \"1000-2000_0_0.dat\" itself"},
      {"a table by another path", {}, u"work", "work/../work/./1000-2000_0_0.dat", "is the table"},
      {"a second name of a table", {{"elsewhere/", {}}}, u"work", "elsewhere/linked.cff",
       "is the table \"1000-2000_0_0.dat\" itself",
       [](const fs::path& root) {
         fs::create_hard_link(root / "work/1000-2000_0_0.dat", root / "elsewhere/linked.cff");
       }},
      {"a table's name, not yet there", {}, u"work", "work/1000-2000_0_7.dat", "named like a table"},
      {"a table's name but for case", {}, u"work", "work/1000-2000_0_7x.DAT", "named like a table"},
      {"no tables, an archive there", {{"kept.cff", one(kName)}, {"empty/notes.txt", ascii("notes")}}, u"empty",
       "kept.cff",
       "no tables"},
      {"a record naming a file outside",
       {{"work/" + record,
         ascii("cratework moves 1\n../1000-2000_0_0.dat\t../1000-2000_0_0.dat.~" + kGone + "-1.tmp\t-\nend 1\n")}},
       u"work", "out.cff", "cannot undo the interrupted unpack recorded in " + record},
#ifndef _WIN32
      {"link to a file elsewhere", {{"secret.txt", ascii("secret")}}, u"work", "out.cff",
       "\"1000-2000_0_2.dat\" is not a regular file",
       [](const fs::path& root) { fs::create_symlink(root / "secret.txt", root / "work/1000-2000_0_2.dat"); }},
      {"link to a table", {}, u"work", "out.cff", "\"1000-2000_0_2.dat\" is not a regular file",
       [](const fs::path& root) { fs::create_symlink(root / "work/1000-2000_0_0.dat", root / "work/1000-2000_0_2.dat"); }},
      {"pipe", {}, u"work", "out.cff", "\"1000-2000_0_2.dat\" is not a regular file",
       [](const fs::path& root) { ASSERT_EQ(::mkfifo((root / "work/1000-2000_0_2.dat").c_str(), 0600), 0); }},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir root;
    layTree(root.path(), {{"work/1000-2000_0_0.dat", ascii("table 0")}, {"work/1000-2000_0_1.dat", ascii("table 1")}});
    layTree(root.path(), c.extra);
    // A pipe is never read; the files beside it are.
    const FileTree before = treeOf(root.path());
    if (c.plant) c.plant(root.path());
    cratework::Output output;
    EXPECT_EQ(cratework::packDirectory(root.file(c.directory), root.file(fromUtf8(c.archive)), output), cratework::kExitFailed);
    EXPECT_NE(output.err.find(c.reason), std::string::npos) << output.err;
    fs::remove(root.path() / "work/1000-2000_0_2.dat");
    fs::remove(root.path() / "elsewhere/linked.cff");
    EXPECT_EQ(treeOf(root.path()), before);
  }
  TempDir root;
  layTree(root.path(), {{"work/1000-2000_0_0.dat", ascii("table 0")}});
  cratework::Output output;
  EXPECT_EQ(cratework::packDirectory(root.file(u"work"), root.file(u"work/1000-2000_0_0.cff"), output),
            cratework::kExitOk)
      << output.err;
}

// The archive that the packer makes of these tables, beside the work directory.
Path packed(const TempDir& root, const FileTree& tables) {
  layTree(root.path() / "source", tables);
  cratework::Output output;
  EXPECT_EQ(cratework::packDirectory(root.file(u"source"), root.file(u"new.cff"), output), cratework::kExitOk);
  fs::remove_all(root.path() / "source");
  return root.file(u"new.cff");
}

const FileTree kNewTables = {{"1000-2000_0_0.dat", ascii("new 0")},
                             {"1000-2000_0_1.dat", ascii("new 1")},
                             {"1000-2000_0_2.dat", ascii("new 2")}};

// Every move but one is made, then that one fails (a directory stands where
// it goes, or on Windows another program holds the old file): the moves made
// are undone, and every file is as it was.
TEST(CrateworkArchive, AMoveThatFailsPutsBackEveryFileItReplaced) {
  const FileTree old = {{"1000-2000_0_0.dat", ascii("old 0")}, {"1000-2000_0_0.zlib", ascii("old z0")},
                        {"1000-2000_0_1.dat", ascii("old 1")}, {"1000-2000_0_2.dat", ascii("old 2")},
                        {"1000-2000_0_2.zlib", ascii("old z2")}, {"notes.txt", ascii("notes")}};
  const struct {
    std::string blocked;              // a directory of this name
    std::vector<std::string> absent;  // of the old files, these were not there
    bool heldOpen = false;            // instead, the old file is held open without leave to delete it
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
    TempDir root;
    const Path archive = packed(root, kNewTables);
    const fs::path work = root.path() / "work";
    FileTree before = old;
    for (const auto& name : c.absent) before.erase(name);
    if (!c.heldOpen) before.erase(c.blocked);
    if (!c.heldOpen) before[c.blocked + "/inside/"] = {};
    layTree(work, before);
    before = treeOf(work);
    File holder;
    if (c.heldOpen) holder = File::openForReading((work / c.blocked).u16string());

    cratework::Output output;
    EXPECT_EQ(cratework::unpackIntoDirectory(archive, work.u16string(), output), cratework::kExitFailed);
    EXPECT_NE(output.err.find("cannot move " + c.blocked + " into place"), std::string::npos) << output.err;
    EXPECT_NE(output.err.find("every file is as it was"), std::string::npos) << output.err;
    holder = File();
    FileTree after = treeOf(work);
    // A held file's second name cannot go while it is held; a later run removes it.
    std::erase_if(after, [&](const auto& file) { return c.heldOpen && file.first.starts_with(c.blocked + ".~"); });
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
  const FileTree killed = {
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
  const std::string self = std::to_string(currentProcessId());
  const FileTree kept = {{"readme.dat.~" + kGone + "-1.tmp", ascii("kept")},
                         {"1000-2000_0_5.dat.~" + self + "-1.tmp", ascii("kept")},
                         {"1000-2000_0_5.dat.~" + kGone + "-1.bak", ascii("kept")}};

  for (const char command : {'p', 'u', 'r'}) {
    SCOPED_TRACE(command);
    TempDir root;
    const fs::path work = root.path() / "work";
    layTree(work, killed);
    layTree(work, kept);
    // Not moved yet: the backup is a second name of the old file itself.
    writeFileBytes((work / "1000-2000_0_1.dat").u16string(), ascii("old 1"));
    fs::create_hard_link(work / "1000-2000_0_1.dat", work / backup("1000-2000_0_1.dat", 3));

    FileTree after = {{"1000-2000_0_0.dat", ascii("old 0")}, {"1000-2000_0_1.dat", ascii("old 1")},
                      {"notes.txt", ascii("notes")}};
    after.insert(kept.begin(), kept.end());
    cratework::Output output;
    const Path archive = root.file(u"out.cff");
    if (command == 'p') {
      ASSERT_EQ(cratework::packDirectory(work.u16string(), archive, output), cratework::kExitOk) << output.err;
      fs::create_directories(root.path() / "check");
      ASSERT_EQ(cratework::unpackIntoDirectory(archive, root.file(u"check"), output), cratework::kExitOk);
      EXPECT_EQ(readFileBytes(root.file(u"check/1000-2000_0_0.dat")), ascii("old 0"));
      EXPECT_EQ(readFileBytes(root.file(u"check/1000-2000_0_1.dat")), ascii("old 1"));
    } else if (command == 'r') {
      const Path killedPack = archive + u".~" + fromUtf8(kGone) + u"-1.tmp";
      writeFileBytes(killedPack, ascii("killed pack"));
      ASSERT_EQ(cratework::recoverDirectory(work.u16string(), archive, output), cratework::kExitOk) << output.err;
      EXPECT_FALSE(fileExists(killedPack));
    } else {
      const Path fresh = packed(root, {{"1000-2000_0_9.dat", ascii("new 9")}});
      ASSERT_EQ(cratework::unpackIntoDirectory(fresh, work.u16string(), output), cratework::kExitOk) << output.err;
      after["1000-2000_0_9.dat"] = ascii("new 9");
      after["1000-2000_0_9.zlib"] = readFileBytes((work / "1000-2000_0_9.zlib").u16string());
    }
    EXPECT_EQ(treeOf(work), after);
  }
}

#ifndef _WIN32
// A link or a pipe planted under a table's name is replaced itself; nothing
// is written through it.
TEST(CrateworkArchive, UnpackReplacesALinkOrPipeNotWhatItLeadsTo) {
  TempDir root;
  const Path archive = packed(root, kNewTables);
  const fs::path work = root.path() / "work";
  layTree(root.path(), {{"secret.txt", ascii("secret")}, {"work/", {}}});
  fs::create_symlink(root.path() / "secret.txt", work / "1000-2000_0_0.dat");
  fs::create_symlink(root.path() / "nowhere.txt", work / "1000-2000_0_1.zlib");
  ASSERT_EQ(::mkfifo((work / "1000-2000_0_2.dat").c_str(), 0600), 0);

  cratework::Output output;
  ASSERT_EQ(cratework::unpackIntoDirectory(archive, work.u16string(), output), cratework::kExitOk) << output.err;
  EXPECT_EQ(readFileBytes(root.file(u"secret.txt")), ascii("secret"));
  EXPECT_FALSE(fs::exists(root.path() / "nowhere.txt"));
  for (const auto& [name, bytes] : kNewTables) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(work / name))) << name;
    EXPECT_EQ(readFileBytes((work / name).u16string()), bytes) << name;
  }
}
#endif

constexpr unsigned long kOwner = 4242;

TEST(CrateworkJournal, WhatTheWriterWritesReadsBackTheSame) {
  const std::vector<cratework::PlannedMove> moves = {
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
  std::vector<cratework::PlannedMove> read;
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
  const std::string t = "1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp\t";
  const struct {
    const char* label;
    std::string text;
    const char* reason;
  } cases[] = {
      {"empty", "", "does not begin"},
      {"another first line", "cratework moves 2\nend 0\n", "does not begin"},
      {"no end line", head + t + "-\n", "cut short"},
      {"no final line break", head + "end 0", "cut short"},
      {"CR LF", "cratework moves 1\r\nend 0\r\n", "does not begin"},
      {"end count differs", head + "end 1\n", "end does not match"},
      {"bytes after the end", head + "end 0\nx", "end does not match"},
      {"two names", one("1000-2000_0_0.dat\t1000-2000_0_0.dat.~4242-1.tmp"), "three names"},
      {"four names", one(t + "-\t-"), "backup"},
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
      {"backup is the target", one(t + "1000-2000_0_0.dat"), "backup"},
      {"backup of another serial", one(t + "1000-2000_0_0.dat.~4242-2.old"), "backup"},
      {"backup elsewhere", one(t + "/tmp/1000-2000_0_0.dat.~4242-1.old"), "backup"},
      {"a target twice but for case",
       head + "1000-2000_0_0a.dat\t1000-2000_0_0a.dat.~4242-1.tmp\t-\n" +
           "1000-2000_0_0A.dat\t1000-2000_0_0A.dat.~4242-2.tmp\t-\nend 2\n",
       "second time"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<cratework::PlannedMove> moves;
    std::string error;
    EXPECT_FALSE(cratework::readJournal(c.text, kOwner, moves, error));
    EXPECT_TRUE(moves.empty());
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace verbarium
