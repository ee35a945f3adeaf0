#pragma once

// Trees: a list of nodes in display order, each node followed by its
// descendants, which are hidden while an ancestor is collapsed. A node holds
// one row (GetTreeNodeHorizontal) with, in order, an indent spacer, the
// folder button, the check box, the item text and the client's own
// controls; the first four are created only once shown or set, so a big
// tree holds no idle parts.

#include <vector>

#include "duilib/List.h"
#include "duilib/Option.h"

namespace DuiLib {

class CTreeNodeUI;

class CTreeViewUI : public CListUI {
 public:
  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  // A node goes in as a top-level node with all its descendants; other
  // controls as in a list.
  bool Add(CControlUI* pControl) override;
  bool AddAt(CControlUI* pControl, int iIndex) override;
  // A node goes with its descendants.
  bool Remove(CControlUI* pControl) override;
  bool RemoveAt(int iIndex) override;
  void RemoveAll() override;

  // Pixels per level (default 0: the client indents with its own padding).
  [[nodiscard]] int GetIndent() const { return m_nIndent; }
  void SetIndent(int nIndent);
  // Defaults for nodes that do not set their own.
  void SetVisibleFolderBtn(bool bVisible) { m_bDefaultFolder = bVisible; }
  void SetVisibleCheckBtn(bool bVisible) { m_bDefaultCheck = bVisible; }
  [[nodiscard]] bool GetVisibleFolderBtn() const { return m_bDefaultFolder; }
  [[nodiscard]] bool GetVisibleCheckBtn() const { return m_bDefaultCheck; }

  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

  // ---- Framework internals used by the nodes ----
  // Places a node and its descendants at a position of the display order.
  void InsertSubtree(CTreeNodeUI* pNode, int iIndex);

 private:
  void CollectSubtree(CTreeNodeUI* pNode, std::vector<CControlUI*>& out) const;

  int m_nIndent = 0;
  bool m_bDefaultFolder = false;
  bool m_bDefaultCheck = false;
};

class CTreeNodeUI : public CListContainerElementUI {
 public:
  // A parent node given here takes the new node as its last child.
  explicit CTreeNodeUI(CTreeNodeUI* pParent = nullptr);
  // Frees the child nodes that never reached a tree (in a tree, the tree owns them).
  ~CTreeNodeUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  // A node becomes a child node; anything else goes into the row, after the
  // node's own parts.
  bool Add(CControlUI* pControl) override;
  bool AddAt(CControlUI* pControl, int iIndex) override;
  bool Remove(CControlUI* pControl) override;
  bool AddChildNode(CTreeNodeUI* pNode);
  // Removes and frees a child node with its descendants.
  bool RemoveAt(CTreeNodeUI* pNode);
  using CContainerUI::RemoveAt;
  [[nodiscard]] int GetCountChild() const { return static_cast<int>(m_children.size()); }
  [[nodiscard]] CTreeNodeUI* GetChildNode(int iIndex) const;
  [[nodiscard]] CTreeNodeUI* GetParentNode() const { return m_pParentNode; }
  [[nodiscard]] CTreeViewUI* GetTreeView() const { return m_pTree; }
  // 0 for a top-level node.
  [[nodiscard]] int GetLevel() const;

  void SetItemText(LPCTSTR pstrText);
  [[nodiscard]] CDuiString GetItemText() const;
  void SetItemTextColor(DWORD dwColor);
  [[nodiscard]] DWORD GetItemTextColor() const { return m_dwItemTextColor; }
  void SetItemHotTextColor(DWORD dwColor);
  [[nodiscard]] DWORD GetItemHotTextColor() const { return m_dwItemHotTextColor; }
  void SetSelItemTextColor(DWORD dwColor);
  [[nodiscard]] DWORD GetSelItemTextColor() const { return m_dwSelItemTextColor; }

  void SetVisibleFolderBtn(bool bVisible);
  [[nodiscard]] bool GetVisibleFolderBtn() const;
  void SetVisibleCheckBtn(bool bVisible);
  [[nodiscard]] bool GetVisibleCheckBtn() const;
  // Created on first use, hidden unless shown.
  CCheckBoxUI* GetFolderButton();
  CCheckBoxUI* GetCheckBox();
  // The row of the node's parts and the client's controls, made when first
  // needed: a tree of thousands of nodes makes the rows of those it shows.
  [[nodiscard]] CHorizontalLayoutUI* GetTreeNodeHorizontal() { return Row(); }

  // The folder button shows the state: selected means expanded.
  [[nodiscard]] bool IsExpanded() const { return m_bExpanded; }
  void SetExpanded(bool bExpanded);

  // The client's visibility; a collapsed ancestor hides the node as well.
  void SetVisible(bool bVisible = true) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void DoEvent(TEventUI& event) override;

  // ---- Framework internals ----
  // The expansion changed (folder click or code): descendants show or hide.
  void ApplyExpansion(bool bExpanded);
  // Shows the node when its ancestors are open and the client wants it.
  void ApplyShown(bool bAncestorsOpen);
  // The node entered or left a tree.
  void AttachToTree(CTreeViewUI* pTree);
  void DetachFromTree();
  void ForgetChild(CTreeNodeUI* pNode);
  [[nodiscard]] CTreeNodeUI* LastDescendantOrSelf();
  [[nodiscard]] bool IsOpenForChildren() const { return m_bExpanded && m_bVisible; }
  void UpdateIndent();
  // The colour of the item text in the node's state.
  [[nodiscard]] DWORD ItemTextStateColor() const;

 private:
  enum class PartSlot { Indent, Folder, Check, Text };
  // Inserts one of the node's own parts at its place before the client's controls.
  void InsertPart(CControlUI* pPart, PartSlot slot);
  CLabelUI* EnsureItemText();
  CHorizontalLayoutUI* Row();

  CHorizontalLayoutUI* m_pRow = nullptr;
  CControlUI* m_pIndent = nullptr;
  CCheckBoxUI* m_pFolder = nullptr;
  CCheckBoxUI* m_pCheck = nullptr;
  CLabelUI* m_pItemText = nullptr;
  CTreeNodeUI* m_pParentNode = nullptr;
  CTreeViewUI* m_pTree = nullptr;
  std::vector<CTreeNodeUI*> m_children;
  DWORD m_dwItemTextColor = 0;
  DWORD m_dwItemHotTextColor = 0;
  DWORD m_dwSelItemTextColor = 0;
  bool m_bExpanded = false;
  bool m_bClientVisible = true;
  bool m_bFolderChosen = false;  // the node set its folder visibility itself
  bool m_bCheckChosen = false;
};

}  // namespace DuiLib
