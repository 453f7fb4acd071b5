// A progress line on standard error for a long computation: shown only when standard
// error is a terminal and the work will take more than about two seconds, updated in
// place, and erased when the work ends. Batch logs and files never see it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace korvane2::textio {

class ProgressLine {
 public:
  // `label` starts the line ("ring 2 of 5"); `total` is the work in units of `advance`.
  ProgressLine(std::string label, std::int64_t total);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Counts work done; any thread may call it.
  void advance(std::int64_t units) { done_.fetch_add(units, std::memory_order_relaxed); }
  // Writes the line when it is due; one thread only, the one that owns the terminal.
  void show_if_due();

 private:
  using Clock = std::chrono::steady_clock;
  std::string label_;
  std::int64_t total_;
  std::atomic<std::int64_t> done_{0};
  bool terminal_;
  bool shown_ = false;
  Clock::time_point start_, lastShown_;
};

}  // namespace korvane2::textio
