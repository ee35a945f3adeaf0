#include "duilib/TreeView.h"

#include <algorithm>

#include "Attributes.h"

namespace DuiLib {

namespace {

constexpr int kPartWidth = 16;

// The folder button: a user click expands or collapses its node before
// "selectchanged" goes out, so the handler sees the new state.
class TreeFolderButton final : public CCheckBoxUI {
 public:
  explicit TreeFolderButton(CTreeNodeUI* pNode) : m_pNode(pNode) {}
  void Selected(bool bSelected, bool bTriggerEvent = false) override {
    if (bSelected != IsSelected()) m_pNode->ApplyExpansion(bSelected);
    CCheckBoxUI::Selected(bSelected, bTriggerEvent);
  }

 private:
  CTreeNodeUI* m_pNode;
};

// The item text: mouse-disabled, so a click on it selects the node, and
// coloured by the node's state.
class TreeItemText final : public CLabelUI {
 public:
  explicit TreeItemText(CTreeNodeUI* pNode) : m_pNode(pNode) { SetMouseEnabled(false); }

 protected:
  [[nodiscard]] DWORD GetStateTextColor() const override {
    const DWORD color = m_pNode->ItemTextStateColor();
    return color ? color : m_dwTextColor;
  }

 private:
  CTreeNodeUI* m_pNode;
};

CTreeNodeUI* AsNode(CControlUI* pControl) {
  return pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(L"TreeNode")) : nullptr;
}

}  // namespace

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* pParent) {
  if (pParent) pParent->AddChildNode(this);
}

CTreeNodeUI::~CTreeNodeUI() {
  // In a tree every node is one of the tree's items and freed by it.
  if (m_pTree) return;
  std::vector<CTreeNodeUI*> children;
  children.swap(m_children);
  for (CTreeNodeUI* child : children) {
    child->m_pParentNode = nullptr;
    delete child;
  }
}

LPCTSTR CTreeNodeUI::GetClass() const { return L"TreeNodeUI"; }

LPVOID CTreeNodeUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"TreeNode") == 0) return this;
  return CListContainerElementUI::GetInterface(pstrName);
}

// ---- Children ---------------------------------------------------------------------------

bool CTreeNodeUI::Add(CControlUI* pControl) {
  if (CTreeNodeUI* node = AsNode(pControl)) return AddChildNode(node);
  return pControl && Row()->Add(pControl);
}

bool CTreeNodeUI::AddAt(CControlUI* pControl, int iIndex) {
  if (CTreeNodeUI* node = AsNode(pControl)) return AddChildNode(node);
  const int own = (m_pIndent ? 1 : 0) + (m_pFolder ? 1 : 0) + (m_pCheck ? 1 : 0) + (m_pItemText ? 1 : 0);
  return pControl && iIndex >= 0 && Row()->AddAt(pControl, own + iIndex);
}

bool CTreeNodeUI::Remove(CControlUI* pControl) {
  if (CTreeNodeUI* node = AsNode(pControl)) return RemoveAt(node);
  return m_pRow && m_pRow->Remove(pControl);
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* pNode) {
  // A node already placed elsewhere, or one of this node's ancestors, cannot come here.
  if (!pNode || pNode->m_pParentNode || pNode->m_pTree) return false;
  for (CTreeNodeUI* p = this; p; p = p->m_pParentNode) {
    if (p == pNode) return false;
  }
  const int after = m_pTree ? m_pTree->GetItemIndex(LastDescendantOrSelf()) : -1;
  pNode->m_pParentNode = this;
  m_children.push_back(pNode);
  // Outside a tree the child waits here and goes in with this node.
  if (m_pTree && after >= 0) m_pTree->InsertSubtree(pNode, after + 1);
  return true;
}

bool CTreeNodeUI::RemoveAt(CTreeNodeUI* pNode) {
  if (!pNode || pNode->m_pParentNode != this) return false;
  if (m_pTree) return m_pTree->Remove(pNode);
  ForgetChild(pNode);
  pNode->m_pParentNode = nullptr;
  delete pNode;
  return true;
}

void CTreeNodeUI::ForgetChild(CTreeNodeUI* pNode) {
  m_children.erase(std::remove(m_children.begin(), m_children.end(), pNode), m_children.end());
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int iIndex) const {
  if (iIndex < 0 || iIndex >= GetCountChild()) return nullptr;
  return m_children[static_cast<size_t>(iIndex)];
}

int CTreeNodeUI::GetLevel() const {
  int level = 0;
  for (const CTreeNodeUI* p = m_pParentNode; p; p = p->m_pParentNode) ++level;
  return level;
}

CTreeNodeUI* CTreeNodeUI::LastDescendantOrSelf() {
  CTreeNodeUI* node = this;
  while (!node->m_children.empty()) node = node->m_children.back();
  return node;
}

void CTreeNodeUI::AttachToTree(CTreeViewUI* pTree) {
  m_pTree = pTree;
  if (!m_bFolderChosen && pTree->GetVisibleFolderBtn()) GetFolderButton()->SetVisible(true);
  if (!m_bCheckChosen && pTree->GetVisibleCheckBtn()) GetCheckBox()->SetVisible(true);
  UpdateIndent();
}

void CTreeNodeUI::DetachFromTree() {
  m_pTree = nullptr;
  m_pParentNode = nullptr;
  m_children.clear();
}

// ---- Parts of the row ---------------------------------------------------------------------

void CTreeNodeUI::InsertPart(CControlUI* pPart, PartSlot slot) {
  // First: a new row brings the indent along, which comes before any part.
  CHorizontalLayoutUI* row = Row();
  int index = 0;
  if (slot > PartSlot::Indent && m_pIndent) ++index;
  if (slot > PartSlot::Folder && m_pFolder) ++index;
  if (slot > PartSlot::Check && m_pCheck) ++index;
  row->AddAt(pPart, index);
}

CCheckBoxUI* CTreeNodeUI::GetFolderButton() {
  if (!m_pFolder) {
    auto* folder = new TreeFolderButton(this);
    folder->SetFixedWidth(kPartWidth);
    folder->SetVisible(false);
    folder->COptionUI::Selected(m_bExpanded);
    InsertPart(folder, PartSlot::Folder);
    m_pFolder = folder;
  }
  return m_pFolder;
}

CCheckBoxUI* CTreeNodeUI::GetCheckBox() {
  if (!m_pCheck) {
    auto* check = new CCheckBoxUI;
    check->SetFixedWidth(kPartWidth);
    check->SetVisible(false);
    InsertPart(check, PartSlot::Check);
    m_pCheck = check;
  }
  return m_pCheck;
}

CLabelUI* CTreeNodeUI::EnsureItemText() {
  if (!m_pItemText) {
    m_pItemText = new TreeItemText(this);
    InsertPart(m_pItemText, PartSlot::Text);
  }
  return m_pItemText;
}

CHorizontalLayoutUI* CTreeNodeUI::Row() {
  if (!m_pRow) {
    m_pRow = new CHorizontalLayoutUI;
    CContainerUI::AddAt(m_pRow, 0);
    UpdateIndent();
  }
  return m_pRow;
}

void CTreeNodeUI::UpdateIndent() {
  // A node that shows nothing yet gets its indent with its row.
  if (!m_pRow) return;
  const int width = m_pTree ? GetLevel() * m_pTree->GetIndent() : 0;
  if (width > 0 && !m_pIndent) {
    m_pIndent = new CControlUI;
    m_pIndent->SetMouseEnabled(false);
    InsertPart(m_pIndent, PartSlot::Indent);
  }
  if (!m_pIndent) return;
  m_pIndent->SetFixedWidth(width);
  m_pIndent->SetVisible(width > 0);
}

void CTreeNodeUI::SetVisibleFolderBtn(bool bVisible) {
  m_bFolderChosen = true;
  if (bVisible) {
    GetFolderButton()->SetVisible(true);
  } else if (m_pFolder) {
    m_pFolder->SetVisible(false);
  }
}

bool CTreeNodeUI::GetVisibleFolderBtn() const { return m_pFolder && m_pFolder->IsSelfVisible(); }

void CTreeNodeUI::SetVisibleCheckBtn(bool bVisible) {
  m_bCheckChosen = true;
  if (bVisible) {
    GetCheckBox()->SetVisible(true);
  } else if (m_pCheck) {
    m_pCheck->SetVisible(false);
  }
}

bool CTreeNodeUI::GetVisibleCheckBtn() const { return m_pCheck && m_pCheck->IsSelfVisible(); }

void CTreeNodeUI::SetItemText(LPCTSTR pstrText) { EnsureItemText()->SetText(pstrText); }

CDuiString CTreeNodeUI::GetItemText() const { return m_pItemText ? m_pItemText->GetText() : CDuiString(); }

void CTreeNodeUI::SetItemTextColor(DWORD dwColor) {
  m_dwItemTextColor = dwColor;
  Invalidate();
}

void CTreeNodeUI::SetItemHotTextColor(DWORD dwColor) {
  m_dwItemHotTextColor = dwColor;
  Invalidate();
}

void CTreeNodeUI::SetSelItemTextColor(DWORD dwColor) {
  m_dwSelItemTextColor = dwColor;
  Invalidate();
}

DWORD CTreeNodeUI::ItemTextStateColor() const {
  if (m_state.bSelected && m_dwSelItemTextColor) return m_dwSelItemTextColor;
  if (m_state.bHot && m_dwItemHotTextColor) return m_dwItemHotTextColor;
  return m_dwItemTextColor;
}

// ---- Expansion and visibility ----------------------------------------------------------------

void CTreeNodeUI::SetExpanded(bool bExpanded) {
  if (m_pFolder) {
    m_pFolder->Selected(bExpanded);
  } else {
    ApplyExpansion(bExpanded);
  }
}

void CTreeNodeUI::ApplyExpansion(bool bExpanded) {
  if (m_bExpanded == bExpanded) return;
  m_bExpanded = bExpanded;
  for (CTreeNodeUI* child : m_children) child->ApplyShown(IsOpenForChildren());
}

void CTreeNodeUI::ApplyShown(bool bAncestorsOpen) {
  const bool shown = bAncestorsOpen && m_bClientVisible;
  if (shown != m_bVisible) CListContainerElementUI::SetVisible(shown);
  for (CTreeNodeUI* child : m_children) child->ApplyShown(shown && m_bExpanded);
}

void CTreeNodeUI::SetVisible(bool bVisible) {
  m_bClientVisible = bVisible;
  if (!m_pTree) {
    CListContainerElementUI::SetVisible(bVisible);
    return;
  }
  ApplyShown(m_pParentNode ? m_pParentNode->IsOpenForChildren() : true);
}

// ---- Attributes and input --------------------------------------------------------------------

void CTreeNodeUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  DWORD color;
  bool flag;
  if (name == L"itemtext") {
    SetItemText(pstrValue);
  } else if (name == L"itemtextcolor") {
    if (ParseColor(pstrValue, &color)) SetItemTextColor(color);
  } else if (name == L"itemhottextcolor") {
    if (ParseColor(pstrValue, &color)) SetItemHotTextColor(color);
  } else if (name == L"selitemtextcolor") {
    if (ParseColor(pstrValue, &color)) SetSelItemTextColor(color);
  } else if (name == L"visiblefolderbtn") {
    if (ParseBool(pstrValue, &flag)) SetVisibleFolderBtn(flag);
  } else if (name == L"visiblecheckbtn") {
    if (ParseBool(pstrValue, &flag)) SetVisibleCheckBtn(flag);
  } else if (name == L"expanded") {
    if (ParseBool(pstrValue, &flag)) SetExpanded(flag);
  } else if (name == L"itemattr") {
    EnsureItemText()->ApplyAttributeList(pstrValue);
  } else if (name == L"folderattr") {
    GetFolderButton()->ApplyAttributeList(pstrValue);
  } else if (name == L"checkboxattr") {
    GetCheckBox()->ApplyAttributeList(pstrValue);
  } else {
    CListContainerElementUI::SetAttribute(pstrName, pstrValue);
  }
}

void CTreeNodeUI::DoEvent(TEventUI& event) {
  if (event.Type != UIEVENT_DBLCLICK || !IsEnabled()) {
    CListContainerElementUI::DoEvent(event);
    return;
  }
  // A double-click selects like a press and toggles the node; with a folder
  // button shown it goes through the button, as a user toggle does.
  CListContainerElementUI::DoEvent(event);
  if (!m_pManager || !CanRaise()) return;
  if (m_pFolder && m_pFolder->IsVisible()) {
    m_pFolder->Selected(!m_pFolder->IsSelected(), true);
  } else {
    SetExpanded(!m_bExpanded);
  }
}

}  // namespace DuiLib
