#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exception.h"
#include "shell/form.h"
#include "shell/form_description.h"
#include "shell/shell_classes.h"
#include "shell/timer.h"
#include "shell_fixture.h"
#include "support/expect_failure.h"
#include "support/reaper.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;

Log* probeLog = nullptr;

// A component that records what the loader does to it.
class TProbe : public TComponent {
 public:
  using TComponent::TComponent;
  void SetProperty(std::string_view name, const PropertyValue& value) override {
    if (name == "Name") return TComponent::SetProperty(name, value);
    std::string entry = Name() + "." + std::string(name) + (Loading() ? " loading" : "");
    if (name == "OnClick") {
      PropertyAsHandler(value)(this);
    } else if (name == "Caption") {
      entry += "=" + PropertyAsText(value);
    } else {
      return TComponent::SetProperty(name, value);
    }
    probeLog->push_back(entry);
  }
  void Loaded() override {
    TComponent::Loaded();
    probeLog->push_back(Name() + " loaded");
  }
};

class TFormProbe : public TForm {
 public:
  TFormProbe(TComponent* owner, std::string_view className) : TForm(owner) {
    LoadDescription(className);
    probeLog->push_back("constructor body");
  }

 protected:
  TNotifyEvent FindMethod(std::string_view name) override {
    if (name == "ProbeClick") {
      return [](TComponent* sender) { probeLog->push_back(sender->Name() + " clicked"); };
    }
    return TForm::FindMethod(name);
  }
};

class FormDescriptionTest : public test::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    probeLog = &log;
    RegisterShellClasses();
    RegisterComponentClass("TProbe",
                           [](TComponent* owner) -> TComponent* { return new TProbe(owner); });
  }
  Log log;
};

TEST_F(FormDescriptionTest, AMissingDescriptionFailsWithResourceNotFound) {
  EXPECT_TRUE(test::FailsWith<EResNotFound>([&] { TFormProbe form(nullptr, "TFormNowhere"); },
                                            "Resource TFormNowhere not found"));
}

TEST_F(FormDescriptionTest, AnUnknownComponentClassFailsWithClassNotFound) {
  RegisterFormDescription("TFormUnknown", {{}, {{"TGadget", "Gadget1", {}}}});
  EXPECT_TRUE(test::FailsWith<EClassNotFound>([&] { TFormProbe form(nullptr, "TFormUnknown"); },
                                              "Class TGadget not found"));
}

TEST_F(FormDescriptionTest, TwoComponentsWithOneNameFailWithComponentError) {
  RegisterFormDescription("TFormTwice", {{}, {{"TTimer", "Timer1", {}}, {"TTimer", "Timer1", {}}}});
  EXPECT_THROW(TFormProbe(nullptr, "TFormTwice"), EComponentError);
}

TEST_F(FormDescriptionTest, PropertiesApplyInStoredOrderWhileLoadingThenEachComponentIsLoaded) {
  RegisterFormDescription(
      "TFormOrder",
      {{},
       {{"TProbe", "First", {{"Caption", std::string("b")}, {"OnClick", MethodRef{"ProbeClick"}}}},
        {"TProbe", "Second", {{"Caption", std::string("a")}}}}});
  TFormProbe form(nullptr, "TFormOrder");
  EXPECT_EQ(log,
            (Log{"First.Caption loading=b", "First clicked", "First.OnClick loading",
                 "Second.Caption loading=a", "First loaded", "Second loaded", "constructor body"}));
  ASSERT_EQ(form.Components().size(), 2u);
  EXPECT_EQ(form.Components()[0]->Name(), "First");
  EXPECT_FALSE(form.Components()[0]->Loading());
}

TEST_F(FormDescriptionTest, AnUnknownHandlerNameOrAWrongValueKindFailsAsAReadError) {
  RegisterFormDescription("TFormBadHandler",
                          {{}, {{"TProbe", "P", {{"OnClick", MethodRef{"Nowhere"}}}}}});
  EXPECT_TRUE(test::FailsWith<EReadError>([&] { TFormProbe form(nullptr, "TFormBadHandler"); },
                                          "Invalid property value"));
  RegisterFormDescription("TFormBadKind",
                          {{}, {{"TTimer", "T", {{"Interval", std::string("x")}}}}});
  EXPECT_THROW(TFormProbe(nullptr, "TFormBadKind"), EReadError);
  RegisterFormDescription("TFormBadRange",
                          {{}, {{"TTimer", "T", {{"Interval", std::int64_t{-1}}}}}});
  EXPECT_THROW(TFormProbe(nullptr, "TFormBadRange"), EReadError);
}

TEST_F(FormDescriptionTest, PropertyAccessorsRefuseAnotherKind) {
  struct Case {
    PropertyValue value;
    bool isBool, isInt, isText, isBytes, isHandler;
  };
  const Case cases[] = {
      {true, true, false, false, false, false},
      {std::int64_t{7}, false, true, false, false, false},
      {std::string("x"), false, false, true, false, false},
      {Bytes{1, 2}, false, false, false, true, false},
      {MethodRef{"X"}, false, false, false, false, false},  // unresolved: never a handler
      {TNotifyEvent([](TComponent*) {}), false, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.index());
    if (c.isBool)
      EXPECT_NO_THROW(PropertyAsBool(c.value));
    else
      EXPECT_THROW(PropertyAsBool(c.value), EReadError);
    if (c.isInt)
      EXPECT_NO_THROW(PropertyAsInt(c.value));
    else
      EXPECT_THROW(PropertyAsInt(c.value), EReadError);
    if (c.isText)
      EXPECT_NO_THROW(PropertyAsText(c.value));
    else
      EXPECT_THROW(PropertyAsText(c.value), EReadError);
    if (c.isBytes)
      EXPECT_NO_THROW(PropertyAsBytes(c.value));
    else
      EXPECT_THROW(PropertyAsBytes(c.value), EReadError);
    if (c.isHandler)
      EXPECT_NO_THROW(PropertyAsHandler(c.value));
    else
      EXPECT_THROW(PropertyAsHandler(c.value), EReadError);
  }
}

// A form like the main form: two stored timers, both disabled, one armed by the constructor.
class TFormTimers : public TForm {
 public:
  explicit TFormTimers(TComponent* owner) : TForm(owner) {
    LoadDescription("TFormTimers");
    start = static_cast<TTimer*>(FindComponent("TimerStart"));
    stop = static_cast<TTimer*>(FindComponent("TimerStop"));
    start->SetEnabled(true);
  }
  TTimer* start = nullptr;
  TTimer* stop = nullptr;
  Log events;

 protected:
  TNotifyEvent FindMethod(std::string_view name) override {
    if (name == "TimerStartTimer") {
      return [this](TComponent*) {
        start->SetEnabled(false);
        events.push_back("start");
        stop->SetEnabled(true);
      };
    }
    if (name == "TimerStopTimer") {
      return [this](TComponent*) {
        stop->SetEnabled(false);
        events.push_back("stop");
        Application->RequestTermination();
      };
    }
    return TForm::FindMethod(name);
  }
};

TEST_F(FormDescriptionTest, StoredDisabledTimersStayQuietUntilTheFormArmsThem) {
  RegisterFormDescription("TFormTimers", {{},
                                          {{"TTimer",
                                            "TimerStart",
                                            {{"Enabled", false},
                                             {"Interval", std::int64_t{30}},
                                             {"OnTimer", MethodRef{"TimerStartTimer"}}}},
                                           {"TTimer",
                                            "TimerStop",
                                            {{"Enabled", false},
                                             {"Interval", std::int64_t{40}},
                                             {"OnTimer", MethodRef{"TimerStopTimer"}}}}}});
  TFormTimers* form = nullptr;
  Application->CreateForm(form);
  EXPECT_EQ(Application->MainForm(), form);
  EXPECT_EQ(form->stop->Interval(), 40u);
  EXPECT_FALSE(form->stop->Enabled());
  test::RunApplicationLoop(20s);
  EXPECT_EQ(form->events, (Log{"start", "stop"}));
}

TEST_F(FormDescriptionTest, ATimerStoredEnabledIsArmedOnceLoaded) {
  RegisterFormDescription(
      "TFormTimers",
      {{},
       {{"TTimer", "TimerStart", {{"Enabled", false}, {"OnTimer", MethodRef{"TimerStartTimer"}}}},
        {"TTimer",
         "TimerStop",
         {{"Interval", std::int64_t{30}}, {"OnTimer", MethodRef{"TimerStopTimer"}}}}}});
  TFormTimers* form = nullptr;
  Application->CreateForm(form);
  form->start->SetEnabled(false);
  test::RunApplicationLoop(20s);
  EXPECT_EQ(form->events, (Log{"stop"}));
}

}  // namespace
}  // namespace orvex
