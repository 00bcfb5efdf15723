#include "core/engine/random.h"

#include <cassert>
#include <chrono>

namespace gemino {

namespace {

std::uint32_t secondsSinceEpoch() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

} // namespace

Random::Random() : clock_(secondsSinceEpoch) {}

Random::Random(Clock clock) : clock_(std::move(clock)) {}

void Random::setState(std::uint32_t state) {
    state_ = state;
    seeded_ = true;
}

int Random::draw() {
    if (!seeded_) {
        setState(clock_());
    }
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7fff);
}

int Random::scale(int r, int n) {
    // c is the single-precision number nearest to 1/32767; r * c * (n + 2) is exact in double,
    // so 1 collects the draws that scale to 0, 1 and 2.
    constexpr double c = 32769.0 / 1073741824.0;
    const int v = static_cast<int>(static_cast<double>(r) * c * static_cast<double>(n + 2));
    return v - 1 < 1 ? 1 : v - 1;
}

int Random::RandomFrom1To(int n) {
    assert(n >= 1);
    return scale(draw(), n);
}

} // namespace gemino
