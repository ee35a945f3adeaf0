#pragma once

// At most one window of each kind: the main window and the dialogs it opens.
// Each kind has a slot; Show creates the window in its own stack frame, runs
// its modal loop and returns when it has ended; Close asks it to close.
//
// Each window kind adds its own Show/Close/Set operations on top of the
// generic ones below when its class exists, for example
//   void WindowManager::ShowJoinChannelWnd(int visibility) {
//     Show<JoinChannelWnd>(WindowSlot::JoinChannelWnd, {}, visibility);
//   }
// and clears its slot from its final message with Set(slot, nullptr, this).

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/ui/WindowConventions.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class CConversationHost;
class MainWnd;

enum class WindowSlot : int {
  MainWnd = 1,
  JoinChannelWnd,
  OpenImWnd,
  CreateChannelWnd,
  ViewMembersWnd,  // never filled: no window kind, only its Close
  AddMembersWnd,
  SelectEmojiWnd,
  UploadFileWnd,
  ViewFilesWnd,
  FileDetailsWnd,
  ViewImMemberWnd,
  ViewGroupMembersWnd,
  TelephoneCallingWnd,
  GroupTelephoneCallingWnd,
  SelectGroupCallMembersWnd,
  ImageViewerWnd,
  ModuleDetailsWnd,
  ViewSnippetWnd,
  SwitchLanguageWnd,
  FeedbackWnd,
};
inline constexpr int kSlotCount = 20;

enum class ParentKind { None, MainWindow, FileListWindow };

// The result every managed window is closed with: a WM_CLOSE that carries
// another one came from outside the program (the system menu, Alt+F4, the
// taskbar).
inline constexpr UINT kManagedCloseResult = 1;

// How a slot's window is created.
struct SlotSpec {
  const wchar_t* title;
  DWORD style;
  ParentKind parent;
  bool placed;      // at a given position, else centred
  int width;        // placed kinds: fixed width
  int fixedHeight;  // placed kinds: fixed height, 0 when the caller gives it
};
[[nodiscard]] const SlotSpec& SpecOf(WindowSlot slot);

// Where a placed window goes; ignored for centred kinds.
struct Placement {
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  int height = 0;
};

class WindowManager {
 public:
  // The single manager, created with every slot empty on first use.
  static WindowManager* GetInstance();
  virtual ~WindowManager() = default;

  [[nodiscard]] DuiLib::CWindowWnd* Get(WindowSlot slot) const;
  // Stores a window in its slot. With null, clears the slot only while it
  // still holds `self`: a window's late final message must not clear the
  // slot of the window that replaced it.
  void Set(WindowSlot slot, DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr);
  // Asks the slot's window to close (result 1) and empties the slot.
  void Close(WindowSlot slot);
  // Closes the add-members, (empty) members, create-channel, open-chat,
  // join-channel and main windows, in that order; the others stay open.
  void CloseAll();
  void CloseViewMembersWnd() { Close(WindowSlot::ViewMembersWnd); }

  // One page of the team's web site ("/" + path, UTF-8); defined with the
  // window in the browser library.
  void ShowModuleDetailsWnd(const std::string& page);
  void CloseModuleDetailsWnd() { Close(WindowSlot::ModuleDetailsWnd); }
  void SetModuleDetailsWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::ModuleDetailsWnd, window, self);
  }

  // The member, call and feedback dialogs; each is defined with its window
  // in the dialogs library.
  void ShowAddMembersWnd(const std::string& channelId);
  void CloseAddMembersWnd() { Close(WindowSlot::AddMembersWnd); }
  void SetAddMembersWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::AddMembersWnd, window, self);
  }
  // A side panel at (x, y), 320 wide and `height` tall.
  void ShowViewImMemberWnd(const std::string& uid, int x, int y, int height);
  void CloseViewImMemberWnd() { Close(WindowSlot::ViewImMemberWnd); }
  void SetViewImMemberWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::ViewImMemberWnd, window, self);
  }
  void ShowTelephoneCallingWnd(const std::string& uid);
  void CloseTelephoneCallingWnd() { Close(WindowSlot::TelephoneCallingWnd); }
  void SetTelephoneCallingWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::TelephoneCallingWnd, window, self);
  }
  void ShowGroupTelephoneCallingWnd(const std::vector<std::string>& uids);
  void CloseGroupTelephoneCallingWnd() { Close(WindowSlot::GroupTelephoneCallingWnd); }
  void SetGroupTelephoneCallingWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::GroupTelephoneCallingWnd, window, self);
  }
  void ShowSelectGroupCallMembersWnd(const std::string& channelId);
  void CloseSelectGroupCallMembersWnd() { Close(WindowSlot::SelectGroupCallMembersWnd); }
  void SetSelectGroupCallMembersWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::SelectGroupCallMembersWnd, window, self);
  }
  void ShowFeedbackWnd();
  void CloseFeedbackWnd() { Close(WindowSlot::FeedbackWnd); }
  void SetFeedbackWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::FeedbackWnd, window, self);
  }
  // The channel and conversation dialogs; each is defined with its window in
  // the dialogs library. Joining lists the channels and offers a join button
  // on those of the visibility (1 public, 2 private).
  void ShowJoinChannelWnd(int visibility);
  void CloseJoinChannelWnd() { Close(WindowSlot::JoinChannelWnd); }
  void SetJoinChannelWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::JoinChannelWnd, window, self);
  }
  void ShowOpenImWnd();
  void CloseOpenImWnd() { Close(WindowSlot::OpenImWnd); }
  void SetOpenImWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::OpenImWnd, window, self);
  }
  void ShowCreateChannelWnd();
  void CloseCreateChannelWnd() { Close(WindowSlot::CreateChannelWnd); }
  void SetCreateChannelWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::CreateChannelWnd, window, self);
  }
  // A side panel at (x, y), 320 wide and `height` tall.
  void ShowViewGroupMembersWnd(const std::string& channelId, int x, int y, int height);
  void CloseViewGroupMembersWnd() { Close(WindowSlot::ViewGroupMembersWnd); }
  void SetViewGroupMembersWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::ViewGroupMembersWnd, window, self);
  }
  void ShowSwitchLanguageWnd();
  void CloseSwitchLanguageWnd() { Close(WindowSlot::SwitchLanguageWnd); }
  void SetSwitchLanguageWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::SwitchLanguageWnd, window, self);
  }

  // The emoji picker at (x, y), 432 x 236, without an owner; defined with the
  // window in the emoji picker library.
  void ShowSelectEmojiWnd(const std::string& chatId, int x, int y);
  void CloseSelectEmojiWnd() { Close(WindowSlot::SelectEmojiWnd); }
  void SetSelectEmojiWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::SelectEmojiWnd, window, self);
  }

  // The file windows; defined with the windows in the files library.
  // Confirms and sends one file (path in code page 936) to a conversation
  // (kind 1 channel, 2 one-to-one).
  void ShowUploadFileWnd(const std::string& chatId, const std::string& filePathCp936, int chatKind);
  void CloseUploadFileWnd() { Close(WindowSlot::UploadFileWnd); }
  void SetUploadFileWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::UploadFileWnd, window, self);
  }
  // A conversation's files (channel type 1 channel, 2 one-to-one), 320 wide at (x, y).
  void ShowViewFilesWnd(const std::string& chatId, int x, int y, int height, int channelType);
  void CloseViewFilesWnd() { Close(WindowSlot::ViewFilesWnd); }
  void SetViewFilesWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::ViewFilesWnd, window, self);
  }
  // One file with its comments, over the file list.
  void ShowFileDetailsWnd(const std::string& entityId, int x, int y, int height);
  void CloseFileDetailsWnd() { Close(WindowSlot::FileDetailsWnd); }
  void SetFileDetailsWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::FileDetailsWnd, window, self);
  }
  // The cached picture (local path), its address on the service and its title.
  void ShowImageViewerWnd(const DuiLib::CDuiString& imagePath, const DuiLib::CDuiString& address,
                          const DuiLib::CDuiString& title);
  void CloseImageViewerWnd() { Close(WindowSlot::ImageViewerWnd); }
  void SetImageViewerWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::ImageViewerWnd, window, self);
  }
  void ShowViewSnippetWnd(const std::string& entityId);
  void CloseViewSnippetWnd() { Close(WindowSlot::ViewSnippetWnd); }
  void SetViewSnippetWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::ViewSnippetWnd, window, self);
  }

  // The main window, the last step of signing in and of a language change: it
  // runs the main window's modal loop and returns when that window has ended.
  // Defined with the window in the main-window library.
  void ShowMainWnd();
  void CloseMainWnd() { Close(WindowSlot::MainWnd); }
  void SetMainWnd(DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self = nullptr) {
    Set(WindowSlot::MainWnd, window, self);
  }
  // The main window while it is open, else null.
  [[nodiscard]] MainWnd* GetMainWnd() const;
  // The main window as the other windows may use it; null while none is open.
  [[nodiscard]] CConversationHost* GetConversationHost() const;

  // Creates the slot's window unless one is open (it is not brought
  // forward), runs its modal loop, and returns when it has ended. `prepare`
  // runs after creation, before centring and the loop.
  template <class Window, class... Args>
  void ShowPrepared(WindowSlot slot, const Placement& placement, const std::function<void(Window&)>& prepare,
                    Args&&... args);
  template <class Window, class... Args>
  void Show(WindowSlot slot, const Placement& placement, Args&&... args) {
    ShowPrepared<Window>(slot, placement, std::function<void(Window&)>(), std::forward<Args>(args)...);
  }

  // The owner a slot's window gets; NULL when that window is not open.
  [[nodiscard]] HWND FindParent(ParentKind kind) const;

 private:
  // Creates the window as the slot says; NULL when creation failed.
  HWND CreateInSlot(DuiLib::CWindowWnd& window, WindowSlot slot, const Placement& placement) const;
  static size_t Index(WindowSlot slot) { return static_cast<size_t>(slot) - 1; }

  std::array<DuiLib::CWindowWnd*, kSlotCount> m_slots{};
};

template <class Window, class... Args>
void WindowManager::ShowPrepared(WindowSlot slot, const Placement& placement,
                                 const std::function<void(Window&)>& prepare, Args&&... args) {
  if (Get(slot)) return;
  Window window(std::forward<Args>(args)...);
  Set(slot, &window);
  if (!CreateInSlot(window, slot, placement)) {
    // A failed creation must not leave the slot pointing at a dead object.
    Set(slot, nullptr, &window);
    return;
  }
  if (prepare) prepare(window);
  if (!SpecOf(slot).placed) window.CenterWindow();
  window.ShowModal();
  Set(slot, nullptr, &window);
}

}  // namespace mireloomwnd
