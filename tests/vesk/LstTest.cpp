// The keyed list: cursor, lookups, ownership and reordering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vesk/Lst.h"

namespace {

struct Counted : PClass {
  static int alive;
  Counted() { ++alive; }
  ~Counted() override { --alive; }
};
int Counted::alive = 0;

std::vector<std::string> Names(Lst& list) {
  std::vector<std::string> names;
  for (Nod* n = list.First(); n; n = list.Next()) names.push_back(n->name);
  return names;
}

TEST(Lst, CursorStopsAtBothEndsWithoutMoving) {
  Lst empty;
  EXPECT_EQ(empty.First(), nullptr);
  EXPECT_EQ(empty.curIndex, 0);
  EXPECT_EQ(empty.Next(), nullptr);
  EXPECT_EQ(empty.Last(), nullptr);
  EXPECT_EQ(empty.Back(), nullptr);

  Lst list;
  list.Put("A", nullptr);
  list.Put("B", nullptr);
  list.Put("C", nullptr);
  ASSERT_EQ(list.Last()->name, "C");
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.curNode->name, "C");
  EXPECT_EQ(list.curIndex, 2);
  EXPECT_EQ(list.Back()->name, "B");
  EXPECT_EQ(list.Back()->name, "A");
  EXPECT_EQ(list.Back(), nullptr);
  EXPECT_EQ(list.curIndex, 0);
  EXPECT_EQ(list.curNode->name, "A");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(Lst, LookupsFindTheFirstOfEqualNamesAndGuardPositions) {
  Lst list;
  Counted* a = new Counted;
  Counted* b = new Counted;
  list.Put("X", a);
  list.Put("X", b);
  list.Put("Y", nullptr);
  EXPECT_EQ(list.Get("X")->obj, a);
  EXPECT_EQ(list.GetIndex("X"), 0);
  EXPECT_EQ(list.GetIndex("Y"), 2);
  EXPECT_EQ(list.GetIndex("x"), -1);   // case-sensitive
  EXPECT_EQ(list.GetIndex("X "), -1);  // nothing trimmed
  EXPECT_EQ(list[1], b);
  EXPECT_EQ(list[3], nullptr);
  EXPECT_FALSE(list.Delete(3));
  EXPECT_EQ(list.count, 3);
}

TEST(Lst, PutFirstDoesNotMoveTheCursorAndUniqueNamesRefuse) {
  Lst list;
  list.Put("B", nullptr);
  list.Put("C", nullptr);
  list.First();
  list.Next();  // on C, position 1
  list.PutFirst("A", nullptr);
  EXPECT_EQ(list.curIndex, 1);
  EXPECT_EQ(list.Next()->name, "C");  // the cursor stayed on a position: now B is there
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "C"}));

  Lst unique;
  unique.uniqueNames = 1;
  EXPECT_NE(unique.Put("K", nullptr), nullptr);
  EXPECT_EQ(unique.Put("K", nullptr), nullptr);
  EXPECT_EQ(unique.count, 1);
}

TEST(Lst, OwnershipDecidesWhatDestructionAndDeleteRelease) {
  Counted::alive = 0;
  {
    Lst owning;
    owning.Put("A", new Counted);
    owning.Put("B", new Counted);
    owning.Put("none", nullptr);
    EXPECT_EQ(Counted::alive, 2);
  }
  EXPECT_EQ(Counted::alive, 0);

  Counted* kept = new Counted;
  {
    Lst referring;
    referring.ownsObjects = 0;
    referring.Put("A", kept);
  }
  EXPECT_EQ(Counted::alive, 1);

  {
    Lst owning;
    owning.Put("A", kept);
    owning.Put("B", new Counted);
    ASSERT_TRUE(owning.Delete(0));  // the object stays with the caller
    EXPECT_EQ(owning.count, 1);
    EXPECT_EQ(owning.Get("B")->name, "B");
  }
  EXPECT_EQ(Counted::alive, 1);
  delete kept;
}

TEST(Lst, MoveTakesTheNodeOutAndPutsItAtEitherEnd) {
  Lst list;
  for (const char* n : {"A", "B", "C", "D"}) list.Put(n, nullptr);
  list.Move(list.NodeAt(2), true);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C", "A", "B", "D"}));
  list.Move(list.NodeAt(0), false);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "D", "C"}));
  EXPECT_EQ(list.count, 4);

  // Of two nodes with one name, the node given is the one moved; no node appears twice.
  Lst twins;
  twins.Put("K", nullptr);
  twins.Put("L", nullptr);
  Nod* second = twins.Put("K", nullptr);
  twins.Move(second, true);
  EXPECT_EQ(twins.NodeAt(0), second);
  EXPECT_NE(twins.NodeAt(1), second);
  EXPECT_NE(twins.NodeAt(2), second);

  Nod stranger{nullptr, "Z"};
  twins.Move(&stranger, true);  // no entry of that name
  twins.Move(nullptr, true);
  EXPECT_EQ(twins.count, 3);
  EXPECT_EQ(twins.NodeAt(0), second);
}

TEST(Lst, DofuncWalksInEitherDirectionAndPrintUsesIt) {
  Lst list;
  for (const char* n : {"A", "B", "C"}) list.Put(n, nullptr);
  static std::string seen;
  static int lists;
  seen.clear();
  lists = 0;
  list.Dofunc([](Lst*) { ++lists; }, [](Nod* n, int pos) { seen += n->name + std::to_string(pos); });
  list.forward = 0;
  list.Dofunc(nullptr, [](Nod* n, int pos) { seen += n->name + std::to_string(pos); });
  EXPECT_EQ(lists, 1);
  EXPECT_EQ(seen, "A0B1C2C2B1A0");

  testing::internal::CaptureStdout();
  list.Print();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Lista tiene 3 nodos\nNodName='C'\nNodName='B'\nNodName='A'\n");
  EXPECT_EQ(list.EnableFastAcces(), 1);
}

}  // namespace
