#pragma once

// The files shared in one conversation, twenty at a time, in a narrow panel
// at the right edge of the main window. Four tabs filter them by kind; a row
// opens the file's details exactly over the panel.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "files/list/FilePaging.h"

namespace mireloom {
class Entity;
}

namespace mireloomwnd {

class ViewFilesWnd final : public DuiLib::WindowImplBase {
 public:
  using EntityList = std::vector<std::unique_ptr<mireloom::Entity>>;

  // The channel type (1 channel, 2 one-to-one) goes to the core library unchanged.
  ViewFilesWnd(const std::string& chatId, int x, int y, int height, int channelType);
  ~ViewFilesWnd() override;

  LPCTSTR GetWindowClassName() const override { return L"ViewFilesWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_view_files.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  enum class RowSource { FreshPage, KeptList };

  void FetchFirstPage(const std::string& chatId, files::FileFilter type);
  void FetchNextPage(const std::string& chatId, files::FileFilter type, int page);
  void RequestPage(files::FileFilter type, int page);
  void RemoveLoadMoreButton(files::FileFilter type);
  // A page of the filter it was asked for, on the user-interface thread.
  void OnEntitiesFetched(files::FileFilter type, bool ok, EntityList entities);
  void AppendPageRows(const EntityList& entities);
  void AdvancePageCounter(files::FileFilter type, size_t count);
  void KeepPageEntities(files::FileFilter type, EntityList entities);
  void AppendLoadMoreButton();

  void SwitchFilter(files::FileFilter type);
  void SelectFilterTab(size_t tab);
  void RebuildRows(const EntityList& kept);
  [[nodiscard]] std::optional<std::string> EntityIdAt(int index) const;
  void OpenSelectedDetails();
  void OpenLink(const DuiLib::TNotifyUI& msg);

  // Row building (ViewFilesRows.cpp).
  [[nodiscard]] DuiLib::CListContainerElementUI* BuildRow(const mireloom::Entity& entity, RowSource source);
  DuiLib::CButtonUI* BuildIconButton(const mireloom::Entity& entity, RowSource source, DuiLib::CButtonUI* download);
  [[nodiscard]] std::wstring InfoText(const mireloom::Entity& entity) const;
  [[nodiscard]] std::string RowDownloadAddress(const mireloom::Entity& entity, RowSource source) const;

  [[nodiscard]] EntityList& KeptList(files::FileFilter type) { return m_kept[files::FilterIndex(type)]; }

  std::array<EntityList, files::kFileFilters.size()> m_kept;
  CWndShadow m_shadow;
  std::string m_chatId;
  int m_x;
  int m_y;
  int m_height;
  int m_channelType;
  DuiLib::CListUI* m_fileList = nullptr;
  std::array<DuiLib::CButtonUI*, files::kFileFilters.size()> m_filterTabs{};
  std::array<DuiLib::CControlUI*, files::kFileFilters.size()> m_tabUnderlines{};
  files::FilePaging m_paging;
  std::string m_teamId;
  // Last: pages still queued for this window are dropped once it goes.
  CLifetimeGuard m_guard;
};

}  // namespace mireloomwnd
