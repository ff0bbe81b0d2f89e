// Work on many files at once with the output of one: files are read on
// several threads (a cold disk or a network share answers several reads at
// a time as fast as one), and their results are shown on the calling thread
// in the order a single thread would show them.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vthost {

// The threads a run uses by default: a few per core, since most of a
// thread's time on a cold disk is spent waiting.
unsigned DefaultJobs();

// Calls produce(i) for i from 0 below count on `jobs` threads and
// consume(i, result) on the calling thread in the order of i. Workers run
// at most a window of results ahead of the consumer, so memory stays
// bounded. Once stop() answers true no further item is started; those
// started are still consumed. Returns how many were consumed. An exception
// from produce is thrown here when its item's turn comes.
template <class Result>
std::size_t RunInOrder(std::size_t count, unsigned jobs, const std::function<Result(std::size_t)>& produce,
                       const std::function<void(std::size_t, Result&&)>& consume,
                       const std::function<bool()>& stop) {
  if (jobs <= 1 || count <= 1) {
    std::size_t i = 0;
    for (; i < count && !stop(); ++i) consume(i, produce(i));
    return i;
  }
  struct Slot {
    std::optional<Result> result;
    std::exception_ptr error;
    bool done = false;
  };
  const std::size_t window = std::size_t{jobs} * 8;
  std::vector<Slot> slots(window);
  std::mutex mutex;
  std::condition_variable ready, room;
  std::size_t next = 0, consumed = 0;
  bool stopping = false;
  // Who sleeps: a wake-up costs a system call and a switch of threads, so
  // the consumer is woken only for the item it waits on, and a worker only
  // when one waits for room.
  bool consumerWaits = false;
  unsigned workersWaiting = 0;

  const auto work = [&] {
    for (;;) {
      std::size_t i;
      {
        std::unique_lock lock(mutex);
        const auto free = [&] { return stopping || next >= count || next < consumed + window; };
        if (!free()) {
          ++workersWaiting;
          room.wait(lock, free);
          --workersWaiting;
        }
        if (stopping || next >= count) {
          if (consumerWaits) ready.notify_one();  // it may wait for nothing more
          return;
        }
        if (stop()) {
          stopping = true;
          ready.notify_all();
          room.notify_all();
          return;
        }
        i = next++;
      }
      Slot slot;
      try {
        slot.result.emplace(produce(i));
      } catch (...) {
        slot.error = std::current_exception();
      }
      slot.done = true;
      std::lock_guard lock(mutex);
      slots[i % window] = std::move(slot);
      if (consumerWaits && i == consumed) ready.notify_one();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < jobs; ++t) threads.emplace_back(work);

  // The consumer takes every finished item in a row at once, and hands them
  // on without the lock.
  std::exception_ptr failure;
  std::vector<Slot> batch;
  for (;;) {
    batch.clear();
    {
      std::unique_lock lock(mutex);
      const auto any = [&] {
        return slots[consumed % window].done || (consumed >= next && (stopping || next >= count));
      };
      if (!any()) {
        consumerWaits = true;
        ready.wait(lock, any);
        consumerWaits = false;
      }
      for (std::size_t i = consumed; slots[i % window].done && batch.size() < window; ++i) {
        batch.push_back(std::move(slots[i % window]));
        slots[i % window] = Slot{};
      }
      if (batch.empty()) break;  // nothing started is left
    }
    std::size_t at = consumed;  // consumed itself changes under the lock only
    for (Slot& slot : batch) {
      if (!failure) {
        try {
          if (slot.error) std::rethrow_exception(slot.error);
          consume(at, std::move(*slot.result));
        } catch (...) {
          failure = std::current_exception();  // what runs still is taken, not shown
        }
      }
      ++at;
    }
    std::lock_guard lock(mutex);
    consumed = at;
    if (failure) stopping = true;
    if (workersWaiting != 0 || failure) room.notify_all();
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  return consumed;
}

}  // namespace vthost
