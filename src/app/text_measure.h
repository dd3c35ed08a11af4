#pragma once
// The layout pass' measuring surface over the platform's font metrics.
#include "pages/layout.h"

namespace tidemark {

// Text extents in twips for a font name and size in points.
TextMeasure QtTextMeasure();

}  // namespace tidemark
