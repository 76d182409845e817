#pragma once
// Writes sessions to the player history on a thread of its own, so that the
// window never waits for the disk: one transaction a second, or sooner once
// 1 000 sessions wait. A batch that cannot be written stays in memory and is
// tried again; the user is told once until a write succeeds.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "people/player_store.h"

namespace quorvane::store {

class HistoryRecorder {
 public:
  using Notice = std::function<void(const std::string&)>;  // called on the recorder's thread
  static constexpr std::size_t kBatchRows = 1000;

  HistoryRecorder(people::PlayerStore& store, Notice notice,
                  std::chrono::milliseconds period = std::chrono::seconds(1));
  // Writes what waits once more, then stops.
  ~HistoryRecorder();
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  void Add(std::vector<people::Session> sessions);
  // Tries to write everything added so far now, and waits for that try.
  void Flush();
  std::size_t Waiting() const;

 private:
  // One session however often it changed: the same connection of the same server.
  using Identity = std::tuple<std::string, int, int, people::Stamp>;
  void Run();
  void WriteWaiting(std::unique_lock<std::mutex>& lock);

  people::PlayerStore& m_store;
  Notice m_notice;
  std::chrono::milliseconds m_period;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake, m_written;
  std::map<Identity, people::Session> m_waiting;
  std::size_t m_addedSinceWrite = 0;
  unsigned long long m_asked = 0, m_done = 0;  // Flush's tickets
  bool m_stop = false;
  bool m_told = false;
  std::thread m_thread;
};

}  // namespace quorvane::store
