#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/CallerChannel.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;

class CallerChannelTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("RENDO_RUNTIME_DIR", dir.Str().c_str(), 1); }
  void TearDown() override { unsetenv("RENDO_RUNTIME_DIR"); }
  TempDir dir;
};

TEST_F(CallerChannelTest, CallerReceivesTheRequestsInOrderWithTheirValues) {
  CallerListener caller(4711);
  // Sent from another process, as the program does at its start and end.
  const pid_t pid = fork();
  if (pid == 0) {
    const bool all = DisableCaller(4711) && ForegroundCaller(4711) && EnableCaller(4711) &&
                     PostToCaller(4711, 0x8001, 12, 2) && PostToCaller(4711, -5, 0, 2147483647);
    _exit(all ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  const CallerMessage expected[] = {
      {CallerRequest::Disable, 0, 0, 0},
      {CallerRequest::Foreground, 0, 0, 0},
      {CallerRequest::Enable, 0, 0, 0},
      {CallerRequest::Post, 0x8001, 12, 2},
      {CallerRequest::Post, -5, 0, 2147483647},
  };
  for (const auto& want : expected) {
    const auto got = caller.Receive(2s);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, want) << FormatCallerMessage(want);
  }
  EXPECT_FALSE(caller.Receive(0ms).has_value());
}

TEST_F(CallerChannelTest, NoCallerIsIgnored) {
  // Nobody listening, and a caller id of 0 (stand-alone start) even when a socket for 0 exists.
  EXPECT_FALSE(PostToCaller(999, 1, 2, 3));
  EXPECT_FALSE(EnableCaller(999));
  CallerListener zero(0);
  EXPECT_FALSE(DisableCaller(0));
  EXPECT_FALSE(PostToCaller(0, 1, 2, 3));
  EXPECT_FALSE(zero.Receive(0ms).has_value());
  {
    CallerListener gone(12);
  }
  EXPECT_FALSE(std::filesystem::exists(CallerSocketPath(12)));
  EXPECT_FALSE(PostToCaller(12, 1, 2, 3));
}

TEST_F(CallerChannelTest, StaleSocketIsReplacedButALiveOneIsNot) {
  // A caller that died leaves its socket file behind.
  const std::string path = CallerSocketPath(77);
  const int dead = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.c_str());
  ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(dead);
  EXPECT_FALSE(PostToCaller(77, 1, 2, 3));

  CallerListener caller(77);
  EXPECT_TRUE(PostToCaller(77, 1, 2, 3));
  EXPECT_EQ(caller.Receive(1s), (CallerMessage{CallerRequest::Post, 1, 2, 3}));
  EXPECT_THROW(CallerListener second(77), std::system_error);
}

TEST(CallerMessageFormat, AcceptsOnlyWellFormedDatagrams) {
  EXPECT_EQ(FormatCallerMessage({CallerRequest::Post, 32769, 1, -2}), "POST 32769 1 -2\n");
  EXPECT_EQ(FormatCallerMessage({CallerRequest::Foreground}), "FOREGROUND 0 0 0\n");
  EXPECT_EQ(ParseCallerMessage("ENABLE 0 0 0"), (CallerMessage{CallerRequest::Enable, 0, 0, 0}));
  for (const char* bad : {"", "POST", "POST 1 2", "POST 1 2 3 4", "post 1 2 3", "POST 1 x 3",
                          "POST  1 2 3", "POST 1 2 3 ", "SEND 1 2 3", "POST 99999999999999999999 0 0"})
    EXPECT_FALSE(ParseCallerMessage(bad).has_value()) << '"' << bad << '"';
}

}  // namespace
