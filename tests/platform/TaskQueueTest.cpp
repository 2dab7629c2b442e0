#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/TaskQueue.h"
#include "support/ScriptedUi.h"

namespace {

using namespace std::chrono_literals;

TEST(TaskQueue, WorkerStepsRunOnTheOwnerInOrderAndOnlyWhileItPumps) {
  tasks::TaskQueue queue;
  const auto owner = std::this_thread::get_id();
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  std::atomic<bool> finished{false};

  std::thread worker([&] {
    queue.Post([&] { order.push_back(1); });
    for (int step = 2; step <= 4; ++step)
      queue.Sync([&, step] {
        order.push_back(step);
        threads.push_back(std::this_thread::get_id());
      });
    finished = true;
  });
  // The worker waits in its first Sync until the owner runs the queue.
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(finished);
  EXPECT_TRUE(order.empty());
  while (!finished) {
    queue.RunPending();
    std::this_thread::sleep_for(1ms);
  }
  worker.join();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(threads, std::vector<std::thread::id>(3, owner));
}

TEST(TaskQueue, ExceptionsReachTheRightThread) {
  tasks::TaskQueue queue;
  // Sync: the worker sees the exception of its step.
  std::string caught;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      queue.Sync([] { throw std::runtime_error("step failed"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    done = true;
  });
  while (!done) queue.RunPending();
  worker.join();
  EXPECT_EQ(caught, "step failed");

  // Post: the owner sees it; the tasks after it stay queued for the next turn.
  int ran = 0;
  queue.Post([] { throw std::runtime_error("posted failed"); });
  queue.Post([&] { ++ran; });
  EXPECT_THROW(queue.RunPending(), std::runtime_error);
  EXPECT_EQ(queue.Pending(), 1u);
  EXPECT_EQ(queue.RunPending(), 1u);
  EXPECT_EQ(ran, 1);
}

TEST(TaskQueue, SyncOnTheOwnerRunsAtOnceAndOtherThreadsCannotRunTheQueue) {
  tasks::TaskQueue queue;
  int ran = 0;
  queue.Sync([&] { ++ran; });
  EXPECT_EQ(ran, 1);

  queue.Post([&] { ++ran; });
  std::size_t byOther = 99;
  std::thread([&] { byOther = queue.RunPending(); }).join();
  EXPECT_EQ(byOther, 0u);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(queue.RunPending(), 1u);
  EXPECT_EQ(ran, 2);
}

TEST(PumpFor, RunsTheMainQueueAndPendingEvents) {
  ScriptedUi ui;
  ScopedUi use(ui);
  int ran = 0;
  // A task that posts again runs once per turn, not in an endless loop within one turn.
  std::function<void()> again = [&] {
    if (++ran < 3) tasks::MainQueue().Post(again);
  };
  tasks::MainQueue().Post(again);
  tasks::PumpFor(30ms);
  EXPECT_EQ(ran, 3);
  EXPECT_GT(ui.pendingEventCalls, 0);
  EXPECT_EQ(tasks::MainQueue().Pending(), 0u);

  // Off the main thread it only waits: neither tasks nor GUI events run there.
  const int calls = ui.pendingEventCalls;
  tasks::MainQueue().Post([&] { ran = 100; });
  std::thread([] { tasks::PumpFor(5ms); }).join();
  EXPECT_EQ(ran, 3);
  EXPECT_EQ(ui.pendingEventCalls, calls);
  tasks::MainQueue().RunPending();
  EXPECT_EQ(ran, 100);
}

}  // namespace
