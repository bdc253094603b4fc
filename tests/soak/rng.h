// The soak's random numbers: splitmix64, so that a seed replays the same run
// with any compiler and standard library.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iterator>

namespace soak {

class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 to n - 1; 0 when n is 0.
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : next() % n; }

    // lo to hi, both included.
    int between(int lo, int hi) {
        return lo + static_cast<int>(below(static_cast<std::uint64_t>(hi - lo) + 1));
    }

    // 0 to 1.
    float unit() { return static_cast<float>(next() >> 40) / static_cast<float>(1ull << 24); }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }

    bool chance(double p) {
        return static_cast<double>(next() >> 11) / static_cast<double>(1ull << 53) < p;
    }

    template <class T> T pick(std::initializer_list<T> values) {
        return *std::next(values.begin(), static_cast<std::ptrdiff_t>(below(values.size())));
    }

  private:
    std::uint64_t state_;
};

} // namespace soak
