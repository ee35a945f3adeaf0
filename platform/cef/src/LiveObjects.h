#pragma once

namespace cef_internal {

// How many of the layer's reference-counted objects exist right now.
int LiveObjects();

}  // namespace cef_internal
