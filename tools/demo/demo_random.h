#pragma once
// A small seeded generator whose sequence is fixed by its own code (SplitMix64), so a
// seed gives the same demo on every compiler and standard library. The standard
// distributions are not used because their results differ between implementations.
#include <cmath>
#include <cstdint>

namespace tidemark::demo {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}

    // An independent stream for one purpose, so adding draws in one part of the demo
    // does not shift every other part.
    Random Stream(uint64_t purpose) const {
        Random r(0);
        r.state_ = state_ ^ (purpose * 0xD1B54A32D192ED03ULL + 0x8CB92BA72F3D8DD7ULL);
        r.Next();
        return r;
    }

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }

    // Standard normal (Box-Muller, one value per call).
    double Normal() {
        double u1 = Uniform();
        double u2 = Uniform();
        if (u1 < 1e-300) u1 = 1e-300;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    double Normal(double mean, double sd) { return mean + sd * Normal(); }

    double Exponential(double mean) { return -mean * std::log(1.0 - Uniform()); }

    // Median `median`, spread `sigma` in natural-log units.
    double LogNormal(double median, double sigma) { return median * std::exp(sigma * Normal()); }

    bool Chance(double p) { return Uniform() < p; }

private:
    uint64_t state_;
};

}  // namespace tidemark::demo
