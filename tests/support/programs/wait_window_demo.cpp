// Shows the wait window as the updater does (create, show, one pass of the loop), then blocks
// the thread for a while as a download would, so a test can take a screenshot of what the
// system keeps on screen by itself. Prints "shown" once painted and "closed" at the end.
//
// Usage: wait-window-demo [--no-picture] [--no-shape] [--progress F] <seconds to block>
//   --no-picture: the description without the frame picture;
//   --no-shape:   a mask that yields no region (all key colour), as when no shape is had;
//   --progress F: then shows the download bar at fraction F (0..1) of a known size, as the
//                 download's repaint does.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "shell/application.h"
#include "shell/form.h"
#include "shell/form_description.h"
#include "ui/ui_classes.h"
#include "updater/wait_form.h"

namespace {

// A 279 x 108 bitmap file, all white, behind its 32-bit byte count.
orvex::Bytes BlankMask() {
  const std::uint32_t stride = 279 * 3 + 3, size = 54 + stride * 108;
  orvex::Bytes file(size, 0xFF);
  const std::uint32_t header[] = {size,         0, 54, 40, 279, 108, 1 | 24 << 16, 0,
                                  stride * 108, 0, 0,  0,  0};
  file[0] = 'B';
  file[1] = 'M';
  for (std::size_t i = 0; i < sizeof header / 4; ++i) {
    for (int b = 0; b < 4; ++b) file[2 + i * 4 + b] = std::uint8_t(header[i] >> (8 * b));
  }
  orvex::Bytes stored;
  for (int b = 0; b < 4; ++b) stored.push_back(std::uint8_t(size >> (8 * b)));
  stored.insert(stored.end(), file.begin(), file.end());
  return stored;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orvex;
  bool noPicture = false;
  bool noShape = false;
  double seconds = 2;
  double progress = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--no-picture") {
      noPicture = true;
    } else if (arg == "--no-shape") {
      noShape = true;
    } else if (arg == "--progress" && i + 1 < argc) {
      progress = std::atof(argv[++i]);
    } else {
      seconds = std::atof(arg.c_str());
    }
  }
  RegisterUiClasses();
  RegisterWaitFormResources();
  FormDescription description = FindFormDescription("TFormWait");
  for (ComponentDescription& component : description.components) {
    if (noPicture) {
      std::erase_if(component.properties,
                    [](const StoredProperty& p) { return p.name == "Picture.Data"; });
    }
    for (StoredProperty& property : component.properties) {
      if (noShape && property.name == "Mask.Data") property.value = BlankMask();
    }
  }
  RegisterFormDescription("TFormWait", std::move(description));
  try {
    Application->Initialize();
    TForm* mainForm = nullptr;
    Application->CreateForm(mainForm);  // hidden, like the launcher's main form
    FormWait = new TFormWait(mainForm);
    FormWait->Show();
    Application->ProcessPendingEvents();
    if (progress >= 0) FormWait->ShowProgress(static_cast<std::int64_t>(progress * 1000), 1000);
    std::printf("shown\n");
    std::fflush(stdout);
    // The download: the thread does nothing for the window meanwhile.
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    delete FormWait;
    FormWait = nullptr;
    Application->ProcessPendingEvents();
  } catch (const Exception& e) {
    std::printf("failed: %s\n", e.Message().c_str());
    return 1;
  }
  std::printf("closed\n");
  return 0;
}

// Fontconfig (behind the text drawing on POSIX) keeps its parsed configuration for the life of
// the process and never frees it; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}
