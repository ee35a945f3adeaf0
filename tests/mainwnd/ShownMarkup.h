#pragma once

// What the framework makes of a markup text: read back through a real label,
// so that tests check what a user sees rather than the markup's spelling.

#include <string>
#include <vector>

struct ShownMarkup {
  std::wstring plain;               // the text as drawn
  std::vector<std::wstring> links;  // each link's argument, as a click hands it out
};

ShownMarkup ShowMarkup(const std::wstring& markup);
