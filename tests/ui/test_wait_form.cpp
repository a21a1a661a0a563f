#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/imaging.h"
#include "shell/application.h"
#include "shell/form_description.h"
#include "ui/form_shaper.h"
#include "ui/label.h"
#include "ui/reflection_image.h"
#include "ui/ui_classes.h"
#include "updater/wait_form.h"

namespace orvex {
namespace {

// Ends the test program when an event pass hangs, so a hang is a failure, not a stuck CI run.
class Reaper {
 public:
  Reaper()
      : watcher_([this] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::seconds(20), [this] { return disarmed_; })) {
            std::fputs("event pass hung\n", stderr);
            std::_Exit(1);
          }
        }) {}
  ~Reaper() {
    {
      std::lock_guard lock(mutex_);
      disarmed_ = true;
    }
    done_.notify_one();
    watcher_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool disarmed_ = false;
  std::thread watcher_;
};

class WaitForm : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterUiClasses();
    RegisterWaitFormResources();
  }
  void TearDown() override { RegisterWaitFormResources(); }

  // Re-registers the description with one component's property dropped or replaced.
  static void ChangeDescription(const std::string& component, const std::string& property,
                                const PropertyValue* value) {
    FormDescription description = FindFormDescription("TFormWait");
    auto edit = [&](std::vector<StoredProperty>& properties) {
      for (auto it = properties.begin(); it != properties.end(); ++it) {
        if (it->name != property) continue;
        if (value) {
          it->value = *value;
        } else {
          properties.erase(it);
        }
        return;
      }
    };
    if (component.empty()) {
      edit(description.properties);
    } else {
      for (ComponentDescription& c : description.components) {
        if (c.name == component) edit(c.properties);
      }
    }
    RegisterFormDescription("TFormWait", std::move(description));
  }

  // Paints the window's image off-screen, as the window's paint does.
  static platform::SurfacePtr PaintOffscreen(TFormWait& form) {
    platform::SurfacePtr surface = platform::CreateOffscreenSurface(279, 108);
    form.PaintWindow(*surface);
    return surface;
  }

  // Dark navy-ish text pixels inside the label's rectangle.
  static int TextPixels(platform::Surface& surface) {
    int count = 0;
    for (int y = 40; y < 73; ++y) {
      for (int x = 36; x < 243; ++x) {
        const std::uint32_t p = platform::ReadSurfacePixel(surface, x, y);
        const int r = p >> 16 & 0xFF, b = p & 0xFF;
        if (r < 120 && b > r + 40) ++count;
      }
    }
    return count;
  }
};

TEST(WaitWindowPosition, CentredOnThePrimaryScreenWithTheVirtualClamp) {
  struct Case {
    platform::ScreenMetrics screen;
    int left;
    int top;
  };
  const std::vector<Case> cases = {
      {{1024, 768, 0, 0}, 372, 330},
      {{1023, 767, 0, 0}, 372, 329},       // truncation
      {{200, 100, 0, 0}, 0, 0},            // negative position raised onto the desktop
      {{200, 100, -1280, -50}, -39, -4},   // a desktop reaching further left keeps it (to zero)
      {{1920, 1080, -1920, 0}, 820, 486},  // centred on the primary monitor only
      // A primary monitor right of another (X11 puts the desktop's corner at 0, 0).
      {{1920, 1080, 0, 0, 1920, 0}, 2740, 486},
      {{1024, 768, 0, 0, 0, 1080}, 372, 1410},
  };
  for (const Case& c : cases) {
    const WaitWindowPosition at = CentredPosition(c.screen, 279, 108);
    EXPECT_EQ(at.left, c.left) << c.screen.width;
    EXPECT_EQ(at.top, c.top) << c.screen.height;
  }
}

TEST_F(WaitForm, BuiltFromItsDescription) {
  TFormWait form(nullptr);
  ASSERT_NE(form.ReflectionImage2, nullptr);
  ASSERT_NE(form.LbAguarde, nullptr);
  ASSERT_NE(form.FormShaper1, nullptr);
  EXPECT_EQ(form.Components().size(), 3u);
  EXPECT_EQ(form.LbAguarde->Caption(), "Atualizando...");
  EXPECT_TRUE(form.LbAguarde->Font().bold);
  EXPECT_EQ(form.LbAguarde->Font().color, 0x000080u);
  EXPECT_EQ(form.Opacity(), 190);
  EXPECT_EQ(form.Color(), 0xF8F8F8u);
  EXPECT_NE(form.ReflectionImage2->ReflectionBitmap(), nullptr);  // built at load completion
  EXPECT_EQ(form.ReflectionImage2->Width(), 294);                 // AutoSize false
  EXPECT_TRUE(form.FormShaper1->Active());
  EXPECT_EQ(form.FormShaper1->Mask().Width(), 279);
  // The shaper made the window at load completion, hidden, sized to the mask.
  ASSERT_TRUE(form.HandleAllocated());
  EXPECT_FALSE(form.Visible());
  const platform::WindowBounds bounds = platform::GetWindowBounds(form.Handle());
  EXPECT_EQ(bounds.width, 279);
  EXPECT_EQ(bounds.height, 108);
}

TEST_F(WaitForm, PaintsBackgroundFrameAndText) {
  TFormWait form(nullptr);
  platform::SurfacePtr surface = PaintOffscreen(form);
  // Picture column x + 7: the rim at window column 0, the opaque core from 1 to 8.
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 0, 54), 0xBDCDDEu);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 4, 54), 0xB7C9DCu);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 278, 54), 0xBDCDDEu);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 139, 4), 0xB7C9DCu);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 139, 103), 0xB7C9DCu);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 139, 20), 0xF8F8F8u);  // background
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 139, 90), 0xF8F8F8u);  // no reflection seen
  EXPECT_GT(TextPixels(*surface), 100);
  // The text sits in the middle: nothing navy left of the label's rectangle.
  for (int y = 40; y < 73; ++y) {
    for (int x = 14; x < 36; ++x) EXPECT_EQ(platform::ReadSurfacePixel(*surface, x, y), 0xF8F8F8u);
  }
}

TEST_F(WaitForm, MissingPictureStillShowsTheText) {
  ChangeDescription("ReflectionImage2", "Picture.Data", nullptr);
  TFormWait form(nullptr);
  EXPECT_EQ(form.ReflectionImage2->ReflectionBitmap(), nullptr);
  platform::SurfacePtr surface = PaintOffscreen(form);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 4, 54), 0xF8F8F8u);
  EXPECT_GT(TextPixels(*surface), 100);
}

TEST_F(WaitForm, UndecodablePictureStillShowsTheText) {
  const PropertyValue junk = Bytes{0x89, 'P', 'N', 'G', 0, 0};
  ChangeDescription("ReflectionImage2", "Picture.Data", &junk);
  TFormWait form(nullptr);
  platform::SurfacePtr surface = PaintOffscreen(form);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 4, 54), 0xF8F8F8u);
  EXPECT_GT(TextPixels(*surface), 100);
}

TEST_F(WaitForm, ShaperSizesTheWindowToTheMask) {
  const PropertyValue small = std::int64_t{50};
  ChangeDescription("", "ClientWidth", &small);
  TFormWait form(nullptr);
  EXPECT_EQ(platform::GetWindowBounds(form.Handle()).width, 279);
}

TEST_F(WaitForm, MalformedMaskKeepsTheWindowRectangularAndSized) {
  const PropertyValue bad = Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'B', 'M'};  // count beyond the bytes
  ChangeDescription("FormShaper1", "Mask.Data", &bad);
  TFormWait form(nullptr);
  EXPECT_TRUE(form.FormShaper1->Mask().Empty());
  const platform::WindowBounds bounds = platform::GetWindowBounds(form.Handle());
  EXPECT_EQ(bounds.width, 279);
  EXPECT_EQ(bounds.height, 108);
}

TEST_F(WaitForm, ShapeCanBeSwitchedOffAndOn) {
  TFormWait form(nullptr);
  form.FormShaper1->SetActive(false);
  form.FormShaper1->SetActive(true);
  form.FormShaper1->SetMask(TBitmap());
  EXPECT_EQ(platform::GetWindowBounds(form.Handle()).width, 279);
}

// As the updater uses it: create, show, one pass of the loop, block, destroy. Without a
// display (the suite's runs) nothing shows and nothing fails.
TEST_F(WaitForm, ShowPaintOnceAndDestroy) {
  Reaper reaper;
  FormWait = new TFormWait(nullptr);
  FormWait->Show();
  EXPECT_TRUE(FormWait->Visible());
  Application->ProcessPendingEvents();
  delete FormWait;
  FormWait = nullptr;
  Application->ProcessPendingEvents();
}

TEST_F(WaitForm, OwnedFormGoesWithItsOwner) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* form = new TFormWait(owner.get());
  form->Show();
  EXPECT_EQ(owner->Components().size(), 1u);
  owner.reset();  // destroys the form, its window and its components
}

}  // namespace
}  // namespace orvex

// Fontconfig (behind the text drawing on POSIX) keeps its parsed configuration for the life of
// the process and never frees it; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}
