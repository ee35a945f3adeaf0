#pragma once

// The file list's paging: which filter is shown, which page each filter asks
// for next, which first pages were asked for, which requests are still out,
// and where the load-more button stands. Pages carry the filter they were
// asked for, so a page that arrives after a switch is filed where it belongs.

#include <array>
#include <cstddef>

namespace files {

// The list's filters, as the core library's entity types.
enum class FileFilter : int { All = 0, Images = 5, Documents = 7, Snippets = 8 };
inline constexpr std::array<FileFilter, 4> kFileFilters = {FileFilter::All, FileFilter::Images, FileFilter::Snippets,
                                                            FileFilter::Documents};

class FilePaging final {
 public:
  static constexpr int kPageSize = 20;

  [[nodiscard]] FileFilter Current() const { return m_current; }
  [[nodiscard]] bool IsShown(FileFilter filter) const { return m_current == filter; }
  void Show(FileFilter filter) { m_current = filter; }

  // The page the next "load more" of the filter asks for.
  [[nodiscard]] int NextPage(FileFilter filter) const { return State(filter).nextPage; }
  // "All" is asked for when the window opens; the others on their first showing.
  [[nodiscard]] bool FirstPageAsked(FileFilter filter) const { return State(filter).firstPageAsked; }

  // A request for the filter went out; another for it would fetch its page twice.
  void RequestStarted(FileFilter filter);
  [[nodiscard]] bool IsPending(FileFilter filter) const { return State(filter).pending; }
  void RequestFailed(FileFilter filter) { State(filter).pending = false; }
  // A page of `count` entities arrived; true when it was full, so that more
  // may follow: the next page is then one further and the button follows it.
  bool PageArrived(FileFilter filter, size_t count);

  // Where the load-more button stands: right after the rows of the full pages.
  [[nodiscard]] int LoadMoreIndex(FileFilter filter) const { return kPageSize * (NextPage(filter) - 1); }
  // Whether a list rebuilt from `kept` entities ends with the button: only
  // when they are exactly the full pages and no page is on its way.
  [[nodiscard]] bool RebuiltListEndsWithLoadMore(FileFilter filter, size_t kept) const;

 private:
  struct FilterState {
    int nextPage = 1;
    bool firstPageAsked = false;
    bool pending = false;
  };
  [[nodiscard]] const FilterState& State(FileFilter filter) const;
  FilterState& State(FileFilter filter);

  FileFilter m_current = FileFilter::All;
  std::array<FilterState, kFileFilters.size()> m_states{};
};

// The filter's position in kFileFilters, which orders the tabs and kept lists.
[[nodiscard]] size_t FilterIndex(FileFilter filter);

}  // namespace files
