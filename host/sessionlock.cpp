#include "host/sessionlock.h"

namespace zq {

void TSessionLock::lock() {
  const std::thread::id me = std::this_thread::get_id();
  std::unique_lock<std::mutex> g(m_);
  released_.wait(g, [&] { return depth_ == 0 || owner_ == me; });
  owner_ = me;
  ++depth_;
}

bool TSessionLock::try_lock() {
  const std::thread::id me = std::this_thread::get_id();
  std::lock_guard<std::mutex> g(m_);
  if (depth_ != 0 && owner_ != me) return false;
  owner_ = me;
  ++depth_;
  return true;
}

bool TSessionLock::try_lock_for(std::chrono::milliseconds timeout) {
  const std::thread::id me = std::this_thread::get_id();
  std::unique_lock<std::mutex> g(m_);
  if (!released_.wait_for(g, timeout, [&] { return depth_ == 0 || owner_ == me; })) return false;
  owner_ = me;
  ++depth_;
  return true;
}

void TSessionLock::unlock() {
  {
    std::lock_guard<std::mutex> g(m_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--depth_ != 0) return;
    owner_ = std::thread::id();
  }
  released_.notify_all();
}

bool TSessionLock::HeldByCurrentThread() const {
  std::lock_guard<std::mutex> g(m_);
  return depth_ != 0 && owner_ == std::this_thread::get_id();
}

}  // namespace zq
