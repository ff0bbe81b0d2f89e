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

  const auto work = [&] {
    for (;;) {
      std::size_t i;
      {
        std::unique_lock lock(mutex);
        room.wait(lock, [&] { return stopping || next >= count || next < consumed + window; });
        if (stopping || next >= count) return;
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
      {
        std::lock_guard lock(mutex);
        slots[i % window] = std::move(slot);
      }
      ready.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < jobs; ++t) threads.emplace_back(work);

  std::exception_ptr failure;
  for (;;) {
    Slot slot;
    {
      std::unique_lock lock(mutex);
      ready.wait(lock, [&] {
        return slots[consumed % window].done || (consumed >= next && (stopping || next >= count));
      });
      if (!slots[consumed % window].done) break;  // nothing started is left
      slot = std::move(slots[consumed % window]);
      slots[consumed % window] = Slot{};
    }
    if (!failure) {
      try {
        if (slot.error) std::rethrow_exception(slot.error);
        consume(consumed, std::move(*slot.result));
      } catch (...) {
        failure = std::current_exception();
        std::lock_guard lock(mutex);
        stopping = true;
      }
    }
    {
      std::lock_guard lock(mutex);
      ++consumed;
    }
    room.notify_all();
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  return consumed;
}

}  // namespace vthost
