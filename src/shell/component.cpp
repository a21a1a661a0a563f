#include "shell/component.h"

#include <algorithm>

#include "core/exception.h"

namespace orvex {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->Insert(this);
}

TComponent::~TComponent() {
  MarkDestroying();
  DestroyComponents();
  if (owner_) owner_->Remove(this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* child : components_) {
    if (SameName(child->name_, name)) return child;
  }
  return nullptr;
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && owner_) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this) {
      throw EComponentError(FormatMessage("A component named %s already exists", name));
    }
  }
  name_ = name;
}

void TComponent::SetProperty(std::string_view name, const PropertyValue& value) {
  if (SameName(name, "Name")) {
    SetName(PropertyAsText(value));
    return;
  }
  throw EReadError(FormatMessage("Property %s does not exist", std::string(name)));
}

void TComponent::Loaded() {
  loading_ = false;
}

void TComponent::MarkDestroying() {
  if (destroying_) return;
  destroying_ = true;
  for (TComponent* child : components_) child->MarkDestroying();
}

void TComponent::DestroyComponents() {
  // Newest first; each leaves the list before it is destroyed, so it is never reached twice.
  while (!components_.empty()) {
    TComponent* child = components_.back();
    components_.pop_back();
    delete child;
  }
}

void TComponent::Insert(TComponent* child) {
  components_.push_back(child);
}

void TComponent::Remove(TComponent* child) {
  auto found = std::find(components_.begin(), components_.end(), child);
  if (found != components_.end()) components_.erase(found);
}

}  // namespace orvex
