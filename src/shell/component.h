#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/form_description.h"

namespace orvex {

// The component model: every form and timer has an owner that destroys it. A component adds
// itself to its owner's list when made and leaves it when destroyed; an owner destroys what it
// still owns newest first, taking each out of its list before destroying it.
class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  TComponent* FindComponent(std::string_view name) const;

  const std::string& Name() const { return name_; }
  // A non-empty name is unique among the owner's components: EComponentError
  // "A component named %s already exists".
  void SetName(const std::string& name);

  // True while a form description is being applied to this component (setters store only).
  bool Loading() const { return loading_; }
  // True once destruction of this component or an owner of it has begun.
  bool Destroying() const { return destroying_; }

  // Applies one stored property through its setter. The base knows "Name" only; anything
  // else fails with EReadError "Property %s does not exist".
  virtual void SetProperty(std::string_view name, const PropertyValue& value);
  // Load completion: called once after the whole description of the form has been applied.
  virtual void Loaded();

  // Used by the description loader.
  void BeginLoading() { loading_ = true; }
  void EndLoading() { loading_ = false; }

 protected:
  // Marks this component and everything it owns as being destroyed (first step of destruction).
  void MarkDestroying();
  // Destroys the owned components, newest first. Called by ~TComponent; a derived class that
  // must tear its own resources down after its children may call it earlier.
  void DestroyComponents();

 private:
  void Insert(TComponent* child);
  void Remove(TComponent* child);

  TComponent* owner_;
  std::vector<TComponent*> components_;
  std::string name_;
  bool loading_ = false;
  bool destroying_ = false;
};

}  // namespace orvex
