#pragma once

// Plain values of the browser layer: identifiers, flags and the records that
// describe the process, a browser window and a cookie.

#include <windows.h>

#include <cstdint>

#include "cef/cef_string.h"

using int64 = int64_t;
using CefWindowHandle = HWND;

enum cef_state_t {
  STATE_DEFAULT = 0,
  STATE_ENABLED = 1,
  STATE_DISABLED = 2,
};

// The threads tasks can be posted to. There is a single process, so the
// renderer's thread is the UI thread.
enum CefThreadId {
  TID_UI = 0,
  TID_IO = 1,
  TID_RENDERER = 2,
};

enum cef_context_menu_type_flags_t {
  CM_TYPEFLAG_NONE = 0,
  CM_TYPEFLAG_PAGE = 1 << 0,
  CM_TYPEFLAG_FRAME = 1 << 1,
  CM_TYPEFLAG_LINK = 1 << 2,
  CM_TYPEFLAG_MEDIA = 1 << 3,
  CM_TYPEFLAG_SELECTION = 1 << 4,
  CM_TYPEFLAG_EDITABLE = 1 << 5,
};

enum cef_drag_operations_mask_t : uint32_t {
  DRAG_OPERATION_NONE = 0,
  DRAG_OPERATION_COPY = 1,
  DRAG_OPERATION_LINK = 2,
  DRAG_OPERATION_GENERIC = 4,
  DRAG_OPERATION_PRIVATE = 8,
  DRAG_OPERATION_MOVE = 16,
  DRAG_OPERATION_DELETE = 32,
  DRAG_OPERATION_EVERY = 0xFFFFFFFF,
};
using DragOperationsMask = cef_drag_operations_mask_t;

using cef_event_flags_t = int;
using EventFlags = cef_event_flags_t;

enum CefProcessId {
  PID_BROWSER = 0,
  PID_RENDERER = 1,
};

// Arguments of the process. Only the instance is kept.
struct CefMainArgs {
  CefMainArgs() = default;
  explicit CefMainArgs(HINSTANCE module_instance) : instance(module_instance) {}
  HINSTANCE instance = nullptr;
};

struct CefSettings {
  // Only the multi-threaded loop exists: the layer always runs its own UI
  // thread. The value is kept so that tests can see what the client asked for.
  bool multi_threaded_message_loop = false;
};

// Where a browser window goes. Only child windows exist.
struct CefWindowInfo {
  void SetAsChild(HWND parent, RECT rect) {
    parent_window = parent;
    x = rect.left;
    y = rect.top;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  }
  void SetTransparentPainting(bool transparent) { transparent_painting = transparent; }

  HWND parent_window = nullptr;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  DWORD style = 0;
  DWORD ex_style = 0;
  bool transparent_painting = false;
};

// Kept per browser; the stand-in has no engine for them to change.
struct CefBrowserSettings {
  CefString default_encoding;
  cef_state_t universal_access_from_file_urls = STATE_DEFAULT;
};

struct CefPopupFeatures {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool has_position = false;
  bool has_size = false;
};

struct CefTime {
  int year = 0;
  int month = 0;
  int day_of_week = 0;
  int day_of_month = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

struct CefCookie {
  CefString name;
  CefString value;
  CefString domain;
  CefString path;
  bool secure = false;
  bool httponly = false;
  CefTime creation;
  CefTime last_access;
  bool has_expires = false;
  CefTime expires;
};
