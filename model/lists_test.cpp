#include "model/lists.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvex::model {
namespace {

template <typename List>
std::string written(const List& list) {
  std::ostringstream out;
  EXPECT_EQ(list.write(out), 1);
  return out.str();
}

template <typename List>
void readFrom(List* list, const std::string& text) {
  std::istringstream in(text);
  EXPECT_EQ(list->read(in), 1);
}

TEST(IntListTest, ReadsAndWritesCountThenElements) {
  IntList empty;
  readFrom(&empty, "0");
  EXPECT_EQ(empty.count, 0);
  EXPECT_EQ(empty.capacity, 0);
  EXPECT_EQ(written(empty), "0 ");

  IntList list;
  readFrom(&list, "3 -4 0x1f 017");
  ASSERT_EQ(list.count, 3);
  EXPECT_EQ(list.capacity, 3);
  EXPECT_EQ(list[0], -4);
  EXPECT_EQ(list[1], 31);
  EXPECT_EQ(list[2], 15);
  EXPECT_EQ(written(list), "3 -4 31 15 ");

  // A second read replaces the first content completely.
  readFrom(&list, "1 9");
  ASSERT_EQ(list.count, 1);
  EXPECT_EQ(list.capacity, 1);
  EXPECT_EQ(written(list), "1 9 ");
}

TEST(IntListTest, CopyAssignmentMakesExactSizeAndIgnoresSelf) {
  IntList source;
  readFrom(&source, "2 5 6");
  IntList target(7);
  target = source;
  EXPECT_EQ(target.capacity, 2);
  EXPECT_EQ(target.count, 2);
  EXPECT_EQ(written(target), "2 5 6 ");
  IntList& alias = target;
  target = alias;
  EXPECT_EQ(written(target), "2 5 6 ");
}

TEST(IndexListTest, ReadsOneBasedTextAsZeroBased) {
  IndexList list;
  readFrom(&list, "3 1 2 4");
  ASSERT_EQ(list.count, 3);
  EXPECT_EQ(list[0], 0);
  EXPECT_EQ(list[1], 1);
  EXPECT_EQ(list[2], 3);
  EXPECT_EQ(written(list), "3 1 2 4 ");

  // Octal and hexadecimal as strtol with base 0 takes them.
  readFrom(&list, "2 010 0x10");
  ASSERT_EQ(list.count, 2);
  EXPECT_EQ(list[0], 7);
  EXPECT_EQ(list[1], 15);
}

TEST(IndexListArrayTest, WritesCountThenOneListPerLine) {
  IndexListArray array;
  readFrom(&array, "2 3 1 2 3 4 2 3 4 1");
  ASSERT_EQ(array.count, 2);
  ASSERT_EQ(array[0].count, 3);
  ASSERT_EQ(array[1].count, 4);
  EXPECT_EQ(array[1][3], 0);
  EXPECT_EQ(written(array), "2\n3 1 2 3 \n4 2 3 4 1 \n");

  IndexListArrayBase base;
  readFrom(&base, "2\n3 1 2 3\n4 2 3 4 1\n");
  EXPECT_EQ(written(base), "2 3 1 2 3  4 2 3 4 1  ");
  EXPECT_EQ(array.progress(50), 0);
}

TEST(Vec4TableTest, KeepsHeaderAndWritesOneVectorPerLine) {
  Vec4Table table;
  readFrom(&table, "2 0.5 1 0 0 0 0 1 0 0");
  ASSERT_EQ(table.count, 2);
  EXPECT_EQ(table.header, 0.5);
  EXPECT_EQ(table[0].x, 1.0);
  EXPECT_EQ(table[1].y, 1.0);
  EXPECT_EQ(written(table), "2 0.5\n1 0 0 0\n0 1 0 0\n");
}

TEST(Vec4ListTest, WritesSixSignificantDigitsOnOneLine) {
  Vec4List list;
  readFrom(&list, "1 0.1234567 0 0 0");
  EXPECT_EQ(written(list), "1 0.123457 0 0 0 ");
  readFrom(&list, "2 1e-5 1234567 -0 2.50");
  EXPECT_EQ(written(list), "2 1e-05 1.23457e+06 -0 2.5 0 0 0 0 ");
}

TEST(Vec3ListTest, ReadsAndWritesTriples) {
  Vec3List list;
  readFrom(&list, "2\n1 2 3\n-4.5 0 1e7");
  ASSERT_EQ(list.count, 2);
  EXPECT_EQ(list[1].x, -4.5);
  EXPECT_EQ(written(list), "2 1 2 3 -4.5 0 1e+07 ");
}

TEST(ListReadTest, ShortTextLeavesUnreadVectorsZeroAndFailsTheStream) {
  Vec4List list;
  std::istringstream in("2 1.5 2.5");
  list.read(in);
  EXPECT_TRUE(in.fail());
  ASSERT_EQ(list.count, 2);
  EXPECT_EQ(list[0].x, 1.5);
  EXPECT_EQ(list[0].y, 2.5);
  EXPECT_EQ(list[0].z, 0.0);
  EXPECT_EQ(list[1].w, 0.0);

  // A count that cannot be read leaves a new list empty.
  Vec3List none;
  std::istringstream garbage("abc");
  none.read(garbage);
  EXPECT_EQ(none.count, 0);
}

// A stream over text that cannot seek, as a pipe: the reader cannot look ahead.
class UnseekableBuf : public std::stringbuf {
 public:
  using std::stringbuf::stringbuf;

 protected:
  pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return -1; }
  pos_type seekpos(pos_type, std::ios::openmode) override { return -1; }
};

TEST(ListReadTest, CountsThatOverstateTheTextCostNoHugeStorageAndKeepWhatWasRead) {
  IntList negative;
  std::istringstream minus("-3 1 2 3");
  negative.read(minus);
  EXPECT_TRUE(minus.fail());
  EXPECT_EQ(negative.count, 0);

  // Billions announced before a few bytes, seekable or not, and as the last token: the
  // storage follows the text (a bad_alloc here is the failure).
  for (bool seekable : {true, false}) {
    for (const char* text : {"2000000000 3 1 2 3 3 3 2 1", "500000000"}) {
      UnseekableBuf pipe(text);
      std::istringstream file(text);
      std::istream in(seekable ? file.rdbuf() : &pipe);
      IndexListArray huge;
      huge.read(in);
      EXPECT_TRUE(in.fail()) << text;
      const int expected = text[0] == '2' ? 2 : 0;
      ASSERT_EQ(huge.count, expected) << text << (seekable ? "" : " unseekable");
      EXPECT_EQ(huge.capacity, huge.count);
      if (expected) {
        EXPECT_EQ(huge[1][2], 0);
      }
    }
  }

  // A count over 4096 that the text overruns keeps the vectors read, exactly sized, and
  // an honest large list still reads whole from a pipe.
  std::string text = "100000 0.5";
  for (int i = 0; i < 5000; ++i) text += " " + std::to_string(i) + " 0 0 1";
  text += " 7";
  for (bool seekable : {true, false}) {
    UnseekableBuf pipe(text);
    std::istringstream file(text);
    std::istream in(seekable ? file.rdbuf() : &pipe);
    Vec4Table table;
    table.read(in);
    EXPECT_TRUE(in.fail());
    ASSERT_EQ(table.count, 5001);
    EXPECT_EQ(table.header, 0.5);
    EXPECT_EQ(table[4999].x, 4999.0);
    EXPECT_EQ(table[5000].x, 7.0);
    EXPECT_EQ(table[5000].y, 0.0);
  }
  // Storage made whole, for a count the text could hold: a malformed element leaves the
  // stated count with the unread elements zero, as in a small list.
  std::string malformed = "5000";
  for (int i = 0; i < 5000; ++i) malformed += i == 10 ? " x" : " " + std::to_string(i + 1);
  std::istringstream malformedIn(malformed);
  IntList whole;
  whole.read(malformedIn);
  EXPECT_TRUE(malformedIn.fail());
  ASSERT_EQ(whole.count, 5000);
  EXPECT_EQ(whole.capacity, 5000);
  EXPECT_EQ(whole[9], 10);
  EXPECT_EQ(whole[11], 0);
  EXPECT_EQ(whole[4999], 0);

  std::string honest = "9000";
  for (int i = 0; i < 9000; ++i) honest += " " + std::to_string(i);
  UnseekableBuf pipe(honest);
  std::istream in(&pipe);
  IntList ints;
  ints.read(in);
  EXPECT_FALSE(in.fail());
  ASSERT_EQ(ints.count, 9000);
  EXPECT_EQ(ints.capacity, 9000);
  EXPECT_EQ(ints[8999], 8999);
}

}  // namespace
}  // namespace orvex::model
