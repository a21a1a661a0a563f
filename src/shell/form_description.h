#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvex {

class TComponent;

// An event handler: called with the component that raised the event.
using TNotifyEvent = std::function<void(TComponent* sender)>;

// A stored handler: the name of a method of the form being loaded (e.g. "TimerStartTimer").
// The loader resolves it through TForm::FindMethod and hands the component a TNotifyEvent.
struct MethodRef {
  std::string name;
};

using Bytes = std::vector<std::uint8_t>;

// One stored property value. Integers cover every ordinal property; Bytes hold binary
// properties (pictures, bitmaps) exactly as stored.
using PropertyValue = std::variant<bool, std::int64_t, std::string, Bytes, MethodRef, TNotifyEvent>;

struct StoredProperty {
  std::string name;
  PropertyValue value;
};

struct ComponentDescription {
  std::string className;  // looked up in the component class registry
  std::string name;
  std::vector<StoredProperty> properties;  // applied in this order, each through its setter
};

// The stored values of a form and of the components it owns, in creation order.
struct FormDescription {
  std::vector<StoredProperty> properties;
  std::vector<ComponentDescription> components;
};

// The descriptions are the program's resources, registered by class name before any form is
// built (each subsystem has a Register...Resources function that main calls).
void RegisterFormDescription(std::string formClassName, FormDescription description);
// Fails with EResNotFound "Resource %s not found".
const FormDescription& FindFormDescription(std::string_view formClassName);

// The component model's constructor table: makes a component of a class owned by `owner`.
using ComponentFactory = TComponent* (*)(TComponent* owner);
void RegisterComponentClass(std::string className, ComponentFactory factory);
// Fails with EClassNotFound "Class %s not found".
ComponentFactory FindComponentClass(std::string_view className);

// Typed access to a stored value; a value of another kind fails with EReadError
// "Invalid property value".
bool PropertyAsBool(const PropertyValue& value);
std::int64_t PropertyAsInt(const PropertyValue& value);
const std::string& PropertyAsText(const PropertyValue& value);
const Bytes& PropertyAsBytes(const PropertyValue& value);
TNotifyEvent PropertyAsHandler(const PropertyValue& value);

}  // namespace orvex
