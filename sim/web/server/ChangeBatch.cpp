#include "sim/web/server/ChangeBatch.h"

#include <algorithm>

namespace kavro::sim {

void ChangeBatch::add(std::size_t folder, const std::string& file, Clock::time_point now) {
  auto [at, added] = pending_.try_emplace(folder);
  Pending& pending = at->second;
  if (added) pending.first = now;
  pending.last = std::max(pending.last, now);
  pending.files.insert(file);
}

ChangeBatch::Clock::time_point ChangeBatch::dueOf(const Pending& pending) {
  return std::min(pending.last + kQuietTime, pending.first + kLongestWait);
}

std::vector<ChangeBatch::Batch> ChangeBatch::takeDue(Clock::time_point now) {
  std::vector<Batch> due;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (dueOf(it->second) > now) {
      ++it;
      continue;
    }
    due.push_back({it->first, {it->second.files.begin(), it->second.files.end()}});
    it = pending_.erase(it);
  }
  return due;
}

std::optional<ChangeBatch::Clock::time_point> ChangeBatch::nextDue() const {
  std::optional<Clock::time_point> next;
  for (auto& [folder, pending] : pending_)
    if (!next || dueOf(pending) < *next) next = dueOf(pending);
  return next;
}

}  // namespace kavro::sim
