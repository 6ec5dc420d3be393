#include "CalibrationPoller.h"

#include <sys/prctl.h>

#include <exception>
#include <iostream>

#include "Exceptions.h"

namespace radalt {

CalibrationPoller::CalibrationPoller(std::string threadName, std::string task)
    : threadName_(std::move(threadName)), task_(std::move(task)) {}

CalibrationPoller::~CalibrationPoller() { Stop(); }

void CalibrationPoller::Start(std::chrono::microseconds period, std::function<void()> refresh,
                              std::function<bool()> done, std::function<void()> end) {
  Stop();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = false;
  }
  thread_ = std::thread([this, period, refresh = std::move(refresh), done = std::move(done),
                         end = std::move(end)] { Loop(period, refresh, done, end); });
}

void CalibrationPoller::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CalibrationPoller::Guarded(const std::function<void()>& f) const {
  try {
    f();
  } catch (const Term_Exception&) {
    std::cerr << task_ << "Got terminate signal" << std::endl;
  } catch (const Quit_Exception&) {
    std::cerr << task_ << "Got quit signal" << std::endl;
  } catch (const std::exception& e) {
    std::cerr << task_ << "Caught exception" << e.what() << std::endl;
  } catch (const CORBA::Exception& e) {
    std::cerr << task_ << "CORBA error:" << e._name() << " on repo" << e._rep_id() << std::endl;
  } catch (...) {
    std::cerr << task_ << "An unknown exception was caught" << std::endl;
  }
}

void CalibrationPoller::Loop(std::chrono::microseconds period, const std::function<void()>& refresh,
                             const std::function<bool()>& done, const std::function<void()>& end) {
  ::prctl(PR_SET_NAME, threadName_.c_str(), 0, 0, 0);
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (wake_.wait_for(lock, period, [this] { return stop_; })) return;
    }
    Guarded(refresh);
    bool over = false;
    Guarded([&] { over = done(); });
    if (over) {
      Guarded(end);
      return;
    }
  }
}

}  // namespace radalt
