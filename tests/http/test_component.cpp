#include <gtest/gtest.h>

#include <memory>

#include "core/exception.h"
#include "http/net_http.h"
#include "shell/form_description.h"

namespace orvex {
namespace {

TEST(HttpComponent, RegisteredClassMakesAnOwnedClient) {
  RegisterHttpClasses();
  TComponent owner(nullptr);
  TComponent* made = FindComponentClass("TNetHTTP")(&owner);
  auto* client = dynamic_cast<TNetHTTP*>(made);
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->Owner(), &owner);
  EXPECT_EQ(owner.Components().size(), 1u);
}

TEST(HttpComponent, StoredSettingsOfTheUpdatersClient) {
  TNetHTTP client(nullptr);
  EXPECT_EQ(client.MaxAuthRetries, 3);
  EXPECT_EQ(client.HTTPOptions, TNetHTTPOptions{hoForceEncodeParams});
  const StoredProperty stored[] = {
      {"Name", std::string("NetHTTPClient")},
      {"MaxAuthRetries", std::int64_t{1}},
      {"AllowCookies", true},
      {"ProxyParams.BasicAuthentication", false},
      {"ProxyParams.ProxyPort", std::int64_t{0}},
      {"Request.ContentLength", std::int64_t{-1}},
      {"Request.ContentRangeEnd", std::int64_t{-1}},
      {"Request.ContentRangeStart", std::int64_t{-1}},
      {"Request.ContentRangeInstanceLength", std::int64_t{-1}},
      {"Request.Accept", std::string("text/html, */*")},
      {"Request.BasicAuthentication", false},
      {"Request.UserAgent", std::string("Mozilla/3.0 (compatible; Orvex Updater)")},
      {"HTTPOptions", std::string("[hoInProcessAuth, hoForceEncodeParams]")},
      {"ConnectTimeout", std::int64_t{15000}},
      {"ReadTimeout", std::int64_t{30000}},
  };
  for (const StoredProperty& property : stored) client.SetProperty(property.name, property.value);
  EXPECT_EQ(client.Name(), "NetHTTPClient");
  EXPECT_EQ(client.MaxAuthRetries, 1);
  EXPECT_EQ(client.HTTPOptions, TNetHTTPOptions{hoInProcessAuth | hoForceEncodeParams});
  EXPECT_EQ(client.ConnectTimeout(), 15000);
  EXPECT_EQ(client.ReadTimeout(), 30000);
  EXPECT_EQ(client.Request().ContentLength(), -1);

  EXPECT_THROW(client.SetProperty("NoSuchSetting", true), EReadError);
  EXPECT_THROW(client.SetProperty("HTTPOptions", std::string("[hoBogus]")), EReadError);
  EXPECT_THROW(client.SetProperty("MaxAuthRetries", std::string("one")), EReadError);
  client.SetProperty("ProtocolVersion", std::string("pv1_0"));
  EXPECT_EQ(client.ProtocolVersion, pv1_0);
}

}  // namespace
}  // namespace orvex
