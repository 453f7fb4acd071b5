// The line is drawn after a carriage return and ends without a line feed, so the next
// drawing overwrites it; erasing it clears it with the terminal's erase-to-end control.
#include "textio/progress_line.hpp"

#include <unistd.h>

#include <cstdio>

#include "textio/units.hpp"

namespace korvane2::textio {

namespace {

// Nothing is shown before this much time has passed, nor for work whose whole predicted
// duration is shorter than kShownFrom; the line is redrawn at most every kRedraw.
constexpr std::chrono::milliseconds kFirstLook{500}, kRedraw{250};
constexpr double kShownFrom = 2.0;  // seconds

}  // namespace

ProgressLine::ProgressLine(std::string label, std::int64_t total)
    : label_(std::move(label)), total_(total), terminal_(::isatty(STDERR_FILENO) == 1), start_(Clock::now()) {}

ProgressLine::~ProgressLine() {
  if (shown_) write_all(STDERR_FILENO, "\r\033[K", 4);
}

void ProgressLine::show_if_due() {
  if (!terminal_ || total_ <= 0) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < kFirstLook || (shown_ && now - lastShown_ < kRedraw)) return;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double fraction = static_cast<double>(done_.load(std::memory_order_relaxed)) / static_cast<double>(total_);
  if (!shown_ && !(fraction > 0.0 && elapsed / fraction > kShownFrom)) return;
  char line[160];
  const int n = std::snprintf(line, sizeof line, "\r\033[Kkorvane2: %s: %3.0f %% of its rotations, %.1f s", label_.c_str(),
                              100.0 * fraction, elapsed);
  if (n > 0) write_all(STDERR_FILENO, line, static_cast<std::size_t>(n) < sizeof line ? n : sizeof line - 1);
  shown_ = true;
  lastShown_ = now;
}

}  // namespace korvane2::textio
