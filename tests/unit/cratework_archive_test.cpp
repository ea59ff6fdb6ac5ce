#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "cratework_commands.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::Bytes;
using test::cat;
using test::hex;

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
      {"names differing in case alone",
       cat({hex("12 dd 72 dd 01 00 00 00 02 00 00 00"), abcFieldsFor(14), ascii("1000-2000_0_0a"), kAbcStream,
            abcFieldsFor(14), ascii("1000-2000_0_0A"), kAbcStream}),
       "twice"},
      {"size over the cap",
       cat({kOneEntryHeader, hex("0d 00 00 00 01 00 00 10 0b 00 00 00 48 03 83 a3"), ascii("1000-2000_0_0"),
            kAbcStream}),
       "cap"},
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
    EXPECT_EQ(cratework::unpackArchive(archive, work, unpacked), cratework::kExitFailed);
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
  ASSERT_EQ(cratework::unpackArchive(archive, unpacked, done), cratework::kExitOk) << done.err;
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
  const struct {
    std::vector<std::u16string> args;
  } cases[] = {{{}}, {{u"u"}}, {{u"x", u"a.cff"}}, {{u"up", u"a.cff"}}, {{u"u", u"a.cff", u"b"}}};
  for (const auto& c : cases) {
    cratework::Output output;
    EXPECT_EQ(cratework::runCratework(c.args, output), cratework::kExitUsage);
    EXPECT_NE(output.err.find("usage"), std::string::npos);
  }
}

}  // namespace
}  // namespace verbarium
