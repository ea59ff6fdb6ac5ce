#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "formats/dat_format.h"
#include "formats/exchange_format.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;

// A text changes alone, in place or moved, and however it is set it ends at
// its first zero unit, as on reading; its length field follows it.
TEST(TextTable, AnEditChangesOneTextAndItsLength) {
  MemoryStream file(cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(std::u16string_view(u"a\0b", 3)),
                         hex("02 00 00 00 03 00  03 00 00 00"), utf16le(u"xyz")}));
  TextTable table;
  ASSERT_EQ(readTextTable(file, table), DatReadResult::Read);
  const int first[] = {0};
  const std::u16string wide(5000, u'\u3042');
  const struct {
    std::function<void()> edit;
    std::vector<std::u16string> texts;
  } steps[] = {
      {[] {}, {u"a", u"xyz"}},
      {[&] { table.setText(0, u"\u3042\u3044"); }, {u"\u3042\u3044", u"xyz"}},
      {[&] { table.setText(1, wide); }, {u"\u3042\u3044", wide}},
      {[&] { table.setText(1, std::u16string_view(u"x\0yz", 4)); }, {u"\u3042\u3044", u"x"}},
      {[&] { table.setTexts(first, std::u16string_view(u"z\0yx", 4)); }, {u"z", u"x"}},
      {[&] { table.append(hex("03 00 00 00 03 00"), std::u16string_view(u"ab\0c", 4)); }, {u"z", u"x", u"ab"}},
  };
  for (const auto& step : steps) {
    step.edit();
    MemoryStream out;
    ASSERT_TRUE(writeTextTable(out, table));
    EXPECT_EQ(toHex(out.bytes()), toHex(sixByteTable(step.texts)));
  }
  EXPECT_THROW(table.text(3), std::out_of_range);
}

bool readsBackAs(const Bytes& bytes, const TextTable& table) {
  MemoryStream stream(bytes);
  TextTable again;
  if (readTextTable(stream, again) != DatReadResult::Read || again.count() != table.count()) return false;
  for (int i = 0; i < table.count(); ++i) {
    if (again.text(i) != table.text(i) || !std::ranges::equal(again.key(i), table.key(i))) return false;
  }
  return again.trailingBytes == table.trailingBytes;
}

// Every small layout 1 table of short texts, first key words from zero to
// the least the reader takes for text, and kept bytes: the writer refuses
// exactly the tables whose plain records would not read back as they are.
TEST(DatWriter, TheLayoutOneVerdictIsTheReadersOwn) {
  const std::u16string texts[] = {u"", u"a", u"ab"};
  const Bytes firstWords[] = {hex("00 00 00 00"), hex("05 00 00 00"), hex("00 00 01 00")};
  // None of them begins a record.
  const Bytes tails[] = {{}, hex("00 00"), hex("01 00"), hex("00 00 00 00 01"), hex("07")};
  for (int combination = 0; combination < 9 * 9 * 5; ++combination) {
    TextTable table;
    table.layout = DatLayout::DwordRunKey;
    table.header = 7;
    int rest = combination;
    for (int record = 0; record < 2; ++record, rest /= 9) {
      table.append(cat({firstWords[rest % 3], hex("11 00 00 00")}), texts[rest / 3 % 3]);
    }
    table.trailingBytes = tails[rest];
    MemoryStream out, plain;
    const bool accepted = writeTextTable(out, table);
    ASSERT_TRUE(writeLengthPrefixedRecords(plain, table));
    EXPECT_EQ(accepted, readsBackAs(accepted ? out.bytes() : plain.bytes(), table)) << "combination " << combination;
    EXPECT_EQ(accepted, firstEntryLayoutCannotHold(table) < 0) << "combination " << combination;
  }
}

// A disk that holds `room` bytes: the write that does not fit fails, and so
// does every write after it.
class FullDisk final : public ByteStream {
 public:
  explicit FullDisk(std::size_t room) : room_(room) {}
  std::int64_t read(void*, std::size_t) override { return 0; }
  bool write(const void*, std::size_t size) override {
    taken_ += size;
    return taken_ <= room_;
  }
  bool seek(std::int64_t, SeekOrigin) override { return false; }
  std::int64_t position() override { return 0; }
  std::int64_t size() override { return 0; }
  bool truncate() override { return false; }
  bool flush() override { return true; }

 private:
  std::size_t room_, taken_ = 0;
};

// However far a write gets before the disk is full, the writer says so.
TEST(Writers, ReportAWriteThatFailsAtAnyPoint) {
  MemoryStream file(sixByteTable({u"ok", u"z"}));
  TextTable table;
  ASSERT_EQ(readTextTable(file, table), DatReadResult::Read);
  const std::pair<const char*, std::function<bool(ByteStream&)>> writers[] = {
      {"table", [&](ByteStream& out) { return writeTextTable(out, table); }},
      {"exchange file", [](ByteStream& out) {
         ExchangeLineWriter writer(out);
         for (std::u16string_view text : {u"ok", u"", u"z"}) writer.add(text);
         return writer.finish();
       }},
  };
  for (const auto& [name, write] : writers) {
    MemoryStream whole;
    ASSERT_TRUE(write(whole));
    for (std::size_t room = 0; room <= whole.bytes().size(); ++room) {
      FullDisk disk(room);
      EXPECT_EQ(write(disk), room == whole.bytes().size()) << name << ", room " << room;
    }
  }
}

}  // namespace
}  // namespace verbarium
