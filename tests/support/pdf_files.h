#pragma once
// PDF files for tests: pages of one colour each, written out by hand.
#include <string>
#include <vector>

namespace tidemark::testsupport {

// A PDF of US Letter pages (612 x 792 points), page i filled with `fills[i]`, an RGB
// triple of PDF colour components such as "1 0 0" (red).
std::string SolidPagesPdf(const std::vector<std::string>& fills);

}  // namespace tidemark::testsupport
