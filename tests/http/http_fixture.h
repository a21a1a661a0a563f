#pragma once

#include <memory>
#include <string>

#include "http/http_exception.h"
#include "http/net_http.h"
#include "net/memory_source.h"
#include "stream/stream.h"
#include "support/scripted_server.h"

namespace orvex::test {

// A client as the updater configures it, with time limits that turn a hang into a failure.
inline std::unique_ptr<TNetHTTP> MakeClient() {
  auto client = std::make_unique<TNetHTTP>(nullptr);
  client->MaxAuthRetries = 1;
  client->SetConnectTimeout(5000);
  client->SetReadTimeout(5000);
  return client;
}

inline std::string UrlOf(const ScriptedServer& server, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(server.Port()) + path;
}

// A response with a Content-Length body.
inline std::string Reply(const std::string& statusAndHeaders, const std::string& body) {
  return "HTTP/1.1 " + statusAndHeaders + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

// The slice sizes in which memory hands out a response: every byte alone, cuts at odd places,
// and all at once.
inline constexpr std::size_t kSlices[] = {1, 7, 65536};

// Reads the next response from `source` as the reply to a GET of http://h/v.txt.
inline TNetHTTPNextStep ReadReply(TNetHTTP& client, TNetMemorySource& source, TStream& body) {
  client.Request().Method = "GET";
  client.ResolveTarget("http://h/v.txt");
  return client.ReadResponse(source, &body, {});
}

// Serves the given responses on one connection, one per request, then waits for the client
// to close it.
inline ServerScript Serve(std::initializer_list<std::string> responses) {
  ServerScript script;
  for (const std::string& response : responses) {
    script.push_back(ServerStep::ReadBlankLine());
    script.push_back(ServerStep::Send(response));
  }
  script.push_back(ServerStep::ReadBlankLine());
  return script;
}

}  // namespace orvex::test
