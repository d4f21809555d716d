#include "host/sessionlock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace zq {
namespace {

using namespace std::chrono_literals;

TEST(SessionLock, ReentrantForItsHolderOnly) {
  TSessionLock lock;
  lock.lock();
  EXPECT_TRUE(lock.try_lock());
  EXPECT_TRUE(lock.try_lock_for(1ms));
  EXPECT_TRUE(lock.HeldByCurrentThread());
  bool other = true;
  std::thread([&] { other = lock.try_lock() || lock.try_lock_for(20ms) || lock.HeldByCurrentThread(); }).join();
  EXPECT_FALSE(other);
  // Three levels taken: still held after two releases.
  lock.unlock();
  lock.unlock();
  std::thread([&] { other = lock.try_lock(); }).join();
  EXPECT_FALSE(other);
  lock.unlock();
  EXPECT_FALSE(lock.HeldByCurrentThread());
  std::thread([&] {
    other = lock.try_lock();
    if (other) lock.unlock();
  }).join();
  EXPECT_TRUE(other);
}

TEST(SessionLock, ReleaseByAnotherThreadReleasesNothing) {
  TSessionLock lock;
  lock.lock();
  std::thread([&] { lock.unlock(); }).join();
  bool other = true;
  std::thread([&] { other = lock.try_lock(); }).join();
  EXPECT_FALSE(other);
  lock.unlock();
  lock.unlock();  // not held: nothing happens
  EXPECT_TRUE(lock.try_lock());
  lock.unlock();
}

TEST(SessionLock, TimedWaitEndsWhenReleasedOrAtTheDeadline) {
  TSessionLock lock;
  lock.lock();
  auto t0 = std::chrono::steady_clock::now();
  bool got = true;
  std::thread([&] { got = lock.try_lock_for(50ms); }).join();
  EXPECT_FALSE(got);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, 50ms);
  std::thread waiter([&] {
    got = lock.try_lock_for(10s);
    if (got) lock.unlock();
  });
  std::this_thread::sleep_for(20ms);
  t0 = std::chrono::steady_clock::now();
  lock.unlock();
  waiter.join();
  EXPECT_TRUE(got);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
}

TEST(SessionLock, ExcludesConcurrentHolders) {
  TSessionLock lock;
  int inside = 0, maxInside = 0, total = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        lock.lock();
        lock.lock();  // nested, as a handler calling back into the session does
        ++inside;
        if (inside > maxInside) maxInside = inside;
        ++total;
        --inside;
        lock.unlock();
        lock.unlock();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(maxInside, 1);
  EXPECT_EQ(total, 2000);
}

}  // namespace
}  // namespace zq
