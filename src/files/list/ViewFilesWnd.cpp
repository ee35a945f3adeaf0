#include "files/list/ViewFilesWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "files/FileActions.h"
#include "files/FilesMessages.h"
#include "files/FileTexts.h"
#include "mireloom/Director.h"
#include "mireloom/EntityManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;
using files::FileFilter;

namespace {

constexpr int kPanelWidth = 320;
// The frame of the control the keyboard is on, as in the skin.
constexpr DWORD kFocusFrameColor = 0xFF3FD1BE;

// The tabs and their underlines, in the order of files::kFileFilters.
constexpr const wchar_t* kTabNames[] = {L"all_file_btn", L"image_file_btn", L"fragment_file_btn",
                                        L"document_file_btn"};
constexpr const wchar_t* kUnderlineNames[] = {L"all_file_btn_color", L"image_file_btn_color",
                                              L"fragment_file_btn_color", L"document_file_btn_color"};

struct TabLook {
  DWORD text;
  DWORD underline;
  int height;
  RECT padding;
};
constexpr TabLook kChosenTab = {0xFF586573, 0xFF4BBCB7, 2, {0, 0, 0, 0}};
constexpr TabLook kOtherTab = {0xFFA1A7AD, 0xFFECEFF4, 1, {0, 1, 0, 0}};

}  // namespace

void WindowManager::ShowViewFilesWnd(const std::string& chatId, int x, int y, int height, int channelType) {
  Show<ViewFilesWnd>(WindowSlot::ViewFilesWnd, Placement{x, y, height}, chatId, x, y, height, channelType);
}

ViewFilesWnd::ViewFilesWnd(const std::string& chatId, int x, int y, int height, int channelType)
    : m_chatId(chatId), m_x(x), m_y(y), m_height(height), m_channelType(channelType) {}

ViewFilesWnd::~ViewFilesWnd() = default;

CDuiString ViewFilesWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT ViewFilesWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const RECT placement = {m_x, m_y, m_x + kPanelWidth, m_y + m_height};
  return CreateSidePanel(*this, m_shadow, placement, uMsg, wParam, lParam, bHandled);
}

void ViewFilesWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"view_file_title", "ViewFileWndTitle"},
                              {L"close_btn", "CloseTips", TextTarget::ToolTip},
                              {L"all_file_btn", "AllFileTypeLabel"},
                              {L"image_file_btn", "ImgeTypeLabel"},
                              {L"fragment_file_btn", "SnippetTypeLabel"},
                              {L"document_file_btn", "DocTypeLabel"}});
  m_paging = files::FilePaging();
  m_fileList = FindSkinControl<CListUI>(m_PaintManager, L"file_list", L"List");
  for (size_t tab = 0; tab < files::kFileFilters.size(); ++tab) {
    m_filterTabs[tab] = FindSkinControl<CButtonUI>(m_PaintManager, kTabNames[tab], L"Button");
    m_tabUnderlines[tab] = FindSkinControl<CControlUI>(m_PaintManager, kUnderlineNames[tab], L"Control");
  }
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  if (director && director->current_team()) m_teamId = director->current_team()->team_id();
  FetchFirstPage(m_chatId, FileFilter::All);
}

// ---- Pages ---------------------------------------------------------------------------------

void ViewFilesWnd::FetchFirstPage(const std::string& chatId, FileFilter type) { RequestPage(type, 1); }

void ViewFilesWnd::FetchNextPage(const std::string& chatId, FileFilter type, int page) {
  RemoveLoadMoreButton(type);
  RequestPage(type, page);
}

void ViewFilesWnd::RequestPage(FileFilter type, int page) {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  if (!director) {
    quennet::log_error("File list: no signed-in session");
    return;
  }
  m_paging.RequestStarted(type);
  director->entity_manager()->GetEntitiesByChannelId(
      m_chatId, static_cast<mireloom::Message::ChannelType>(m_channelType), static_cast<mireloom::Entity::Type>(type),
      "", page, files::FilePaging::kPageSize,
      [this, type, token = m_guard.Token()](bool ok, const std::string&, EntityList entities, int) {
        // std::function needs a copyable closure: the page rides in a shared pointer.
        auto page = std::make_shared<EntityList>(std::move(entities));
        CUiThread::Post(token, [this, type, ok, page] { OnEntitiesFetched(type, ok, std::move(*page)); });
      });
}

void ViewFilesWnd::RemoveLoadMoreButton(FileFilter type) {
  if (!m_fileList) return;
  CControlUI* button = m_fileList->GetItemAt(m_paging.LoadMoreIndex(type));
  // Only the button goes: a list rebuilt without it has a row there.
  if (button && button->GetName() == L"load_more") m_fileList->RemoveAt(m_paging.LoadMoreIndex(type));
}

void ViewFilesWnd::OnEntitiesFetched(FileFilter type, bool ok, EntityList entities) {
  if (!GetHWND()) return;
  if (!ok) {
    // Nothing changes; a load-more button taken away before asking stays away.
    m_paging.RequestFailed(type);
    return;
  }
  const bool shown = m_paging.IsShown(type);
  if (shown) AppendPageRows(entities);
  const bool full = entities.size() == static_cast<size_t>(files::FilePaging::kPageSize);
  AdvancePageCounter(type, entities.size());
  if (shown && full) AppendLoadMoreButton();
  KeepPageEntities(type, std::move(entities));
}

void ViewFilesWnd::AppendPageRows(const EntityList& entities) {
  for (const auto& entity : entities) {
    CListContainerElementUI* row = BuildRow(*entity, RowSource::FreshPage);
    if (m_fileList) {
      m_fileList->Add(row);
    } else {
      delete row;
    }
  }
}

void ViewFilesWnd::AdvancePageCounter(FileFilter type, size_t count) { m_paging.PageArrived(type, count); }

void ViewFilesWnd::KeepPageEntities(FileFilter type, EntityList entities) {
  EntityList& kept = KeptList(type);
  for (auto& entity : entities) kept.push_back(std::move(entity));
}

void ViewFilesWnd::AppendLoadMoreButton() {
  if (!m_fileList) return;
  auto* button = new CButtonUI;
  button->SetName(L"load_more");
  button->SetFixedWidth(80);
  button->SetFixedHeight(30);
  button->SetPadding({2, 0, 0, 0});
  button->SetMouseEnabled(true);
  button->SetKeyboardEnabled(true);  // reached with Tab, like the tabs
  button->SetFocusBorderColor(kFocusFrameColor);
  button->SetBorderColor(0xFFE4F5F4);
  button->SetBkColor(0xFFE4F5F4);
  button->SetText(LocalizedText("LoadMoreBtnLabel").c_str());
  m_fileList->Add(button);
}

// ---- Filters -------------------------------------------------------------------------------

void ViewFilesWnd::SwitchFilter(FileFilter type) {
  SelectFilterTab(files::FilterIndex(type));
  m_paging.Show(type);
  if (m_fileList) m_fileList->RemoveAll();
  if (type == FileFilter::All || m_paging.FirstPageAsked(type)) {
    RebuildRows(KeptList(type));
  } else {
    FetchFirstPage(m_chatId, type);
  }
}

void ViewFilesWnd::SelectFilterTab(size_t tab) {
  for (size_t i = 0; i < files::kFileFilters.size(); ++i) {
    const TabLook& look = i == tab ? kChosenTab : kOtherTab;
    if (m_filterTabs[i]) m_filterTabs[i]->SetTextColor(look.text);
    if (CControlUI* underline = m_tabUnderlines[i]) {
      underline->SetBkColor(look.underline);
      underline->SetFixedHeight(look.height);
      underline->SetPadding(look.padding);
    }
  }
}

void ViewFilesWnd::RebuildRows(const EntityList& kept) {
  if (!m_fileList) return;
  for (const auto& entity : kept) m_fileList->Add(BuildRow(*entity, RowSource::KeptList));
  if (m_paging.RebuiltListEndsWithLoadMore(m_paging.Current(), kept.size())) AppendLoadMoreButton();
}

std::optional<std::string> ViewFilesWnd::EntityIdAt(int index) const {
  const EntityList& kept = m_kept[files::FilterIndex(m_paging.Current())];
  if (index < 0 || static_cast<size_t>(index) >= kept.size()) return std::nullopt;
  return kept[static_cast<size_t>(index)]->entity_id();
}

// ---- Events --------------------------------------------------------------------------------

void ViewFilesWnd::OpenSelectedDetails() {
  if (!m_fileList) return;
  const std::optional<std::string> entityId = EntityIdAt(m_fileList->GetCurSel());
  if (!entityId) return;
  RECT rect;
  GetWindowRect(GetHWND(), &rect);
  // Modal over this panel: returns when the details have closed.
  WindowManager::GetInstance()->ShowFileDetailsWnd(*entityId, rect.left, rect.top, rect.bottom - rect.top);
  // The row can be opened again; the selection raises nothing when it goes.
  if (GetHWND() && m_fileList) m_fileList->SelectItem(-1);
}

void ViewFilesWnd::OpenLink(const TNotifyUI& msg) {
  auto* label = static_cast<CLabelUI*>(msg.pSender->GetInterface(L"Label"));
  const CDuiString* content = label ? label->GetLinkContent(static_cast<int>(msg.wParam)) : nullptr;
  if (!content) return;
  if (const std::optional<std::string> address = files::LinkAddress(WideToUtf8(content->GetData()))) {
    OpenAddress(Utf8ToWide(*address));
  }
}

void ViewFilesWnd::Notify(TNotifyUI& msg) {
  const CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
  if (msg.sType == L"click") {
    if (name == L"close_btn") {
      WindowManager::GetInstance()->CloseViewFilesWnd();
    } else if (name == L"load_more") {
      const FileFilter type = m_paging.Current();
      if (!m_paging.IsPending(type)) FetchNextPage(m_chatId, type, m_paging.NextPage(type));
    } else if (name == L"download_file") {
      OpenDownloadAddress(WideToUtf8(msg.pSender->GetUserData().GetData()));
    } else {
      for (size_t tab = 0; tab < files::kFileFilters.size(); ++tab) {
        const FileFilter type = files::kFileFilters[tab];
        if (msg.pSender == m_filterTabs[tab] && !m_paging.IsShown(type)) SwitchFilter(type);
      }
    }
  } else if (msg.sType == L"link" && msg.pSender) {
    OpenLink(msg);
  } else if (msg.sType == L"itemselect" && msg.pSender == m_fileList) {
    OpenSelectedDetails();
  }
  WindowImplBase::Notify(msg);
}

LRESULT ViewFilesWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // The record's sender frees it unless told that this handler took it.
  if (uMsg == WM_FILE_IMAGE_DOWNLOADED && lParam) return ReceiveDownloadedImage(lParam);
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void ViewFilesWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetViewFilesWnd(nullptr, this); }

}  // namespace mireloomwnd
