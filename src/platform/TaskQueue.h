#pragma once
// Work handed to the main thread. A worker thread (the backup and restore thread) must not
// touch the databases, files of the data set or the user interface itself: it hands each such
// step to the main thread as a closure. The main thread runs the closures while it waits
// (PumpFor), and only then: a main thread that does not pump leaves them waiting.
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tasks {

class TaskQueue {
 public:
  using Task = std::function<void()>;

  // The queue's tasks run on `owner` (by default the thread that creates the queue).
  explicit TaskQueue(std::thread::id owner = std::this_thread::get_id());
  TaskQueue(const TaskQueue&) = delete;
  TaskQueue& operator=(const TaskQueue&) = delete;

  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

  // Queues the task and returns at once. Any thread.
  void Post(Task task);
  // Runs the task on the owner thread and returns when it has run; an exception the task
  // raises is raised here again. On the owner thread itself the task runs at once.
  void Sync(const Task& task);

  // Owner thread only: runs the tasks that were queued when the call began, oldest first,
  // and returns how many ran. An exception from a posted task passes on to the caller; the
  // tasks after it stay queued. Called from another thread it runs nothing and returns 0.
  std::size_t RunPending();

  std::size_t Pending() const;

 private:
  std::thread::id owner_;
  mutable std::mutex mutex_;
  std::deque<Task> queue_;
};

// The queue of the program's main thread (the thread that ran static initialisation).
TaskQueue& MainQueue();

// Waits `duration` on the main thread while keeping it responsive: until the time has passed,
// runs the main queue's tasks, lets the user interface process what is pending
// (uis::Ui().ProcessPendingEvents()) and sleeps 1 ms. On another thread it only sleeps.
void PumpFor(std::chrono::milliseconds duration);

}  // namespace tasks
