#pragma once

#include <string>

#include "quennet/HttpClient.h"

namespace quennet::detail {

// The handler registered for the host, or an empty one.
LocalHandler FindLocalHandler(const std::string& host);

}  // namespace quennet::detail
