#include "FollowUps.h"

#include <exception>
#include <iostream>
#include <stdexcept>

namespace radalt {

namespace {
// The key whose work this thread is running (a settle from inside it must not wait for itself).
thread_local const void* tRunning = nullptr;
}  // namespace

FollowUps::FollowUps(std::chrono::milliseconds delay) : delay_(delay), thread_(&FollowUps::Loop, this) {}

FollowUps::~FollowUps() { Stop(); }

void FollowUps::Define(int key, std::function<void()> work) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& slot = keys_[key];
  if (slot) throw std::logic_error("follow-up work defined twice for key " + std::to_string(key));
  slot = std::make_unique<Key>();
  slot->work = std::move(work);
}

FollowUps::Key& FollowUps::Find(int key) {
  auto it = keys_.find(key);
  if (it == keys_.end()) throw std::out_of_range("no follow-up work for key " + std::to_string(key));
  return *it->second;
}

void FollowUps::Post(int key) {
  std::lock_guard<std::mutex> lock(mutex_);
  Key& k = Find(key);
  if (stopping_ || k.due) return;
  k.due = true;
  k.at = Clock::now() + delay_;
  wake_.notify_one();
}

void FollowUps::Settle(int key) {
  Key* k;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    k = &Find(key);
  }
  if (tRunning == k) return;
  RunIfDue(*k);
}

void FollowUps::RunIfDue(Key& k) {
  std::lock_guard<std::mutex> run(k.run);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!k.due) return;
    k.due = false;
  }
  tRunning = &k;
  try {
    k.work();
  } catch (const std::exception& e) {
    std::cerr << " FollowUps: follow-up work failed: " << e.what() << std::endl;
  } catch (...) {
    std::cerr << " FollowUps: follow-up work failed" << std::endl;
  }
  tRunning = nullptr;
}

void FollowUps::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    Key* next = nullptr;
    for (auto& entry : keys_)
      if (entry.second->due && (!next || entry.second->at < next->at)) next = entry.second.get();
    if (!next) {
      wake_.wait(lock);
    } else if (Clock::now() < next->at) {
      wake_.wait_until(lock, next->at);
    } else {
      lock.unlock();
      RunIfDue(*next);
      lock.lock();
    }
  }
}

void FollowUps::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (auto& entry : keys_) entry.second->due = false;
    wake_.notify_all();
  }
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace radalt
