#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "net/exceptions.h"
#include "net/io_handler.h"
#include "net/tcp_client.h"
#include "net_fixture.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using test::Reaper;
using test::ScriptedServer;
using test::ServerStep;

// A name lookup that answers 127.0.0.1 after `delay`, or at once when the gate opens.
struct SlowResolver {
  std::mutex lock;
  std::condition_variable changed;
  bool open = false;
  int finished = 0;
};

TNetLookupFunction SlowLookup(std::shared_ptr<SlowResolver> resolver,
                              std::chrono::milliseconds delay) {
  return [resolver, delay](const std::string&, platform::AddressFamily,
                           platform::SocketAddress& address) {
    std::unique_lock<std::mutex> guard(resolver->lock);
    resolver->changed.wait_for(guard, delay, [&] { return resolver->open; });
    address = platform::SocketAddress{};
    address.bytes[0] = 127;
    address.bytes[3] = 1;
    ++resolver->finished;
    resolver->changed.notify_all();
    return 0;
  };
}

struct LookupCase {
  const char* name;
  int connectTimeout;   // the client's connect limit
  int totalMs;          // the exchange's total limit (0: none)
  int lookupMs;         // how long the lookup takes
  const char* failure;  // nullptr: connects
};

TEST(ConnectLimitTest, NameLookupRunsInsideTheConnectLimit) {
  Reaper reaper;
  const LookupCase cases[] = {
      {"a hanging lookup ends at the connect limit", 300, 0, 20000, "Connect timed out."},
      {"a hanging lookup ends at the total limit", 20000, 300, 20000,
       "The transfer took longer than its limit of 300 ms"},
      {"a slow lookup within the limit connects", 5000, 0, 100, nullptr},
      {"a lookup on the caller's thread (no limit) connects", 0, 0, 100, nullptr},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server({ServerStep::Send("hi\n"), ServerStep::Close()});
    auto resolver = std::make_shared<SlowResolver>();
    {
      TNetTCPClient client;
      auto handler = std::make_unique<TNetIOHandlerStack>();
      handler->LookupHost = SlowLookup(resolver, std::chrono::milliseconds(c.lookupMs));
      client.SetIOHandler(std::move(handler));
      client.SetHost("update.example");
      client.SetPort(server.Port());
      client.SetConnectTimeout(c.connectTimeout);
      client.TransferBounds().Start(SteadyMs(), c.totalMs, 0, 0);
      try {
        client.Connect();
        EXPECT_EQ(c.failure, nullptr);
        EXPECT_TRUE(client.Connected());
        EXPECT_EQ(client.IOHandler()->ReadLn(), "hi");
      } catch (const ENetConnectTimeout& failure) {
        ASSERT_NE(c.failure, nullptr);
        EXPECT_EQ(failure.Message(), c.failure);
      } catch (const ENetTransferLimitExceeded& failure) {
        ASSERT_NE(c.failure, nullptr);
        EXPECT_EQ(failure.Message(), c.failure);
      }
      if (c.failure) {
        EXPECT_FALSE(client.Connected());
      }
    }
    // The client is gone; a lookup left running ends on its own, touching only what it shares.
    std::unique_lock<std::mutex> guard(resolver->lock);
    resolver->open = true;
    resolver->changed.notify_all();
    EXPECT_TRUE(resolver->changed.wait_for(guard, 5s, [&] { return resolver->finished == 1; }));
  }
}

}  // namespace
}  // namespace orvex
