#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exception.h"
#include "shell/component.h"
#include "support/expect_failure.h"

namespace orvex {
namespace {

// Records the start of its destruction (as a form does: marked first, then its own teardown,
// then what it owns), and whether its owner was being destroyed then.
class Recorded : public TComponent {
 public:
  Recorded(TComponent* owner, std::string name, std::vector<std::string>& log)
      : TComponent(owner), log_(log) {
    SetName(name);
  }
  ~Recorded() override {
    MarkDestroying();
    bool ownerMarked = Owner() && Owner()->Destroying();
    log_.push_back(Name() + (Owner() && !ownerMarked ? " alone" : ""));
  }

 private:
  std::vector<std::string>& log_;
};

using Log = std::vector<std::string>;

TEST(ComponentTest, AComponentJoinsItsOwnerInCreationOrder) {
  Log log;
  TComponent owner(nullptr);
  auto* a = new Recorded(&owner, "A", log);
  auto* b = new Recorded(&owner, "B", log);
  EXPECT_EQ(owner.Components(), (std::vector<TComponent*>{a, b}));
  EXPECT_EQ(a->Owner(), &owner);
}

TEST(ComponentTest, TheOwnerDestroysWhatItOwnsNewestFirstAndDepthFirst) {
  Log log;
  {
    Recorded root(nullptr, "root", log);
    auto* first = new Recorded(&root, "first", log);
    new Recorded(first, "first.child", log);
    new Recorded(&root, "second", log);
  }
  // Each begins its own destruction, then destroys its newest component first.
  EXPECT_EQ(log, (Log{"root", "second", "first", "first.child"}));
}

TEST(ComponentTest, AComponentDestroyedEarlyLeavesItsOwnerAndIsNotDestroyedAgain) {
  Log log;
  {
    Recorded root(nullptr, "root", log);
    new Recorded(&root, "first", log);
    auto* early = new Recorded(&root, "early", log);
    new Recorded(&root, "last", log);
    delete early;
    EXPECT_EQ(root.Components().size(), 2u);
    EXPECT_EQ(root.FindComponent("early"), nullptr);
  }
  EXPECT_EQ(log, (Log{"early alone", "root", "last", "first"}));
}

TEST(ComponentTest, NamesAreUniqueAmongTheComponentsOfOneOwner) {
  Log log;
  TComponent owner(nullptr), other(nullptr);
  new Recorded(&owner, "TimerStart", log);
  auto* second = new Recorded(&owner, "", log);
  EXPECT_TRUE(test::FailsWith<EComponentError>([&] { second->SetName("TimerStart"); },
                                               "A component named TimerStart already exists"));
  EXPECT_EQ(second->Name(), "");
  EXPECT_THROW(second->SetName("timerstart"), EComponentError);  // names ignore case
  EXPECT_NO_THROW(new Recorded(&other, "TimerStart", log));      // another owner is fine
  EXPECT_NO_THROW(second->SetName(""));
  EXPECT_NO_THROW(new Recorded(&owner, "", log));  // unnamed ones never clash
  EXPECT_EQ(owner.FindComponent("TIMERSTART"), owner.Components()[0]);
}

TEST(ComponentTest, TheBaseKnowsOnlyTheNameProperty) {
  TComponent component(nullptr);
  component.SetProperty("Name", std::string("Timer1"));
  EXPECT_EQ(component.Name(), "Timer1");
  EXPECT_TRUE(
      test::FailsWith<EReadError>([&] { component.SetProperty("Interval", std::int64_t{5}); },
                                  "Property Interval does not exist"));
  EXPECT_THROW(component.SetProperty("Name", true), EReadError);
}

}  // namespace
}  // namespace orvex
