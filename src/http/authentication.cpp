#include "http/authentication.h"

#include <mutex>
#include <utility>
#include <vector>

#include "core/text.h"
#include "http/http_exception.h"

namespace orvex {

namespace {

struct SchemeEntry {
  std::string name;
  TNetAuthenticationClass authClass;
};

struct Registry {
  std::mutex lock;
  std::vector<SchemeEntry> entries{
      {"Basic", AuthenticationClassOf<TNetBasicAuthentication>("TNetBasicAuthentication")}};
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

TNetAuthentication::TNetAuthentication() : params_(1024), authParams_(1024) {}

void TNetAuthentication::SetPassword(std::string_view password) {
  // An empty value would remove the line; the name stays readable as empty either way.
  params_.SetValue("Password", password);
}

void TNetAuthentication::SetUsername(std::string_view username) {
  params_.SetValue("Username", username);
}

TNetAuthWhatsNext TNetBasicAuthentication::Next() {
  for (const std::string& line : authParams_.Lines()) {
    if (line.rfind("Basic", 0) != 0) continue;
    auto blank = line.find(' ');
    std::string rest = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    while (!rest.empty()) {
      auto comma = rest.find(", ");
      std::string item = rest.substr(0, comma);
      rest = comma == std::string::npos ? std::string() : rest.substr(comma + 2);
      if (auto eq = item.find('='); eq != std::string::npos) item.replace(eq, 1, ": ");
      params_.Add(item);
    }
    break;
  }
  std::string realm = params_.Value("realm");
  realm_ = realm.size() >= 2 ? realm.substr(1, realm.size() - 2) : std::string();
  if (currentStep_ == 0) {
    return Username().empty() ? TNetAuthWhatsNext::authAsk : TNetAuthWhatsNext::authSend;
  }
  return TNetAuthWhatsNext::authFail;
}

std::string TNetBasicAuthentication::Authenticate() {
  return "Basic " + EncodeBase64(Username() + ":" + Password());
}

TNetAuthenticationClass FindAuthScheme(std::string_view name) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  for (const SchemeEntry& entry : registry.entries) {
    if (SameText(entry.name, name)) return entry.authClass;
  }
  return {};
}

void RegisterAuthScheme(std::string_view name, TNetAuthenticationClass authClass) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  for (const SchemeEntry& entry : registry.entries) {
    if (SameText(entry.name, name)) {
      throw ENetAlreadyRegisteredAuthenticationMethod(
          FormatMessage("This authentication method is already registered with class name %s.",
                        entry.authClass.className));
    }
  }
  registry.entries.push_back({std::string(name), authClass});
}

void UnregisterAuthScheme(std::string_view name) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  std::erase_if(registry.entries,
                [&](const SchemeEntry& entry) { return SameText(entry.name, name); });
}

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                 (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  std::size_t left = bytes.size() - i;
  if (left > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (left == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += left == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace orvex
