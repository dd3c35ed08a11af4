// Standard normal tail probability and its inverse, by the rational approximations of
// Abramowitz and Stegun (26.2.19 and 26.2.23).
#include <cfloat>
#include <cmath>

#include "analysis/frequency.h"

namespace tidemark {

float funp(double x) {
    // The polynomial approximates the tail only for y >= 0, so negative deviates go
    // through the complement of their mirror image.
    double y = std::fabs(x);
    double poly =
        1 + y * (0.049867347 +
                 y * (0.0211410061 + y * (0.0032776263 + y * (0.0000380036 + y * (0.0000488906 + y * 0.000005383)))));
    double tail = 0.5 * std::pow(poly, -16);
    double f = x < 0 ? 1 - tail : tail;
    if (!(f >= 1e-9)) f = 1e-9;  // also catches NaN
    return static_cast<float>(f);
}

double funk(double p) {
    if (std::isnan(p)) return 0;
    double q = p > 0.5 ? 1 - p : p;
    // Probabilities of 0 or 1 (or beyond) have no finite deviate: take the smallest tail.
    if (q < DBL_MIN) q = DBL_MIN;
    // sqrt(ln(1 / q^2)), written so that 1 / q^2 cannot overflow.
    double t = std::sqrt(-2 * std::log(q));
    double z = t - (2.515517 + t * (0.802853 + t * 0.010328)) / (1 + t * (1.432788 + t * (0.189269 + t * 0.001308)));
    return p > 0.5 ? -z : z;
}

}  // namespace tidemark
