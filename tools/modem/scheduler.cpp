#include "scheduler.h"

namespace quillon::modem {

Scheduler::Id Scheduler::at(Micros when, std::function<void()> fn) {
  if (when < now_) when = now_;
  Id id = nextId_++;
  events_.emplace(std::make_pair(when, id), std::move(fn));
  when_.emplace(id, when);
  return id;
}

void Scheduler::cancel(Id id) {
  auto it = when_.find(id);
  if (it == when_.end()) return;
  events_.erase({it->second, id});
  when_.erase(it);
}

void Scheduler::runUntil(Micros until) {
  while (!events_.empty() && events_.begin()->first.first <= until) {
    auto node = events_.extract(events_.begin());
    when_.erase(node.key().second);
    if (node.key().first > now_) now_ = node.key().first;
    node.mapped()();
  }
  if (until > now_) now_ = until;
}

std::optional<Micros> Scheduler::nextDue() const {
  if (events_.empty()) return std::nullopt;
  return events_.begin()->first.first;
}

void Timer::start(Micros delay, std::function<void()> fn) {
  stop();
  id_ = scheduler_.after(delay, std::move(fn));
}

void Timer::stop() {
  if (id_ != 0) scheduler_.cancel(id_);
  id_ = 0;
}

}  // namespace quillon::modem
