#include <gtest/gtest.h>

#include "net/exceptions.h"
#include "net/socket_handle.h"
#include "net/stack.h"
#include "net/tcp_client.h"
#include "support/expect_failure.h"

namespace orvex {
namespace {

TEST(NetStackTest, TheLibraryStartsOnceHoweverOftenTheStackIsMade) {
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(TNetStack::UsageCount(), 0);
    EXPECT_EQ(GStack, nullptr);
    {
      TNetTCPClient client;                   // a component and its stack use
      TNetBuffer buffer;                      // a buffer is a user too
      EXPECT_EQ(TNetStack::UsageCount(), 2);  // the client makes its handler at Connect
      EXPECT_NE(GStack, nullptr);
    }
  }
  EXPECT_EQ(GStack, nullptr);
  EXPECT_TRUE(TNetStack::StackStarted());
  EXPECT_EQ(TNetStack::StartCount(), 1);
}

TEST(NetSocketListTest, RefusesA65thSocket) {
  TNetSocketList list;
  for (int i = 0; i < 64; ++i) list.Add(i);
  EXPECT_EQ(list.Count(), 64);
  EXPECT_TRUE(
      test::FailsWith<ENetStackSetSizeExceeded>([&] { list.Add(64); }, "Set Size Exceeded."));
  EXPECT_THROW(list.Item(64), ENetStackSetSizeExceeded);
  EXPECT_EQ(list.Item(3), 3);
}

TEST(NetSocketHandleTest, BindRules) {
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetClientPortMin(5000);
  handle.SetClientPortMax(4000);
  EXPECT_TRUE(test::FailsWith<ENetInvalidPortRange>([&] { handle.Bind(); },
                                                    "Invalid Port Range (5000 - 4000)"));
  handle.SetClientPortMin(0);
  handle.SetClientPortMax(0);
  handle.SetIP("127.0.0.1");
  handle.Bind();  // port chosen by the system
  EXPECT_GT(handle.Port(), 0);
  EXPECT_EQ(handle.IP(), "127.0.0.1");
  EXPECT_THROW(handle.SetIPVersion(Net_IPv6), ENetCannotSetIPVersionWhenConnected);

  TNetSocketHandle second;
  second.AllocateSocket();
  second.SetIP("127.0.0.1");
  second.SetPort(handle.Port());
  // The port is taken.
  EXPECT_TRUE(test::FailsWith<ENetCouldNotBindSocket>(
      [&] { second.Bind(); }, "Could not bind socket. Address and port are already in use."));
  handle.CloseSocket();
  EXPECT_FALSE(handle.HandleAllocated());
  handle.CloseSocket();  // closing twice never raises
  EXPECT_THROW(handle.Readable(0), ENetConnClosedGracefully);
}

}  // namespace
}  // namespace orvex
