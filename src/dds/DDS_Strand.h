// One worker thread that runs the work handed to it by middleware callbacks, one task at a
// time, in the order it was handed over.
//
// A DDS listener must neither create entities nor wait for a lock that another thread holds
// across middleware calls: Fast DDS calls it while holding its own locks, so either can stop
// the process for good. A listener therefore only posts its sample here and returns. The strand
// starts closed: tasks posted before Open() wait (in order) until their owner is complete.
#pragma once

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <boost/function.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include <cstddef>
#include <deque>
#include <string>

#include "platform/DDS_Subscriber.h"

namespace Velmarin {

class DDS_Strand {
 public:
  // name appears in the lines a failing task writes to standard error.
  explicit DDS_Strand(std::string name) : name_(std::move(name)) {
    worker_ = boost::thread(&DDS_Strand::Run, this);
  }
  // Stop(): the task running ends, those still waiting are dropped.
  ~DDS_Strand() { Stop(); }
  DDS_Strand(const DDS_Strand&) = delete;
  DDS_Strand& operator=(const DDS_Strand&) = delete;

  // Queues task; returns at once (never runs it on the calling thread). Ignored once stopped.
  void Post(boost::function<void()> task) {
    {
      boost::lock_guard<boost::mutex> lock(mutex_);
      if (stopping_) return;
      queue_.push_back(std::move(task));
    }
    changed_.notify_all();
  }

  // Lets the queued tasks and every later one run.
  void Open() {
    {
      boost::lock_guard<boost::mutex> lock(mutex_);
      open_ = true;
    }
    changed_.notify_all();
  }

  // Drops the waiting tasks, waits for the running one and ends the worker. Safe to repeat;
  // must not be called from a task.
  void Stop() {
    {
      boost::lock_guard<boost::mutex> lock(mutex_);
      stopping_ = true;
      queue_.clear();
    }
    changed_.notify_all();
    if (worker_.joinable() && worker_.get_id() != boost::this_thread::get_id()) worker_.join();
  }

  // Waits until the strand is open and no task waits or runs, at most timeout.
  bool WaitIdle(const boost::posix_time::time_duration& timeout) const {
    const auto deadline = boost::get_system_time() + timeout;
    boost::unique_lock<boost::mutex> lock(mutex_);
    while (!(open_ && queue_.empty() && !running_) && !stopping_)
      if (!changed_.timed_wait(lock, deadline)) return false;
    return !stopping_ || (queue_.empty() && !running_);
  }

  // The tasks posted and not yet started.
  std::size_t Pending() const {
    boost::lock_guard<boost::mutex> lock(mutex_);
    return queue_.size();
  }

 private:
  void Run() {
    boost::unique_lock<boost::mutex> lock(mutex_);
    for (;;) {
      while (!stopping_ && !(open_ && !queue_.empty())) changed_.wait(lock);
      if (stopping_) break;
      boost::function<void()> task = std::move(queue_.front());
      queue_.pop_front();
      running_ = true;
      lock.unlock();
      DDS_Guarded(name_, task);
      lock.lock();
      running_ = false;
      changed_.notify_all();
    }
    running_ = false;
    changed_.notify_all();
  }

  const std::string name_;
  mutable boost::mutex mutex_;
  mutable boost::condition_variable changed_;
  std::deque<boost::function<void()>> queue_;
  bool open_ = false;
  bool stopping_ = false;
  bool running_ = false;
  boost::thread worker_;
};

}  // namespace Velmarin
