// The program's one random generator, shared by the interface thread and the
// growth worker:
//   state <- state * 214013 + 2531011 (mod 2^32), result (state >> 16) & 0x7FFF.
// Algorithms depend on the range 0..32767 and on the order of draws, so no other
// generator may stand in for it. The state is atomic: two threads never lose or
// repeat a draw, and one thread alone sees exactly the classic sequence.
#pragma once
#include <cstdint>

namespace sylvane {

// Seeds the generator (the program seeds it once at start-up, the command line with --seed).
void SeedRandom(uint32_t seed);

// One draw, 0..32767.
int Rand();

// The raw state, so that a run can be reported and continued.
uint32_t RandomState();
void SetRandomState(uint32_t state);

// Takes `count` draws at once, in one atomic step: returns the state before
// them (from which the caller reproduces them) and moves the generator past
// them. A draw of another thread never falls between, so none is repeated.
uint32_t TakeDraws(uint64_t count);
// The state `steps` draws after `state`.
uint32_t AdvanceState(uint32_t state, uint64_t steps);

}  // namespace sylvane
