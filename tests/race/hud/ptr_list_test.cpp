// The pointer list: order of pushes and walks, unlinking at the front, middle and end, and the bulk deletions
// that release each widget before deleting it.
#include "race/hud/ptr_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace race {
namespace {

// An element that writes "release <name>" and "delete <name>" into a shared log.
struct Logged {
  Logged(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name)) {}
  ~Logged() { log->push_back("delete " + name); }
  void Release() { log->push_back("release " + name); }
  std::vector<std::string>* log;
  std::string name;
};

std::vector<std::string> Walk(const PtrList<Logged>& list) {
  std::vector<std::string> names;
  for (const Logged* object : list) names.push_back(object->name);
  return names;
}

// Each node's prev points at the node before it and the first node's prev is null.
bool LinksAgree(const PtrList<Logged>& list) {
  const PtrList<Logged>::Node* before = nullptr;
  for (const PtrList<Logged>::Node* n = list.head; n != nullptr; n = n->next) {
    if (n->prev != before) return false;
    before = n;
  }
  return true;
}

TEST(PtrList, PushesWalksAndUnlinksKeepTheOrderAndTheLinks) {
  std::vector<std::string> log;
  Logged a(&log, "a"), b(&log, "b"), c(&log, "c"), d(&log, "d");
  const struct {
    const char* what;
    Logged* removed;  // null: nothing removed
    std::vector<std::string> order;
  } cases[] = {
      {"nothing removed", nullptr, {"c", "b", "a", "d"}},
      {"first of several", &c, {"b", "a", "d"}},
      {"in the middle", &a, {"c", "b", "d"}},
      {"the last", &d, {"c", "b", "a"}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    PtrList<Logged> list;
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Front(), nullptr);
    list.PushFront(&a);
    list.PushFront(&b);
    EXPECT_EQ(list.PushFront(&c), &c);
    EXPECT_EQ(list.PushBack(&d), &d);
    if (test.removed != nullptr) EXPECT_TRUE(list.RemoveObject(test.removed));
    EXPECT_EQ(Walk(list), test.order);
    EXPECT_EQ(list.Count(), test.order.size());
    EXPECT_EQ(list.Front()->name, test.order.front());
    EXPECT_TRUE(LinksAgree(list));
    EXPECT_NE(std::find(list.begin(), list.end(), &b), list.end());
  }
  EXPECT_TRUE(log.empty()) << "unlinking never touches the objects";
}

TEST(PtrList, RemovingTheOnlyNodeEmptiesTheListAndAnUnlistedObjectChangesNothing) {
  std::vector<std::string> log;
  Logged only(&log, "only"), stranger(&log, "stranger");
  PtrList<Logged> list;
  list.PushBack(&only);  // onto an empty list
  EXPECT_FALSE(list.RemoveObject(&stranger));
  EXPECT_EQ(Walk(list), std::vector<std::string>{"only"});
  EXPECT_TRUE(list.RemoveObject(&only));
  EXPECT_EQ(list.head, nullptr);
  EXPECT_TRUE(list.Empty());
  EXPECT_FALSE(list.RemoveObject(&only));
}

TEST(PtrList, WidgetDeletionsReleaseEachObjectBeforeDeletingItFrontFirstAndPlainDeletionReleasesNothing) {
  using Deletion = void (PtrList<Logged>::*)();
  const struct {
    const char* name;
    Deletion deletion;
    std::vector<std::string> log;
  } cases[] = {
      {"sprites", &PtrList<Logged>::DeleteSprites,
       {"release y", "delete y", "release x", "delete x", "release z", "delete z"}},
      {"buttons", &PtrList<Logged>::DeleteButtons,
       {"release y", "delete y", "release x", "delete x", "release z", "delete z"}},
      {"text labels", &PtrList<Logged>::DeleteTextLabels,
       {"release y", "delete y", "release x", "delete x", "release z", "delete z"}},
      {"plain", &PtrList<Logged>::DeleteAll, {"delete y", "delete x", "delete z"}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    std::vector<std::string> log;
    PtrList<Logged> list;
    (list.*test.deletion)();  // an empty list: nothing happens
    EXPECT_TRUE(log.empty());
    list.PushFront(new Logged(&log, "x"));
    list.PushFront(new Logged(&log, "y"));
    list.PushBack(new Logged(&log, "z"));
    (list.*test.deletion)();
    EXPECT_EQ(log, test.log);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.Count(), 0u);
  }
}

}  // namespace
}  // namespace race
