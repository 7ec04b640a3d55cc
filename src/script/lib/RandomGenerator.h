#pragma once

#include <cstdint>

namespace tvk::script::lib {

// The language's pseudo-random sequence: a 24-bit linear congruential generator, so that a script seeded
// with Rnd(-n) followed by Randomize n repeats the numbers it gives elsewhere. One per engine.
class RandomGenerator {
public:
    // Next number of the sequence in [0, 1).
    float next();
    // Rnd(n): n < 0 seeds from n and returns the first number of that sequence; 0 repeats the last number;
    // n > 0 continues the sequence.
    float rnd(float n);
    // Randomize n: mixes the bits of n into the seed.
    void randomize(double n);

    uint32_t seed() const { return m_seed; }

private:
    uint32_t m_seed = 327680; // the documented starting seed
    float m_last = 327680.0f / 16777216.0f;
};

} // namespace tvk::script::lib
