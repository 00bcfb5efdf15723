#pragma once

#include <cstdint>
#include <functional>

namespace gemino {

// The game's one random source: a 32-bit linear congruential generator, seeded once with the
// time on the first draw unless a state has been set.
class Random {
public:
    using Clock = std::function<std::uint32_t()>; // seconds since 1970-01-01 UTC

    Random();
    explicit Random(Clock clock);

    // A number from 1 to n (n >= 1); 1 comes about three times as often as each other value.
    int RandomFrom1To(int n);
    // The next raw draw, 0 to 32767.
    int draw();

    void setState(std::uint32_t state);
    std::uint32_t state() const { return state_; }

    // Maps a raw draw r (0 to 32767) to 1..n exactly as RandomFrom1To does.
    static int scale(int r, int n);

private:
    Clock clock_;
    std::uint32_t state_ = 0;
    bool seeded_ = false;
};

} // namespace gemino
