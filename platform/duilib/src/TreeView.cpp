#include "duilib/TreeView.h"

#include <algorithm>

#include "Attributes.h"

namespace DuiLib {

namespace {

CTreeNodeUI* AsNode(CControlUI* pControl) {
  return pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(L"TreeNode")) : nullptr;
}

}  // namespace

LPCTSTR CTreeViewUI::GetClass() const { return L"TreeViewUI"; }

LPVOID CTreeViewUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"TreeView") == 0) return this;
  return CListUI::GetInterface(pstrName);
}

bool CTreeViewUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CTreeViewUI::AddAt(CControlUI* pControl, int iIndex) {
  CTreeNodeUI* node = AsNode(pControl);
  if (!node) return CListUI::AddAt(pControl, iIndex);
  if (node->GetParentNode() || node->GetTreeView() || iIndex < 0 || iIndex > GetCount()) return false;
  // A top-level node never lands among another node's descendants.
  while (iIndex < GetCount()) {
    CTreeNodeUI* at = AsNode(GetItemAt(iIndex));
    if (!at || !at->GetParentNode()) break;
    ++iIndex;
  }
  InsertSubtree(node, iIndex);
  return true;
}

void CTreeViewUI::CollectSubtree(CTreeNodeUI* pNode, std::vector<CControlUI*>& out) const {
  out.push_back(pNode);
  for (int i = 0; i < pNode->GetCountChild(); ++i) CollectSubtree(pNode->GetChildNode(i), out);
}

void CTreeViewUI::InsertSubtree(CTreeNodeUI* pNode, int iIndex) {
  std::vector<CControlUI*> nodes;
  CollectSubtree(pNode, nodes);
  for (size_t k = 0; k < nodes.size(); ++k) {
    CListUI::AddAt(nodes[k], iIndex + static_cast<int>(k));
    AsNode(nodes[k])->AttachToTree(this);
  }
  CTreeNodeUI* parent = pNode->GetParentNode();
  pNode->ApplyShown(parent ? parent->IsOpenForChildren() : true);
}

bool CTreeViewUI::Remove(CControlUI* pControl) {
  CTreeNodeUI* node = AsNode(pControl);
  if (!node || node->GetTreeView() != this) return CListUI::Remove(pControl);
  std::vector<CControlUI*> subtree;
  CollectSubtree(node, subtree);
  if (CTreeNodeUI* parent = node->GetParentNode()) parent->ForgetChild(node);
  // Unlinked first: each node is then freed on its own, as an item.
  for (CControlUI* member : subtree) AsNode(member)->DetachFromTree();
  const int first = GetItemIndex(node);
  // The subtree is contiguous; removing from its end keeps the indices valid.
  for (int i = first + static_cast<int>(subtree.size()) - 1; i >= first; --i) CListUI::RemoveAt(i);
  return true;
}

bool CTreeViewUI::RemoveAt(int iIndex) {
  CControlUI* item = GetItemAt(iIndex);
  if (!item) return false;
  return AsNode(item) ? Remove(item) : CListUI::RemoveAt(iIndex);
}

void CTreeViewUI::RemoveAll() {
  for (CControlUI* item : m_items) {
    if (CTreeNodeUI* node = AsNode(item)) node->DetachFromTree();
  }
  CListUI::RemoveAll();
}

void CTreeViewUI::SetIndent(int nIndent) {
  m_nIndent = std::max(0, nIndent);
  for (CControlUI* item : m_items) {
    if (CTreeNodeUI* node = AsNode(item)) node->UpdateIndent();
  }
}

void CTreeViewUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  int number;
  bool flag;
  if (name == L"indent") {
    if (ParseInt(pstrValue, &number)) SetIndent(number);
  } else if (name == L"visiblefolderbtn") {
    if (ParseBool(pstrValue, &flag)) SetVisibleFolderBtn(flag);
  } else if (name == L"visiblecheckbtn") {
    if (ParseBool(pstrValue, &flag)) SetVisibleCheckBtn(flag);
  } else {
    CListUI::SetAttribute(pstrName, pstrValue);
  }
}

}  // namespace DuiLib
