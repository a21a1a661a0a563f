#include "platform/window.h"

#include <map>

#include "platform/events.h"
#include "platform/posix/window_impl.h"

namespace orvex::platform {
namespace {

struct WindowTable {
  std::map<std::uint64_t, Window*> live;
  std::uint64_t nextSerial = 1;
};

WindowTable& Table() {
  static auto* table = new WindowTable;  // lives as long as the process
  return *table;
}

}  // namespace

Window* CreateFormWindow(const FormWindowOptions& options) {
  auto* window = new Window;
  window->owner = options.owner;
  window->onClose = options.onClose;
  window->serial = Table().nextSerial++;
  Table().live[window->serial] = window;
  return window;
}

void ShowFormWindow(Window* window) {
  if (window) window->visible = true;
}

void HideFormWindow(Window* window) {
  if (window) window->visible = false;
}

void DestroyFormWindow(Window* window) {
  if (!window) return;
  Table().live.erase(window->serial);
  delete window;
}

void PostCloseRequest(Window* window) {
  if (!window) return;
  std::uint64_t serial = window->serial;
  PostTask([serial] {
    auto found = Table().live.find(serial);
    if (found == Table().live.end()) return;  // destroyed meanwhile
    std::function<void()> onClose = found->second->onClose;
    if (onClose) onClose();
  });
}

void ConfigureApplicationWindow(bool) {}

}  // namespace orvex::platform
