// Tests of the intrusive pointer list: front insertion, unlinking, counting and bulk deletion.
#include "race/hud/ptr_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace race {
namespace {

std::vector<int> Walk(const PtrList<int>& list) {
  std::vector<int> values;
  list.ForEach([&](int* value) { values.push_back(*value); });
  return values;
}

// Counts deletions and release calls so bulk deletion can be checked.
struct Tracked {
  explicit Tracked(int* released, int* deleted) : released(released), deleted(deleted) {}
  ~Tracked() { ++*deleted; }
  void Release() { ++*released; }
  int* released;
  int* deleted;
};

TEST(PtrList, PushFrontWalksNewestFirst) {
  int a = 1, b = 2, c = 3;
  PtrList<int> list;
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.PushFront(&a), &a);
  list.PushFront(&b);
  list.PushFront(&c);
  EXPECT_EQ(Walk(list), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.head->prev, nullptr);
  EXPECT_EQ(list.head->next->prev, list.head);
}

TEST(PtrList, RemovingNodesKeepsLinksConsistent) {
  int a = 1, b = 2, c = 3;
  PtrList<int> list;
  list.PushFront(&a);
  list.Remove(list.head);
  EXPECT_EQ(list.head, nullptr) << "removing the only node empties the list";

  list.PushFront(&a);
  list.PushFront(&b);
  list.PushFront(&c);
  list.Remove(list.head);
  ASSERT_NE(list.head, nullptr);
  EXPECT_EQ(*list.head->object, 2) << "the second node becomes the first";
  EXPECT_EQ(list.head->prev, nullptr);

  list.PushFront(&c);
  EXPECT_TRUE(list.RemoveObject(&b)) << "a middle node unlinks";
  EXPECT_EQ(Walk(list), (std::vector<int>{3, 1}));
  EXPECT_EQ(list.head->next->prev, list.head);
  EXPECT_FALSE(list.RemoveObject(&b)) << "an object no longer held is not found";
  EXPECT_EQ(a, 1) << "removal leaves the objects alone";
}

TEST(PtrList, BulkDeletionReleasesAndDeletesEveryObject) {
  int released = 0, deleted = 0;
  PtrList<Tracked> list;
  list.DeleteAll();
  EXPECT_TRUE(list.Empty()) << "deleting an empty list does nothing";
  for (int i = 0; i < 3; ++i) list.PushFront(new Tracked(&released, &deleted));
  list.DeleteAll();
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(released, 3);
  EXPECT_EQ(deleted, 3);

  list.PushFront(new Tracked(&released, &deleted));
  list.RemoveAndDelete(list.head);
  EXPECT_EQ(deleted, 4);
  EXPECT_TRUE(list.Empty());
}

}  // namespace
}  // namespace race
