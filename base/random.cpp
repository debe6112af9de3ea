#include "base/random.h"

#include <atomic>

namespace sylvane {
namespace {
std::atomic<uint32_t> g_state{1};

constexpr uint32_t Next(uint32_t s) { return s * 214013u + 2531011u; }
}  // namespace

void SeedRandom(uint32_t seed) { g_state.store(seed, std::memory_order_relaxed); }

int Rand() {
  uint32_t old_state = g_state.load(std::memory_order_relaxed);
  uint32_t new_state;
  do {
    new_state = Next(old_state);
  } while (!g_state.compare_exchange_weak(old_state, new_state, std::memory_order_relaxed));
  return static_cast<int>((new_state >> 16) & 0x7FFF);
}

uint32_t RandomState() { return g_state.load(std::memory_order_relaxed); }
void SetRandomState(uint32_t state) { g_state.store(state, std::memory_order_relaxed); }

uint32_t AdvanceState(uint32_t state, uint64_t steps) {
  // Compose the affine step s -> a s + c with itself by repeated squaring.
  uint32_t mul = 214013u;
  uint32_t add = 2531011u;
  uint32_t total_mul = 1;
  uint32_t total_add = 0;
  while (steps > 0) {
    if (steps & 1) {
      total_mul *= mul;
      total_add = total_add * mul + add;
    }
    add = add * mul + add;
    mul *= mul;
    steps >>= 1;
  }
  return state * total_mul + total_add;
}

uint32_t TakeDraws(uint64_t count) {
  uint32_t old_state = g_state.load(std::memory_order_relaxed);
  while (!g_state.compare_exchange_weak(old_state, AdvanceState(old_state, count), std::memory_order_relaxed)) {
  }
  return old_state;
}

}  // namespace sylvane
