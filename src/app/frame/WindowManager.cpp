#include "app/frame/WindowManager.h"

#include "app/ui/ConversationHost.h"

namespace mireloomwnd {

namespace {

constexpr DWORD kDialog = kDialogStyle;
constexpr DWORD kOverlapped = kOverlappedStyle;

// Slots 1 to 20 in order.
const SlotSpec kSlots[kSlotCount] = {
    {L"Corvanel", kOverlapped, ParentKind::None, false, 0, 0},
    {L"更多频道", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"发起私聊", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"创建群组", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"添加成员", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"发送表情", kDialog, ParentKind::None, true, 432, 236},
    {L"上传文件", kOverlapped, ParentKind::MainWindow, false, 0, 0},
    {L"文件", kDialog, ParentKind::MainWindow, true, 320, 0},
    {L"文件", kDialog, ParentKind::FileListWindow, true, 320, 0},
    {L"查看资料", kDialog, ParentKind::MainWindow, true, 320, 0},
    {L"查看群组成员", kDialog, ParentKind::MainWindow, true, 320, 0},
    {L"发起通话", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"发起通话", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"发起通话", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"PhotoViewer", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"消息详情", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"代码片段", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"切换语言", kDialog, ParentKind::MainWindow, false, 0, 0},
    {L"意见反馈", kOverlapped, ParentKind::MainWindow, false, 0, 0},
};

}  // namespace

const SlotSpec& SpecOf(WindowSlot slot) { return kSlots[static_cast<size_t>(slot) - 1]; }

WindowManager* WindowManager::GetInstance() {
  static auto* instance = new WindowManager;
  return instance;
}

DuiLib::CWindowWnd* WindowManager::Get(WindowSlot slot) const { return m_slots[Index(slot)]; }

// The slot holds the main window as a framework window; the window is a
// conversation host too, which only it knows.
CConversationHost* WindowManager::GetConversationHost() const {
  return dynamic_cast<CConversationHost*>(Get(WindowSlot::MainWnd));
}

void WindowManager::Set(WindowSlot slot, DuiLib::CWindowWnd* window, const DuiLib::CWindowWnd* self) {
  DuiLib::CWindowWnd*& held = m_slots[Index(slot)];
  if (window) {
    held = window;
  } else if (held && held == self) {
    held = nullptr;
  }
}

void WindowManager::Close(WindowSlot slot) {
  DuiLib::CWindowWnd*& held = m_slots[Index(slot)];
  if (!held) return;
  held->Close(kManagedCloseResult);
  held = nullptr;
}

void WindowManager::CloseAll() {
  for (WindowSlot slot : {WindowSlot::AddMembersWnd, WindowSlot::ViewMembersWnd, WindowSlot::CreateChannelWnd,
                          WindowSlot::OpenImWnd, WindowSlot::JoinChannelWnd, WindowSlot::MainWnd}) {
    Close(slot);
  }
}

HWND WindowManager::FindParent(ParentKind kind) const {
  switch (kind) {
    case ParentKind::MainWindow:
      return FindWindowW(L"MainWindow", L"Corvanel");
    case ParentKind::FileListWindow:
      return FindWindowW(L"ViewFilesWnd", L"文件");
    case ParentKind::None:
    default:
      return nullptr;
  }
}

HWND WindowManager::CreateInSlot(DuiLib::CWindowWnd& window, WindowSlot slot, const Placement& placement) const {
  const SlotSpec& spec = SpecOf(slot);
  HWND parent = FindParent(spec.parent);
  if (!spec.placed) return window.Create(parent, spec.title, spec.style, kWindowExStyle);
  const int height = spec.fixedHeight > 0 ? spec.fixedHeight : placement.height;
  return window.Create(parent, spec.title, spec.style, kWindowExStyle, placement.x, placement.y, spec.width, height);
}

}  // namespace mireloomwnd
