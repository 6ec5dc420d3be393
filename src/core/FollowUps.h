// Work that follows a write and may lag it a little: readings an engine derives from a
// written value. Work posted for a key runs once on the follow-up thread, `delay` after the
// post that found the key idle; posts in the meantime join that run, so a burst of writes is
// followed by one look. Whoever needs the result sooner settles the key: the posted work runs
// at once on the caller's thread (a run already under way finishes first).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace radalt {

class FollowUps {
 public:
  explicit FollowUps(std::chrono::milliseconds delay);
  ~FollowUps();
  FollowUps(const FollowUps&) = delete;
  FollowUps& operator=(const FollowUps&) = delete;

  // The work of key; given once, before the key's first post. Work that throws is logged.
  void Define(int key, std::function<void()> work);
  // key's work is due. An undefined key is a programming error (std::out_of_range).
  void Post(int key);
  // Runs key's work now if it is due; returns when no run of it posted before this call is
  // outstanding. Does nothing on the thread that is running key's work.
  void Settle(int key);
  // Ends the follow-up thread after the run under way; work still due is dropped and later
  // posts are ignored.
  void Stop();

 private:
  using Clock = std::chrono::steady_clock;
  struct Key {
    std::function<void()> work;
    std::mutex run;  // one run of the work at a time
    bool due = false;
    Clock::time_point at;
  };
  Key& Find(int key);
  void RunIfDue(Key& k);
  void Loop();

  const std::chrono::milliseconds delay_;
  std::mutex mutex_;  // keys_, due, at, stopping_
  std::condition_variable wake_;
  std::map<int, std::unique_ptr<Key>> keys_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace radalt
