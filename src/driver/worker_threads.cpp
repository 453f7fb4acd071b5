// Worker threads: a trial start of as many plain threads as the parallel regions will
// use tells whether their stacks fit; then one empty parallel region starts the workers.
#include "driver/worker_threads.hpp"

#include <pthread.h>

#include <new>
#include <vector>

#include <omp.h>

namespace korvane2 {

namespace {

void* finish_at_once(void*) { return nullptr; }

}  // namespace

void start_worker_threads() {
  const int workers = omp_get_max_threads() - 1;
  std::vector<pthread_t> trials;
  trials.reserve(static_cast<std::size_t>(workers > 0 ? workers : 0));
  bool started = true;
  for (int i = 0; i < workers && started; ++i) {
    pthread_t thread;
    started = pthread_create(&thread, nullptr, finish_at_once, nullptr) == 0;
    if (started) trials.push_back(thread);
  }
  for (pthread_t thread : trials) pthread_join(thread, nullptr);
  if (!started) throw std::bad_alloc();
#pragma omp parallel
  {
  }
}

}  // namespace korvane2
