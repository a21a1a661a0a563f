#include "shell/form_description.h"

#include <map>

#include "core/exception.h"

namespace orvex {
namespace {

// Both tables live for the whole process (never destroyed, so late static destructors may use
// them safely).
std::map<std::string, FormDescription, std::less<>>& Descriptions() {
  static auto* table = new std::map<std::string, FormDescription, std::less<>>;
  return *table;
}

std::map<std::string, ComponentFactory, std::less<>>& Classes() {
  static auto* table = new std::map<std::string, ComponentFactory, std::less<>>;
  return *table;
}

[[noreturn]] void InvalidValue() {
  throw EReadError("Invalid property value");
}

template <class T>
const T& As(const PropertyValue& value) {
  const T* stored = std::get_if<T>(&value);
  if (!stored) InvalidValue();
  return *stored;
}

}  // namespace

void RegisterFormDescription(std::string formClassName, FormDescription description) {
  Descriptions().insert_or_assign(std::move(formClassName), std::move(description));
}

const FormDescription& FindFormDescription(std::string_view formClassName) {
  auto found = Descriptions().find(formClassName);
  if (found == Descriptions().end()) {
    throw EResNotFound(FormatMessage("Resource %s not found", std::string(formClassName)));
  }
  return found->second;
}

void RegisterComponentClass(std::string className, ComponentFactory factory) {
  Classes().insert_or_assign(std::move(className), factory);
}

ComponentFactory FindComponentClass(std::string_view className) {
  auto found = Classes().find(className);
  if (found == Classes().end() || !found->second) {
    throw EClassNotFound(FormatMessage("Class %s not found", std::string(className)));
  }
  return found->second;
}

bool PropertyAsBool(const PropertyValue& value) {
  return As<bool>(value);
}
std::int64_t PropertyAsInt(const PropertyValue& value) {
  return As<std::int64_t>(value);
}
const std::string& PropertyAsText(const PropertyValue& value) {
  return As<std::string>(value);
}
const Bytes& PropertyAsBytes(const PropertyValue& value) {
  return As<Bytes>(value);
}

TNotifyEvent PropertyAsHandler(const PropertyValue& value) {
  // A stored handler reaches a setter only once the loader has resolved it.
  return As<TNotifyEvent>(value);
}

}  // namespace orvex
