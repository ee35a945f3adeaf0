#include "files/list/FilePaging.h"

#include <algorithm>

namespace files {

size_t FilterIndex(FileFilter filter) {
  const auto found = std::find(kFileFilters.begin(), kFileFilters.end(), filter);
  return found == kFileFilters.end() ? 0 : static_cast<size_t>(found - kFileFilters.begin());
}

const FilePaging::FilterState& FilePaging::State(FileFilter filter) const { return m_states[FilterIndex(filter)]; }

FilePaging::FilterState& FilePaging::State(FileFilter filter) { return m_states[FilterIndex(filter)]; }

void FilePaging::RequestStarted(FileFilter filter) {
  FilterState& state = State(filter);
  state.firstPageAsked = true;
  state.pending = true;
}

bool FilePaging::PageArrived(FileFilter filter, size_t count) {
  FilterState& state = State(filter);
  state.pending = false;
  if (count != static_cast<size_t>(kPageSize)) return false;
  ++state.nextPage;
  return true;
}

bool FilePaging::RebuiltListEndsWithLoadMore(FileFilter filter, size_t kept) const {
  return kept != 0 && !IsPending(filter) && kept == static_cast<size_t>(LoadMoreIndex(filter));
}

}  // namespace files
