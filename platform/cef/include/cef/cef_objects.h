#pragma once

// The small objects the layer hands to the client's handlers: the command
// line, script contexts, context-menu, drag and download details.

#include <vector>

#include "cef/cef_base.h"
#include "cef/cef_types.h"

// Types the interfaces name but the client never touches.
class CefSchemeRegistrar : public virtual CefBase {};
class CefResourceBundleHandler : public virtual CefBase {};
class CefProcessMessage : public virtual CefBase {};
// Always null: one request context, the global one.
class CefRequestContext : public virtual CefBase {};

// Every append is kept in order, duplicates included.
class CefCommandLine : public virtual CefBase {
 public:
  virtual void AppendSwitch(const CefString& name) = 0;
  [[nodiscard]] virtual bool HasSwitch(const CefString& name) = 0;
  virtual void GetSwitches(std::vector<CefString>& switches) = 0;
};

class CefV8Context : public virtual CefBase {
 public:
  virtual bool Enter() = 0;
  virtual bool Exit() = 0;
};

class CefContextMenuParams : public virtual CefBase {
 public:
  // cef_context_menu_type_flags_t bits.
  [[nodiscard]] virtual int GetTypeFlags() = 0;
};

// The menu a page is about to show; what is left in it after the handler
// has run is what would be shown.
class CefMenuModel : public virtual CefBase {
 public:
  virtual bool Clear() = 0;
  [[nodiscard]] virtual int GetCount() = 0;
  virtual bool AddItem(int command_id, const CefString& label) = 0;
};

class CefDragData : public virtual CefBase {
 public:
  [[nodiscard]] virtual bool IsLink() = 0;
  [[nodiscard]] virtual CefString GetLinkURL() = 0;
  [[nodiscard]] virtual bool IsFile() = 0;
  [[nodiscard]] virtual bool IsFragment() = 0;
};

class CefDownloadItem : public virtual CefBase {
 public:
  [[nodiscard]] virtual CefString GetURL() = 0;
  [[nodiscard]] virtual CefString GetSuggestedFileName() = 0;
  [[nodiscard]] virtual CefString GetMimeType() = 0;
  [[nodiscard]] virtual int64 GetTotalBytes() = 0;
  [[nodiscard]] virtual bool IsComplete() = 0;
  [[nodiscard]] virtual bool IsInProgress() = 0;
  [[nodiscard]] virtual CefString GetFullPath() = 0;
};

// Continue with show_dialog = true stands for the save dialog. The stand-in
// never opens one and writes no file.
class CefBeforeDownloadCallback : public virtual CefBase {
 public:
  virtual void Continue(const CefString& download_path, bool show_dialog) = 0;
};

class CefDownloadItemCallback : public virtual CefBase {
 public:
  virtual void Cancel() = 0;
};
