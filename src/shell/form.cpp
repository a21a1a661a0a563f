#include "shell/form.h"

#include "core/exception.h"
#include "platform/window.h"
#include "shell/application.h"

namespace orvex {

TForm::TForm(TComponent* owner) : TComponent(owner) {}

TForm::~TForm() {
  MarkDestroying();
  DestroyHandle();
  DestroyComponents();
}

void TForm::Show() {
  visible_ = true;
  platform::ShowFormWindow(Handle());
}

void TForm::Hide() {
  visible_ = false;
  if (window_) platform::HideFormWindow(window_);
}

platform::Window* TForm::Handle() {
  if (!window_) window_ = CreateWindowHandle();
  return window_;
}

void TForm::Close() {
  // The close query always consents here.
  if (Application && Application->MainForm() == this) {
    Application->RequestTermination();
  } else {
    Hide();
  }
}

void TForm::LoadDescription(std::string_view className) {
  const FormDescription& description = FindFormDescription(className);
  std::vector<TComponent*> loading{this};
  BeginLoading();
  auto apply = [this](TComponent* target, const StoredProperty& property) {
    if (const MethodRef* method = std::get_if<MethodRef>(&property.value)) {
      target->SetProperty(property.name, PropertyValue(FindMethod(method->name)));
    } else {
      target->SetProperty(property.name, property.value);
    }
  };
  try {
    for (const StoredProperty& property : description.properties) apply(this, property);
    for (const ComponentDescription& described : description.components) {
      TComponent* component = FindComponentClass(described.className)(this);
      component->BeginLoading();
      loading.push_back(component);
      component->SetName(described.name);
      for (const StoredProperty& property : described.properties) apply(component, property);
    }
  } catch (...) {
    // Left to the form's destruction; none of them may act as loaded.
    for (TComponent* component : loading) component->EndLoading();
    throw;
  }
  // Load completion once the whole description is in place: the parts first, the form last.
  for (std::size_t i = 1; i < loading.size(); ++i) {
    loading[i]->EndLoading();
    loading[i]->Loaded();
  }
  EndLoading();
  Loaded();
}

TNotifyEvent TForm::FindMethod(std::string_view) {
  throw EReadError("Invalid property value");
}

platform::Window* TForm::CreateWindowHandle() {
  platform::FormWindowOptions options;
  TForm* mainForm = Application ? Application->MainForm() : nullptr;
  if (mainForm == this) {
    options.appWindow = Application->MainFormOnTaskBar();
  } else if (mainForm) {
    // Owned by the main form's window, so no other form gets a taskbar button.
    options.owner = mainForm->Handle();
  }
  options.onClose = [this] { Close(); };
  platform::Window* window = platform::CreateFormWindow(options);
  if (!window) throw Exception("Error creating window");
  return window;
}

void TForm::DestroyWindowHandle(platform::Window* window) {
  platform::DestroyFormWindow(window);
}

void TForm::DestroyHandle() {
  if (!window_) return;
  platform::Window* window = window_;
  visible_ = false;
  platform::HideFormWindow(window);
  window_ = nullptr;
  DestroyWindowHandle(window);
}

}  // namespace orvex
