#include "platform/base/classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/set.h"

using namespace vcl;

namespace {

// Records every notification it receives and clears its reference when it goes.
class Watcher : public TComponent {
 public:
  Watcher(TComponent* Owner, std::vector<std::string>* Log, std::string Tag)
      : TComponent(Owner), FLog(Log), FTag(std::move(Tag)) {}
  ~Watcher() override { FLog->push_back("free " + FTag); }
  TComponent* Ref = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    FLog->push_back(FTag + (Operation == opInsert ? " insert " : " remove ") + AComponent->Name());
    if (Operation == opRemove && AComponent == Ref) Ref = nullptr;
  }

 private:
  std::vector<std::string>* FLog;
  std::string FTag;
};

}  // namespace

TEST(Component, OwnerFreesWhatItOwnsLastFirst) {
  std::vector<std::string> log;
  auto* owner = new Watcher(nullptr, &log, "owner");
  auto* a = new Watcher(owner, &log, "a");
  a->SetName("A");
  auto* b = new Watcher(owner, &log, "b");
  b->SetName("B");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("a"), a);
  EXPECT_THROW(b->SetName("A"), EComponentError);
  log.clear();
  delete owner;
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front(), "free owner");
  EXPECT_EQ(log.back(), "free a");
}

TEST(Component, SiblingsHearOfARemovalThroughTheOwner) {
  std::vector<std::string> log;
  Watcher owner(nullptr, &log, "owner");
  auto* source = new Watcher(&owner, &log, "source");
  source->SetName("Source");
  auto* user = new Watcher(&owner, &log, "user");
  user->Ref = source;
  user->FreeNotification(source);  // same owner: told once, through the owner
  log.clear();
  delete source;
  EXPECT_EQ(user->Ref, nullptr);
  int told = 0;
  for (auto& l : log) told += l == "user remove Source";
  EXPECT_EQ(told, 1);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, FreeNotificationReachesOtherOwners) {
  std::vector<std::string> log;
  Watcher formA(nullptr, &log, "formA");
  Watcher formB(nullptr, &log, "formB");
  auto* source = new Watcher(&formA, &log, "source");
  source->SetName("Source");
  auto* user = new Watcher(&formB, &log, "user");
  user->Ref = source;
  user->FreeNotification(source);
  delete source;
  EXPECT_EQ(user->Ref, nullptr);
  // The other way round: the user goes first and the source forgets it, so freeing the source
  // later tells nobody stale.
  auto* source2 = new Watcher(&formA, &log, "source2");
  auto* user2 = new Watcher(&formB, &log, "user2");
  user2->FreeNotification(source2);
  delete user2;
  log.clear();
  delete source2;
  for (auto& l : log) EXPECT_EQ(l.find("user2"), std::string::npos) << l;
}

TEST(Component, LoadingStateAndLoaded) {
  std::vector<std::string> log;
  Watcher owner(nullptr, &log, "owner");
  auto* child = new Watcher(&owner, &log, "child");
  owner.BeginLoading();
  EXPECT_TRUE(child->ComponentState().Contains(csLoading));
  EXPECT_TRUE(child->ComponentState().Contains(csReading));
  owner.EndLoading();
  EXPECT_FALSE(child->ComponentState().Contains(csLoading));
  owner.SetDesigning(true);
  EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
}

TEST(SetOf, UnionDifferenceIntersection) {
  enum class E { a, b, c };
  Set<E> s{E::a, E::c};
  EXPECT_TRUE(s.Contains(E::a));
  EXPECT_FALSE(s.Contains(E::b));
  EXPECT_EQ((s - Set<E>{E::a}), Set<E>{E::c});
  EXPECT_EQ((s * Set<E>{E::b, E::c}), Set<E>{E::c});
  EXPECT_TRUE((Set<E>{E::a} <= s));
  EXPECT_TRUE(Set<E>().Empty());
}
