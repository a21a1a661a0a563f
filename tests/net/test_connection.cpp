#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "net/exceptions.h"
#include "net_fixture.h"
#include "stream/stream.h"
#include "support/expect_failure.h"

namespace orvex {
namespace {

using test::Reaper;
using test::ScriptedServer;
using test::ServerStep;

TEST(TCPClientTest, ConnectsReportsStatusAndDisconnects) {
  Reaper reaper;
  // The server keeps the connection until the client leaves, so the client ends it itself.
  ScriptedServer server({ServerStep::ReadUntil("bye\r\n"), ServerStep::ReadUntil("not sent")});
  TNetTCPClient client;
  std::vector<std::string> statuses;
  client.OnStatus = [&](TNetComponent*, TNetStatus, const std::string& text) {
    statuses.push_back(text);
  };
  int connected = 0, disconnected = 0;
  client.OnConnected = [&](TNetComponent*) { ++connected; };
  client.OnDisconnected = [&](TNetComponent*) { ++disconnected; };
  client.SetHost("LOCALHOST");
  client.SetPort(server.Port());
  client.Connect();
  EXPECT_TRUE(client.Connected());
  EXPECT_EQ(client.IOHandler()->Binding()->PeerIP(), "127.0.0.1");
  EXPECT_EQ(client.IOHandler()->Binding()->PeerPort(), server.Port());
  EXPECT_TRUE(client.ManagedIOHandler());
  EXPECT_TRUE(
      test::FailsWith<ENetAlreadyConnected>([&] { client.Connect(); }, "Already connected."));
  client.IOHandler()->WriteLn("bye");
  client.Disconnect();
  EXPECT_FALSE(client.Connected());
  client.Disconnect();  // a second time does nothing
  EXPECT_EQ(connected, 1);
  EXPECT_EQ(disconnected, 1);
  EXPECT_EQ(statuses,
            (std::vector<std::string>{"Resolving hostname LOCALHOST.", "Connecting to 127.0.0.1.",
                                      "Connected.", "Disconnecting.", "Disconnected."}));
  EXPECT_TRUE(server.WaitDone());
  EXPECT_EQ(server.Received(), "bye\r\n");
}

TEST(TCPClientTest, ADottedAddressIsUsedWithoutResolving) {
  Reaper reaper;
  ScriptedServer server({ServerStep::Close()});
  TNetTCPClient client;
  std::vector<std::string> statuses;
  client.OnStatus = [&](TNetComponent*, TNetStatus, const std::string& text) {
    statuses.push_back(text);
  };
  client.SetHost("127.0.0.1");
  client.SetPort(server.Port());
  client.Connect();
  ASSERT_GE(statuses.size(), 2u);
  EXPECT_EQ(statuses[0], "Connecting to 127.0.0.1.");
  EXPECT_EQ(statuses[1], "Connected.");
}

TEST(TicksTest, DifferenceWrapsAround) {
  struct Case {
    std::uint32_t from, to, diff;
  } const cases[] = {{0, 0, 0}, {10, 25, 15}, {0xFFFFFFF0u, 5, 0xFFFFFFFFu - 0xFFFFFFF0u + 5}};
  for (const auto& c : cases) EXPECT_EQ(TickDiff(c.from, c.to), c.diff) << c.from << " " << c.to;
}

TEST(TCPClientTest, DisconnectWithoutConnectionDoesNothing) {
  TNetTCPClient client;
  client.Disconnect();
  EXPECT_FALSE(client.Connected());
  EXPECT_THROW(client.CheckClosed(true), ENetException);
  client.CheckClosed(false);
}

TEST(IOHandlerTest, ReadsAndWritesOnAHandlerThatNeverOpenedFailAtOnce) {
  Reaper reaper;
  TNetIOHandlerStack handler;
  std::vector<std::uint8_t> bytes;
  TMemoryStream stream;
  EXPECT_THROW(handler.ReadLn(), ENetConnClosedGracefully);
  EXPECT_THROW(handler.ReadBytes(bytes, 4), ENetConnClosedGracefully);
  EXPECT_THROW(handler.ReadStream(stream, 10), ENetConnClosedGracefully);
  EXPECT_THROW(handler.WriteLn("x"), ENetConnClosedGracefully);
  EXPECT_FALSE(handler.Connected());
}

TEST(TCPClientTest, HostAndPortAreRequired) {
  TNetTCPClient client;
  EXPECT_THROW(client.Connect(), ENetHostRequired);
  client.SetHost("127.0.0.1");
  EXPECT_THROW(client.Connect(), ENetPortRequired);
}

TEST(TCPClientTest, RefusedConnectionIs10061AndLeavesNoHandler) {
  Reaper reaper;
  int port;
  {
    ScriptedServer server(test::ServerScript{});
    port = server.Port();
  }  // nobody listens there any more
  TNetTCPClient client;
  client.SetHost("127.0.0.1");
  client.SetPort(port);
  const auto failure = test::FailureOf<ENetSocketError>([&] { client.Connect(); });
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->LastError(), 10061);
  EXPECT_EQ(failure->Message(), "Socket Error # 10061\r\nConnection refused.");
  EXPECT_EQ(client.IOHandler(), nullptr);
  EXPECT_FALSE(client.Connected());
}

TEST(TCPClientTest, UnknownHostIs11001AndTheNextConnectStartsAfresh) {
  Reaper reaper;
  ScriptedServer server({ServerStep::Close()});
  TNetTCPClient client;
  client.SetHost("no-such-host.invalid");
  client.SetPort(server.Port());
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto failure = test::FailureOf<ENetSocketError>([&] { client.Connect(); });
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->LastError(), 11001);
    EXPECT_EQ(failure->Message(), "Socket Error # 11001\r\nHost not found.");
    EXPECT_EQ(client.IOHandler(), nullptr);
  }
  client.SetHost("127.0.0.1");
  client.Connect();
  EXPECT_NE(client.IOHandler(), nullptr);
}

TEST(TCPClientTest, ConnectOnItsThreadWithAndWithoutLimitSucceeds) {
  Reaper reaper;
  ScriptedServer server({ServerStep::Send("hi\n"), ServerStep::Close()});
  for (int limit : {5000, -1}) {
    TNetTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetConnectTimeout(limit);
    client.Connect();
    EXPECT_EQ(client.IOHandler()->ReadLn(), "hi") << limit;
    EXPECT_GT(client.IOHandler()->Binding()->Port(), 0) << limit;
  }
}

TEST(TCPClientTest, LimitedConnectRunsOutWithoutLeavingItsThread) {
  Reaper reaper;
  // A listener that never accepts: once its backlog is full, further connects stay pending
  // (the system drops their first packets), all on this machine.
  TNetStackUse use;
  auto listener = platform::OpenStreamSocket(platform::AddressFamily::IPv4);
  platform::SocketAddress address;
  address.bytes[0] = 127;
  address.bytes[3] = 1;
  ASSERT_EQ(platform::BindSocket(listener, address), 0);
  ASSERT_EQ(platform::ListenSocket(listener, 0), 0);
  ASSERT_EQ(platform::LocalAddress(listener, address), 0);

  std::vector<std::unique_ptr<TNetTCPClient>> fillers;
  bool timed_out = false;
  for (int i = 0; i < 16 && !timed_out; ++i) {
    auto client = std::make_unique<TNetTCPClient>();
    client->SetHost("127.0.0.1");
    client->SetPort(address.port);
    client->SetConnectTimeout(400);
    auto start = std::chrono::steady_clock::now();
    try {
      client->Connect();
      fillers.push_back(std::move(client));
    } catch (const ENetConnectTimeout& failure) {
      EXPECT_EQ(failure.Message(), "Connect timed out.");
      EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
      // The connect thread has been joined and the handler discarded before the failure left.
      EXPECT_EQ(client->IOHandler(), nullptr);
      EXPECT_FALSE(client->Connected());
      timed_out = true;
    }
  }
  EXPECT_TRUE(timed_out);
  platform::CloseSocket(listener);
}

TEST(TCPClientTest, AnIPv6AddressConnectsWithoutLookup) {
  Reaper reaper;
  TNetStackUse use;
  auto listener = platform::OpenStreamSocket(platform::AddressFamily::IPv6);
  platform::SocketAddress address;
  address.family = platform::AddressFamily::IPv6;
  address.bytes[15] = 1;
  if (listener == platform::kInvalidSocket || platform::BindSocket(listener, address) != 0) {
    if (listener != platform::kInvalidSocket) platform::CloseSocket(listener);
    GTEST_SKIP() << "no IPv6 loopback on this machine";
  }
  ASSERT_EQ(platform::ListenSocket(listener, 4), 0);
  ASSERT_EQ(platform::LocalAddress(listener, address), 0);
  TNetTCPClient client;
  std::vector<std::string> statuses;
  client.OnStatus = [&](TNetComponent*, TNetStatus, const std::string& text) {
    statuses.push_back(text);
  };
  client.SetIPVersion(Net_IPv6);
  client.SetHost("::1");
  client.SetPort(address.port);
  client.Connect();  // completes in the listener's backlog
  EXPECT_EQ(client.IOHandler()->Binding()->PeerIP(), "0:0:0:0:0:0:0:1");
  EXPECT_EQ(client.IOHandler()->Binding()->IPVersion(), Net_IPv6);
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses[0], "Connecting to ::1.");
  client.Disconnect();
  platform::CloseSocket(listener);
}

}  // namespace
}  // namespace orvex
