#include "store/history_recorder.h"

#include <algorithm>

namespace quorvane::store {

HistoryRecorder::HistoryRecorder(people::PlayerStore& store, Notice notice, std::chrono::milliseconds period)
    : m_store(store), m_notice(std::move(notice)), m_period(period), m_thread([this] { Run(); }) {}

HistoryRecorder::~HistoryRecorder() {
  {
    const std::lock_guard hold(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void HistoryRecorder::Add(std::vector<people::Session> sessions) {
  bool wake = false;
  {
    const std::lock_guard hold(m_mutex);
    for (people::Session& s : sessions) {
      Identity id{s.serverFolder, s.serverPort, s.userId, s.joined};
      m_waiting.insert_or_assign(std::move(id), std::move(s));
      ++m_addedSinceWrite;
    }
    wake = m_addedSinceWrite >= kBatchRows;
  }
  if (wake) m_wake.notify_all();
}

void HistoryRecorder::Flush() {
  std::unique_lock lock(m_mutex);
  const unsigned long long ticket = ++m_asked;
  m_wake.notify_all();
  m_written.wait(lock, [&] { return m_done >= ticket || m_stop; });
}

std::size_t HistoryRecorder::Waiting() const {
  const std::lock_guard hold(m_mutex);
  return m_waiting.size();
}

void HistoryRecorder::WriteWaiting(std::unique_lock<std::mutex>& lock) {
  const unsigned long long ticket = m_asked;
  m_addedSinceWrite = 0;
  if (!m_waiting.empty()) {
    std::vector<people::Session> batch;
    batch.reserve(m_waiting.size());
    for (const auto& [id, s] : m_waiting) batch.push_back(s);
    lock.unlock();
    const people::StoreOutcome written = m_store.Record(batch);
    lock.lock();
    if (written) {
      // Only what was written goes: sessions that changed meanwhile wait for the next batch.
      for (const people::Session& s : batch) {
        const auto found = m_waiting.find({s.serverFolder, s.serverPort, s.userId, s.joined});
        if (found != m_waiting.end() && found->second == s) m_waiting.erase(found);
      }
      m_told = false;
    } else if (!m_told) {
      m_told = true;
      lock.unlock();
      if (m_notice) m_notice(written.message + " The players heard since are kept in memory and written later.");
      lock.lock();
    }
  }
  m_done = std::max(m_done, ticket);
  m_written.notify_all();
}

void HistoryRecorder::Run() {
  std::unique_lock lock(m_mutex);
  while (true) {
    m_wake.wait_for(lock, m_period, [&] { return m_stop || m_asked > m_done || m_addedSinceWrite >= kBatchRows; });
    WriteWaiting(lock);
    if (m_stop) return;
  }
}

}  // namespace quorvane::store
