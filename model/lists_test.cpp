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

TEST(ListReadTest, ImpossibleCountsLeaveTheListEmptyWithoutHugeStorage) {
  IntList negative;
  std::istringstream minus("-3 1 2 3");
  negative.read(minus);
  EXPECT_TRUE(minus.fail());
  EXPECT_EQ(negative.count, 0);

  // Two billion announced in a file of a few bytes.
  IndexListArray huge;
  std::istringstream big("2000000000 3 1 2 3");
  huge.read(big);
  EXPECT_TRUE(big.fail());
  EXPECT_EQ(huge.count, 0);

  Vec4Table table;
  std::istringstream many("100000 0 1 2 3 4");
  table.read(many);
  EXPECT_TRUE(many.fail());
  EXPECT_EQ(table.count, 0);
}

}  // namespace
}  // namespace orvex::model
