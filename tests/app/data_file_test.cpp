// Tests of the tagged text data file reader, fed by the sample-content writer.
#include "app/data_file.h"

#include <gtest/gtest.h>



namespace app {
namespace {

using Values = std::vector<std::string>;

TEST(DataFile, TagShapesDecideWhatALineIs) {
  const DataFile file = DataFile::FromText(
      "<EMPTY>\n<OPEN,1\nCLOSE>,2\n<>,3\nAB,4\nplain,5\n<NAME>,a b c\n<X>: 1, 2\n"
      "<TAG> # a comment after a space\n<V>,value # trailing\n#<HIDDEN>,1\n");
  ASSERT_NE(file.FindRecord("EMPTY"), nullptr);
  EXPECT_EQ(file.FindRecord("NAME")->values, Values{"a b c"});
  EXPECT_EQ(file.FindRecord("X")->values, (Values{" 1", " 2"}));
  EXPECT_FALSE(file.HasRecord("TAG"));  // "<TAG> " does not end with '>'
  EXPECT_EQ(file.FindRecord("V")->values, Values{"value "});
  EXPECT_FALSE(file.HasRecord("HIDDEN"));
  EXPECT_EQ(file.Records().size(), 4u);
}

TEST(DataFile, BlocksDoNotNestAndTopLevelClosersOpenBlocks) {
  const DataFile file = DataFile::FromText("[A]\n<X>,1\n[B]\n<Y>,2\n[/B]\n[/A]\n<Z>,3\n");
  ASSERT_EQ(file.Records().size(), 2u);
  const DataRecord* a = file.FindRecord("A");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->children.size(), 3u);
  EXPECT_EQ(a->children[1].name, "B");
  EXPECT_EQ(a->children[2].name, "Y");
  // [/A] at the top level opens a block named "/A" that runs to the end of the file.
  const DataRecord* closer = file.FindRecord("/A");
  ASSERT_NE(closer, nullptr);
  ASSERT_EQ(closer->children.size(), 1u);
  EXPECT_EQ(closer->children[0].name, "Z");
  EXPECT_FALSE(file.HasRecord("Z"));
}

TEST(DataFile, UnclosedBlockEndsAtEndOfFileAndLastLineNeedsLineFeed) {
  const DataFile file = DataFile::FromText("[CAR]\n<MASS>,1200\n<LAST>,1");
  const DataRecord* car = file.FindRecord("CAR");
  ASSERT_NE(car, nullptr);
  EXPECT_EQ(car->CountChildren("MASS"), 1);
  EXPECT_EQ(car->FindChild("LAST"), nullptr);

  const DataFile top = DataFile::FromText("<A>,1\n<B>,2");
  EXPECT_TRUE(top.HasRecord("A"));
  EXPECT_FALSE(top.HasRecord("B"));
}

TEST(DataFile, LookupsAreCaseSensitiveAndCountInOrder) {
  const DataFile file = DataFile::FromText(
      "<UPGRADE>,turbo\n<upgrade>,lower\n<UPGRADE>,nitro\r\n[LIST]\n<ITEM>,1\n<ITEM>,2\n[/LIST]\n");
  EXPECT_EQ(file.CountRecords("UPGRADE"), 2);
  EXPECT_EQ(file.NthRecord("UPGRADE", 1)->values, Values{"nitro"});  // carriage return separated away
  const DataRecord* list = file.FindRecord("LIST");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->CountChildren("ITEM"), 2);
  EXPECT_EQ(list->NthChild("ITEM", 2), nullptr);
}

}  // namespace
}  // namespace app
