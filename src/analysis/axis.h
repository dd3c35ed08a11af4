#pragma once
// Axis scaling and the rounding of computed numbers to what the program shows.

namespace tidemark {

struct NiceAxisResult {
    double min = 0;   // rounded minimum
    double step = 0;  // 1, 2 or 5 times a power of ten
    double max = 0;   // rounded maximum
};

// Turns the smallest and largest value of an axis into a rounded minimum, a step and a
// rounded maximum. When max equals min, max becomes min + 1 and is written back.
// A reversed pair is scaled over its span; a non-finite pair gives the axis 0 to 1.
NiceAxisResult Niceaxis(double min, double& max);

// Removes floating-point noise from a computed number (keeps 6 significant digits when
// its text form shows the noise).
double Cleanvalue(double x);

// Rounds to about three significant figures; the result is stored back and returned.
double Roundsig(double& x);

}  // namespace tidemark
