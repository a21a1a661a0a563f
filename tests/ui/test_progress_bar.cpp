#include <gtest/gtest.h>

#include "platform/imaging.h"
#include "shell/application.h"
#include "ui/progress_bar.h"
#include "ui/ui_classes.h"
#include "updater/wait_form.h"

namespace orvex {
namespace {

class WaitFormProgress : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterUiClasses();
    RegisterWaitFormResources();
  }

  static platform::SurfacePtr Paint(TFormWait& form) {
    platform::SurfacePtr surface = platform::CreateOffscreenSurface(279, 108);
    form.PaintWindow(*surface);
    return surface;
  }

  // Columns of the bar's middle row painted in the fill colour (the frame's core blue, which
  // the edges of that row show too).
  static int FilledColumns(platform::Surface& surface) {
    int count = 0;
    for (int x = kProgressBarRect.left; x < kProgressBarRect.right; ++x) {
      if (platform::ReadSurfacePixel(surface, x, 82) == kProgressFillColour) ++count;
    }
    return count;
  }
};

TEST_F(WaitFormProgress, WithoutAKnownSizeTheWindowLooksAsBefore) {
  TFormWait before(nullptr);
  platform::SurfacePtr plain = Paint(before);
  TFormWait form(nullptr);
  form.ShowProgress(5000, -1);  // chunked or no Content-Length
  platform::SurfacePtr unknown = Paint(form);
  for (int y = 0; y < 108; ++y) {
    for (int x = 0; x < 279; ++x) {
      ASSERT_EQ(platform::ReadSurfacePixel(*unknown, x, y),
                platform::ReadSurfacePixel(*plain, x, y))
          << x << "," << y;
    }
  }
}

TEST_F(WaitFormProgress, TheBarGrowsUnderTheTextAndLeavesTheRestAlone) {
  TFormWait before(nullptr);
  platform::SurfacePtr plain = Paint(before);
  TFormWait form(nullptr);
  int previous = -1;
  for (const std::int64_t done : {0, 250, 500, 750, 1000}) {
    form.ShowProgress(done, 1000);
    platform::SurfacePtr surface = Paint(form);
    const int filled = FilledColumns(*surface);
    EXPECT_EQ(filled, ProgressFillWidth(done, 1000, 207)) << done;
    EXPECT_GT(filled, previous);
    previous = filled;
    // The track spans the label's width; outside the bar's rectangle every pixel is as before.
    EXPECT_EQ(platform::ReadSurfacePixel(*surface, 242, 80),
              done == 1000 ? kProgressFillColour : kProgressTrackColour);
    for (int y = 0; y < 108; ++y) {
      for (int x = 0; x < 279; ++x) {
        const bool inBar = x >= kProgressBarRect.left && x < kProgressBarRect.right &&
                           y >= kProgressBarRect.top && y < kProgressBarRect.bottom;
        if (inBar) continue;
        ASSERT_EQ(platform::ReadSurfacePixel(*surface, x, y),
                  platform::ReadSurfacePixel(*plain, x, y))
            << x << "," << y;
      }
    }
  }
}

// The repaint during a download runs without the event loop; on the suite's display-less runs
// (and under Wine's null driver) it must neither fail nor hang.
TEST_F(WaitFormProgress, RepaintsWhileShown) {
  FormWait = new TFormWait(nullptr);
  FormWait->Show();
  Application->ProcessPendingEvents();
  for (int i = 0; i <= 10; ++i) FormWait->ShowProgress(i * 100, 1000);
  delete FormWait;
  FormWait = nullptr;
  Application->ProcessPendingEvents();
}

}  // namespace
}  // namespace orvex
