// A small pseudo-random generator (xorshift64*) for the places that want
// the same sequence on every machine and every run: the generated
// benchmark inputs and the property tests' documents. Not for anything
// that must be unpredictable.
#pragma once

#include <cstddef>
#include <cstdint>

class XorshiftRandom {
 public:
  // state must not be 0: the sequence would stay 0.
  explicit XorshiftRandom(uint64_t state) : m_state(state) {}

  uint64_t Next() {
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return m_state * 0x2545F4914F6CDD1Dull;
  }
  size_t Below(size_t bound) { return static_cast<size_t>(Next() % bound); }
  bool OneIn(size_t n) { return Below(n) == 0; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  uint64_t m_state;
};
