// Keyed property queries of an upgrade record and the garage's picture names read through them.
#include "screens/keyed_records.h"

#include <gtest/gtest.h>

namespace screens_test {
namespace {

using vehicle::KeyedRecord;
using vehicle::UpgradeProperty;

UpgradeProperty Property(uint32_t key, std::vector<std::string> values) {
  UpgradeProperty property;
  property.key = key;
  property.values = std::move(values);
  return property;
}

TEST(KeyedRecords, NthCountsOnlyMatchingEntriesInFileOrder) {
  KeyedRecord record;
  record.properties = {Property(vehicle::kKeyMaterial, {"a"}), Property(vehicle::kKeyNeon, {"n"}),
                       Property(vehicle::kKeyMaterial, {"b"}), Property(vehicle::kKeyStatStyle, {"1"}),
                       Property(vehicle::kKeyMaterial, {"c"})};
  EXPECT_EQ(record.Count(vehicle::kKeyMaterial), 3);
  EXPECT_EQ(record.Count(vehicle::kKeyModelImage), 0);
  ASSERT_NE(record.FindNth(vehicle::kKeyMaterial, 1), nullptr);
  EXPECT_EQ(record.FindNth(vehicle::kKeyMaterial, 1)->values[0], "b");
  EXPECT_EQ(record.FindNth(vehicle::kKeyMaterial, 3), nullptr);
  // The entry stays the record's own.
  EXPECT_EQ(record.FindNth(vehicle::kKeyMaterial, 2), &record.properties[4]);
}

TEST(KeyedRecords, PictureNamesComeOnlyFromPropertiesWithEnoughValues) {
  KeyedRecord record;
  record.properties = {Property(vehicle::kKeyModelImage, {})};
  EXPECT_EQ(screens::ModelImageName(record), "");
  record.properties = {Property(vehicle::kKeyMaterial, {"1", "2", "3", "4"}),
                       Property(vehicle::kKeyNeon, {"1", "2", "3", "4", "neon.png"}),
                       Property(vehicle::kKeyMaterial, {"1", "2", "3", "4", "red.png"}),
                       Property(vehicle::kKeyMaterial, {"1", "2", "3", "4", "blue.png", "6"})};
  EXPECT_EQ(screens::SwatchImageNames(record), (std::vector<std::string>{"red.png", "blue.png"}));
}

}  // namespace
}  // namespace screens_test
