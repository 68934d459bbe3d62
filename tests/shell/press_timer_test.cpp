// The one-shot timer behind the bot's wait for answers.
#include "shell/press_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace quorvel {
namespace {

using namespace std::chrono_literals;

// Waits up to a bound for the count to reach the value.
bool reaches(const std::atomic<int>& count, int value, std::chrono::milliseconds bound = 5000ms) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (count < value && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(1ms);
  return count >= value;
}

TEST(PressTimer, FiresOnceUnlessCancelledAndAStartReplacesTheDeadline) {
  std::atomic<int> fired{0};
  PressTimer timer([&] { ++fired; });
  timer.start(20ms);
  ASSERT_TRUE(reaches(fired, 1));
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(fired, 1) << "one shot";

  // Cancelled: never.
  timer.start(30ms);
  timer.cancel();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(fired, 1);

  // Started again before it fired: once, at the later deadline.
  const auto began = std::chrono::steady_clock::now();
  timer.start(10ms);
  timer.start(150ms);
  ASSERT_TRUE(reaches(fired, 2));
  EXPECT_GE(std::chrono::steady_clock::now() - began, 150ms);
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(fired, 2);
}

TEST(PressTimer, DestroyedWhileWaitingItNeverFires) {
  std::atomic<int> fired{0};
  {
    PressTimer timer([&] { ++fired; });
    timer.start(50ms);
  }
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(fired, 0);
  // Never started: nothing to stop.
  PressTimer idle([&] { ++fired; });
}

}  // namespace
}  // namespace quorvel
