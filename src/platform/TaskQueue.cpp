#include "platform/TaskQueue.h"

#include <exception>
#include <future>

#include "platform/UiServices.h"

namespace tasks {
namespace {

// Dynamic initialisation of this object runs before main(), on the main thread.
const std::thread::id mainThreadId = std::this_thread::get_id();

}  // namespace

TaskQueue::TaskQueue(std::thread::id owner) : owner_(owner) {}

void TaskQueue::Post(Task task) {
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(task));
}

void TaskQueue::Sync(const Task& task) {
  if (OnOwnerThread()) {
    task();
    return;
  }
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> result = done->get_future();
  Post([&task, done] {
    try {
      task();
      done->set_value();
    } catch (...) {
      done->set_exception(std::current_exception());
    }
  });
  result.get();
}

std::size_t TaskQueue::RunPending() {
  if (!OnOwnerThread()) return 0;
  std::size_t count;
  {
    std::lock_guard lock(mutex_);
    count = queue_.size();
  }
  // One at a time, so that a task may post again (it runs next time) and an exception
  // leaves the tasks after it in the queue.
  std::size_t ran = 0;
  for (; ran < count; ++ran) {
    Task task;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) break;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
  return ran;
}

std::size_t TaskQueue::Pending() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

TaskQueue& MainQueue() {
  static TaskQueue queue(mainThreadId);
  return queue;
}

void PumpFor(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  if (!MainQueue().OnOwnerThread()) {
    std::this_thread::sleep_until(end);
    return;
  }
  while (std::chrono::steady_clock::now() < end) {
    MainQueue().RunPending();
    uis::Ui().ProcessPendingEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace tasks
