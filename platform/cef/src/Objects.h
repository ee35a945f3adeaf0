#pragma once

// The layer's small objects: what the stand-in hands to handlers and what
// the fakes of cef_test.h return.

#include <mutex>
#include <string>
#include <vector>

#include "cef/cef_objects.h"
#include "cef/cef_test.h"

namespace cef_internal {

class CommandLineImpl final : public CefCommandLine, public CefCountedObject {
 public:
  void AppendSwitch(const CefString& name) override;
  bool HasSwitch(const CefString& name) override;
  void GetSwitches(std::vector<CefString>& switches) override;
  [[nodiscard]] std::vector<std::wstring> Switches() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<std::wstring> m_switches;
};

class V8ContextImpl final : public CefV8Context, public CefCountedObject {
 public:
  bool Enter() override;
  bool Exit() override;
  [[nodiscard]] std::vector<std::string> Calls() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<std::string> m_calls;
  int m_depth = 0;
};

class ContextMenuParamsImpl final : public CefContextMenuParams, public CefCountedObject {
 public:
  explicit ContextMenuParamsImpl(int type_flags) : m_type_flags(type_flags) {}
  int GetTypeFlags() override { return m_type_flags; }

 private:
  const int m_type_flags;
};

class MenuModelImpl final : public CefMenuModel, public CefCountedObject {
 public:
  bool Clear() override;
  int GetCount() override;
  bool AddItem(int command_id, const CefString& label) override;

 private:
  struct Item {
    int command_id;
    std::wstring label;
  };
  std::mutex m_mutex;
  std::vector<Item> m_items;
};

class DragDataImpl final : public CefDragData, public CefCountedObject {
 public:
  explicit DragDataImpl(std::wstring link_url) : m_link_url(std::move(link_url)) {}
  bool IsLink() override { return !m_link_url.empty(); }
  CefString GetLinkURL() override { return m_link_url; }
  bool IsFile() override { return false; }
  bool IsFragment() override { return m_link_url.empty(); }

 private:
  const std::wstring m_link_url;
};

class DownloadItemImpl final : public CefDownloadItem, public CefCountedObject {
 public:
  DownloadItemImpl(std::wstring url, std::wstring suggested_name)
      : m_url(std::move(url)), m_suggested_name(std::move(suggested_name)) {}
  CefString GetURL() override { return m_url; }
  CefString GetSuggestedFileName() override { return m_suggested_name; }
  CefString GetMimeType() override { return L"application/octet-stream"; }
  int64 GetTotalBytes() override { return 0; }
  // Nothing is ever written: the download stays where it began.
  bool IsComplete() override { return false; }
  bool IsInProgress() override { return true; }
  CefString GetFullPath() override { return CefString(); }

 private:
  const std::wstring m_url;
  const std::wstring m_suggested_name;
};

class BeforeDownloadCallbackImpl final : public CefBeforeDownloadCallback, public CefCountedObject {
 public:
  void Continue(const CefString& download_path, bool show_dialog) override;
  [[nodiscard]] cef_test::DownloadContinuation Continuation() const;

 private:
  mutable std::mutex m_mutex;
  cef_test::DownloadContinuation m_continuation;
};

class DownloadItemCallbackImpl final : public CefDownloadItemCallback, public CefCountedObject {
 public:
  void Cancel() override { m_cancelled = true; }
  [[nodiscard]] bool Cancelled() const { return m_cancelled; }

 private:
  std::atomic<bool> m_cancelled{false};
};

}  // namespace cef_internal
