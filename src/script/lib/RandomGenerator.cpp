#include "script/lib/RandomGenerator.h"

#include <bit>

namespace tvk::script::lib {

namespace {
constexpr uint32_t Mask = 0xFFFFFF;
}

float RandomGenerator::next() {
    m_seed = static_cast<uint32_t>((uint64_t{m_seed} * 1140671485u + 12820163u) & Mask);
    m_last = static_cast<float>(m_seed) / 16777216.0f;
    return m_last;
}

float RandomGenerator::rnd(float n) {
    if (n < 0) {
        const uint32_t bits = std::bit_cast<uint32_t>(n);
        m_seed = (bits + (bits >> 24)) & Mask;
        return next();
    }
    if (n == 0) return m_last;
    return next();
}

void RandomGenerator::randomize(double n) {
    const uint64_t bits = std::bit_cast<uint64_t>(n);
    const auto high = static_cast<uint32_t>(bits >> 32);
    const uint32_t mixed = ((high & 0xFFFF) ^ (high >> 16)) << 8;
    m_seed = ((m_seed & 0xFF) | mixed) & Mask;
}

} // namespace tvk::script::lib
