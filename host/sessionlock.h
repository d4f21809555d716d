// TSessionLock: the lock that makes the requests of one session run one at a
// time. Re-entrant for the thread that holds it, with an untimed, a trying and
// a timed acquire. Built on a mutex and a condition variable (rather than a
// recursive timed mutex) so that every wait is a plain, well-supported
// primitive that thread checkers understand.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zq {

class TSessionLock {
 public:
  TSessionLock() = default;
  TSessionLock(const TSessionLock&) = delete;
  TSessionLock& operator=(const TSessionLock&) = delete;

  void lock();
  bool try_lock();
  // Waits at most `timeout` for the lock; false when it stayed taken.
  bool try_lock_for(std::chrono::milliseconds timeout);
  // Releases one level. A thread that does not hold the lock releases nothing.
  void unlock();

  // True when the calling thread holds the lock.
  bool HeldByCurrentThread() const;

 private:
  mutable std::mutex m_;
  std::condition_variable released_;
  std::thread::id owner_;
  unsigned depth_ = 0;
};

}  // namespace zq
