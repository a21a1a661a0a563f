#pragma once

#include <memory>
#include <string>

#include "net/tcp_client.h"
#include "support/reaper.h"
#include "support/scripted_server.h"

namespace orvex::test {

inline std::unique_ptr<TNetTCPClient> ConnectedClient(int port) {
  auto client = std::make_unique<TNetTCPClient>();
  client->SetHost("127.0.0.1");
  client->SetPort(port);
  client->Connect();
  return client;
}

}  // namespace orvex::test
