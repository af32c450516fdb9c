// Tests of the upgrade catalogue: loading rules, selections, exclusion, stat totals, stat matching and rating
// previews.
#include "vehicle/upgrades.h"

#include <algorithm>

#include <gtest/gtest.h>


namespace {

using namespace vehicle;

UpgradeList Catalogue(const std::string& text) {
  UpgradeList list;
  list.LoadFromText(text);
  return list;
}

std::string Upgrade(int id, const std::string& category, const std::string& extra = "") {
  return "[UPGRADE]\n<ID>," + std::to_string(id) + "\n<CATEGORY>," + category + "\n" + extra + "[/UPGRADE]\n";
}

TEST(Upgrades, ACatalogueKeepsItsFirstUpgradesUpToTheLimit) {
  std::string text;
  for (size_t id = 0; id < kMaxUpgrades + 5; ++id) text += Upgrade(static_cast<int>(id), "Rims");
  testing::internal::CaptureStdout();
  UpgradeList list = Catalogue(text);
  const std::string printed = testing::internal::GetCapturedStdout();
  ASSERT_EQ(list.Size(), kMaxUpgrades);
  EXPECT_EQ(list.Upgrades().back()->id, kMaxUpgrades - 1);
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
}

TEST(Upgrades, SelectionInstallsOwnedDefaultsOncePerCategory) {
  UpgradeList list = Catalogue(Upgrade(1, "Spoiler", "<OWNED>,1\n<DEFAULT_INSTALLED>,1\n") +
                               Upgrade(2, "Spoiler", "<OWNED>,1\n<DEFAULT_INSTALLED>,1\n") + Upgrade(3, "Spoiler"));
  UpgradeSelection selection;
  list.ApplySelection(&selection);
  EXPECT_TRUE(list.Upgrades()[0]->installed);
  EXPECT_FALSE(list.Upgrades()[1]->installed);
  EXPECT_FALSE(list.Upgrades()[2]->installed);
  EXPECT_EQ(selection.ownedIds, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(selection.installedIds, (std::vector<uint32_t>{1}));
  // A selection that installs the optional part instead keeps the default out.
  UpgradeSelection chosen;
  chosen.SetOwned(3, true);
  chosen.SetInstalled(3, true);
  list.ApplySelection(&chosen);
  EXPECT_FALSE(list.Upgrades()[0]->installed);
  EXPECT_TRUE(list.Upgrades()[2]->installed);
}

TEST(Upgrades, ExportingHandsOverWhatTheCatalogueOwnsAndHasFitted) {
  // 1 an owned default spoiler, 2 a spoiler for sale, 3 rims for sale, 4 owned neon that is not fitted.
  const std::string text = Upgrade(1, "Spoiler", "<OWNED>,1\n<DEFAULT_INSTALLED>,1\n") + Upgrade(2, "Spoiler") +
                           Upgrade(3, "Rims") + Upgrade(4, "Neon", "<OWNED>,1\n");
  struct Case {
    const char* what;
    std::vector<uint32_t> applyOwned, applyInstalled;  // the selection applied first (none when both are empty)
    bool applyNone;                                    // ApplySelection(nullptr) instead
    std::vector<uint32_t> startOwned;                  // what the export's selection already holds
    std::vector<uint32_t> owned, installed;            // the selection after the export
  };
  const Case cases[] = {
      {"as loaded: owned flags only, nothing fitted", {}, {}, false, {}, {1, 4}, {}},
      {"defaults fitted without a selection", {}, {}, true, {}, {1, 4}, {1}},
      {"a bought part owns and fits through the selection", {3}, {3}, false, {}, {1, 3, 4}, {1, 3}},
      {"ids already held are kept, never doubled", {}, {}, true, {4, 9}, {4, 9, 1}, {1}},
  };
  for (const Case& c : cases) {
    UpgradeList list = Catalogue(text);
    if (c.applyNone) {
      list.ApplySelection(nullptr);
    } else if (!c.applyOwned.empty()) {
      UpgradeSelection applied;
      for (uint32_t id : c.applyOwned) applied.SetOwned(id, true);
      for (uint32_t id : c.applyInstalled) applied.SetInstalled(id, true);
      list.ApplySelection(&applied);
    }
    UpgradeSelection exported;
    for (uint32_t id : c.startOwned) exported.SetOwned(id, true);
    list.ExportToSelection(&exported);
    EXPECT_EQ(exported.ownedIds, c.owned) << c.what;
    EXPECT_EQ(exported.installedIds, c.installed) << c.what;
    EXPECT_FALSE(exported.IsOwned(2)) << c.what << ": a spoiler nobody bought stays out";
  }
  // Nothing to write into: the list is left as it was.
  UpgradeList list = Catalogue(text);
  list.ExportToSelection(nullptr);
  EXPECT_TRUE(list.Upgrades()[0]->owned);
  EXPECT_FALSE(list.Upgrades()[1]->owned);
}

TEST(Upgrades, ExclusiveUpgradesStandAloneInTheirCategory) {
  UpgradeList list = Catalogue(Upgrade(1, "Rims") + Upgrade(2, "Rims") + Upgrade(3, "Rims", "<EXCLUSIVE>,1\n") +
                               Upgrade(4, "Rims", "<EXCLUSIVE>,1\n") + Upgrade(5, "Neon"));
  UpgradeSelection selection;
  selection.SetInstalledExclusive(list, 1, true);
  selection.SetInstalledExclusive(list, 2, true);
  selection.SetInstalledExclusive(list, 5, true);
  selection.SetInstalledExclusive(list, 3, true);  // removes 1 and 2; the last id fills each gap
  EXPECT_EQ(selection.installedIds, (std::vector<uint32_t>{5, 3}));
  // Re-installing an exclusive one removes non-exclusive parts but leaves another exclusive one.
  selection.installedIds = {1, 4, 3};
  selection.SetInstalledExclusive(list, 3, true);
  EXPECT_EQ(selection.installedIds, (std::vector<uint32_t>{3, 4}));
  // Unknown ids are kept; off removes by moving the last id into the gap.
  selection.installedIds = {99, 3, 4};
  selection.SetInstalledExclusive(list, 99, false);
  EXPECT_EQ(selection.installedIds, (std::vector<uint32_t>{4, 3}));
}

TEST(Upgrades, StatTotalsNeverGoNegativeAlongTheWay) {
  UpgradeList list = Catalogue(Upgrade(1, "Engine", "<STAT_TOPSPEED>,3\n") +
                               Upgrade(2, "Engine", "<STAT_TOPSPEED>,-5\n") +
                               Upgrade(3, "Engine", "<STAT_TOPSPEED>,4\n"));
  for (auto& u : list.Upgrades()) u->installed = true;
  EXPECT_FLOAT_EQ(list.StatTotal(kKeyStatTopSpeed), 4.0f);
}

TEST(Upgrades, RatingsSumEveryValueAndClampToTen) {
  UpgradeList list = Catalogue(Upgrade(1, "Color", "<STAT_STYLE>,7.5\n") + Upgrade(2, "Neon", "<STAT_STYLE>,5\n") +
                               Upgrade(3, "Rims", "<STAT_HANDLING>,-2\n"));
  for (auto& u : list.Upgrades()) u->installed = true;
  EXPECT_FLOAT_EQ(RatingFromUpgrades(list, 0), 10.0f);
  EXPECT_FLOAT_EQ(RatingFromUpgrades(list, 1), 0.0f);
  UpgradeSelection selection;
  selection.SetOwned(2, true);
  selection.SetInstalled(2, true);
  EXPECT_FLOAT_EQ(UpgradeList::PreviewStat(&selection, &list, 0), 5.0f);
  for (auto& u : list.Upgrades()) EXPECT_TRUE(u->installed) << "the preview leaves the list as it was";
}

TEST(Upgrades, AStatValueThatIsNoFiniteNumberCountsAsNothing) {
  for (const char* bad : {"NAN", "nan(1)", "INF", "-inf", "1e99"}) {
    SCOPED_TRACE(bad);
    UpgradeList list = Catalogue(Upgrade(1, "Engine", std::string("<STAT_TOPSPEED>,") + bad + "\n") +
                                 Upgrade(2, "Color", std::string("<STAT_STYLE>,") + bad + ",3\n"));
    for (auto& u : list.Upgrades()) u->installed = true;
    EXPECT_FLOAT_EQ(list.StatTotal(kKeyStatTopSpeed), 0.0f);
    EXPECT_FLOAT_EQ(RatingFromUpgrades(list, 0), 3.0f) << "the good value beside it still counts";
    UpgradeSelection selection;
    selection.SetOwned(2, true);
    selection.SetInstalled(2, true);
    EXPECT_FLOAT_EQ(UpgradeList::PreviewStat(&selection, &list, 0), 3.0f);
  }
}

}  // namespace
