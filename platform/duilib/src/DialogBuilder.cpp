#include "duilib/DialogBuilder.h"

#include <tinyxml2.h>

#include <map>
#include <string>

#include "Attributes.h"
#include "duilib/Button.h"
#include "duilib/Combo.h"
#include "duilib/Container.h"
#include "duilib/Edit.h"
#include "duilib/Label.h"
#include "duilib/Layouts.h"
#include "duilib/List.h"
#include "duilib/Option.h"
#include "duilib/PaintManager.h"
#include "duilib/RichEdit.h"
#include "duilib/TreeView.h"
#include "quennet/EventLog.h"
#include "quennet/WinHandles.h"

namespace DuiLib {

namespace {

// Includes deeper than this are a loop in the skin.
constexpr int kMaxIncludeDepth = 16;

std::map<std::wstring, CDialogBuilder::ControlFactory>& Factories() {
  static auto* factories = [] {
    auto* map = new std::map<std::wstring, CDialogBuilder::ControlFactory>;
    (*map)[L"Control"] = [] { return new CControlUI; };
    (*map)[L"Container"] = [] { return new CContainerUI; };
    (*map)[L"VerticalLayout"] = [] { return new CVerticalLayoutUI; };
    (*map)[L"HorizontalLayout"] = [] { return new CHorizontalLayoutUI; };
    (*map)[L"TileLayout"] = [] { return new CTileLayoutUI; };
    (*map)[L"Label"] = [] { return new CLabelUI; };
    (*map)[L"Text"] = [] { return new CTextUI; };
    (*map)[L"Button"] = [] { return new CButtonUI; };
    (*map)[L"Option"] = [] { return new COptionUI; };
    (*map)[L"CheckBox"] = [] { return new CCheckBoxUI; };
    (*map)[L"Edit"] = [] { return new CEditUI; };
    (*map)[L"List"] = [] { return new CListUI; };
    (*map)[L"ListContainerElement"] = [] { return new CListContainerElementUI; };
    (*map)[L"ListLabelElement"] = [] { return new CListLabelElementUI; };
    (*map)[L"TreeView"] = [] { return new CTreeViewUI; };
    (*map)[L"TreeNode"] = [] { return new CTreeNodeUI; };
    (*map)[L"RichEdit"] = [] { return new CRichEditUI; };
    (*map)[L"Combo"] = [] { return new CComboUI; };
    return map;
  }();
  return *factories;
}

std::wstring Wide(const char* utf8) {
  if (!utf8 || !*utf8) return std::wstring();
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(size > 0 ? size - 1 : 0, L'\0');
  if (size > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), size);
  return out;
}

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

bool ReadFileUtf8(const std::wstring& path, std::string* out) {
  quennet::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || file.get() == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (16 << 20)) return false;
  out->resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (size.QuadPart > 0 && !ReadFile(file.get(), out->data(), static_cast<DWORD>(out->size()), &read, nullptr)) return false;
  return true;
}

class SkinBuilder final {
 public:
  SkinBuilder(IDialogBuilderCallback* callback, CPaintManagerUI* manager) : m_callback(callback), m_manager(manager) {}

  // Parses XML text or a skin file; false (logged) when it cannot.
  bool Load(const std::wstring& source, tinyxml2::XMLDocument& doc) const {
    std::string text;
    if (!source.empty() && source[0] == L'<') {
      text = Narrow(source);
    } else {
      const std::wstring path = m_manager ? m_manager->ResolvePath(source.c_str()).str() : source;
      if (!ReadFileUtf8(path, &text)) {
        quennet::log_error("Skin file missing or unreadable: %s", Narrow(path).c_str());
        return false;
      }
    }
    if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
      quennet::log_error("Skin is not well-formed XML (%s): %s", doc.ErrorStr(), Narrow(source.substr(0, 120)).c_str());
      return false;
    }
    return true;
  }

  CControlUI* BuildDocument(tinyxml2::XMLElement* root, int depth) {
    if (!root) return nullptr;
    if (std::string(root->Name()) != "Window") return BuildControl(root, depth);
    ApplyWindowAttributes(root);
    CControlUI* control = nullptr;
    for (auto* child = root->FirstChildElement(); child; child = child->NextSiblingElement()) {
      const std::string name = child->Name();
      if (name == "Font") {
        AddFont(child);
      } else if (name == "Default") {
        if (m_manager) {
          m_manager->AddDefaultAttributeList(Wide(child->Attribute("name")).c_str(),
                                             Wide(child->Attribute("value")).c_str());
        }
      } else if (!control) {
        control = name == "Include" ? Include(child, depth) : BuildControl(child, depth);
      } else {
        quennet::log_error("Skin has more than one root control; <%s> is ignored", name.c_str());
      }
    }
    return control;
  }

 private:
  void ApplyWindowAttributes(tinyxml2::XMLElement* window) {
    if (!m_manager) return;
    using namespace detail;
    for (const auto* attr = window->FirstAttribute(); attr; attr = attr->Next()) {
      const std::string name = attr->Name();
      const std::wstring value = Wide(attr->Value());
      SIZE size;
      RECT rc;
      DWORD color;
      if (name == "size" && ParseSize(value.c_str(), &size)) {
        m_manager->SetInitSize(size.cx, size.cy);
      } else if (name == "mininfo" && ParseSize(value.c_str(), &size)) {
        m_manager->SetMinInfo(size.cx, size.cy);
      } else if (name == "maxinfo" && ParseSize(value.c_str(), &size)) {
        m_manager->SetMaxInfo(size.cx, size.cy);
      } else if (name == "caption" && ParseRect(value.c_str(), &rc)) {
        m_manager->SetCaptionRect(rc);
      } else if (name == "sizebox" && ParseRect(value.c_str(), &rc)) {
        m_manager->SetSizeBox(rc);
      } else if (name == "roundcorner" && ParseSize(value.c_str(), &size)) {
        m_manager->SetRoundCorner(size.cx, size.cy);
      } else if (name == "defaultfontcolor" && ParseColor(value.c_str(), &color)) {
        m_manager->SetDefaultFontColor(color);
      } else if (name == "disabledfontcolor" && ParseColor(value.c_str(), &color)) {
        m_manager->SetDefaultDisabledColor(color);
      } else if (name == "linkfontcolor" && ParseColor(value.c_str(), &color)) {
        m_manager->SetDefaultLinkFontColor(color);
      } else if (name == "linkhoverfontcolor" && ParseColor(value.c_str(), &color)) {
        m_manager->SetDefaultLinkHoverFontColor(color);
      } else if (name == "escapecontrol") {
        m_manager->SetEscapeControl(value.c_str());
      } else if (name == "defaultbutton") {
        m_manager->SetDefaultButton(value.c_str());
      } else if (name == "initialfocus") {
        m_manager->SetInitialFocus(value.c_str());
      }
    }
  }

  void AddFont(tinyxml2::XMLElement* element) {
    if (!m_manager) return;
    using namespace detail;
    int id = -1;
    int size = 12;
    bool bold = false, underline = false, italic = false, isDefault = false;
    ParseInt(Wide(element->Attribute("id")).c_str(), &id);
    ParseInt(Wide(element->Attribute("size")).c_str(), &size);
    ParseBool(Wide(element->Attribute("bold")).c_str(), &bold);
    ParseBool(Wide(element->Attribute("underline")).c_str(), &underline);
    ParseBool(Wide(element->Attribute("italic")).c_str(), &italic);
    ParseBool(Wide(element->Attribute("default")).c_str(), &isDefault);
    const std::wstring face = element->Attribute("name") ? Wide(element->Attribute("name")) : L"微软雅黑";
    if (id >= 0) m_manager->AddFont(id, face.c_str(), size, bold, underline, italic);
    if (isDefault) m_manager->SetDefaultFont(face.c_str(), size, bold, underline, italic);
  }

  CControlUI* Include(tinyxml2::XMLElement* element, int depth) {
    const std::wstring source = Wide(element->Attribute("source"));
    if (source.empty() || depth >= kMaxIncludeDepth) {
      quennet::log_error("Skin include skipped: %s", Narrow(source).c_str());
      return nullptr;
    }
    tinyxml2::XMLDocument doc;
    if (!Load(source, doc)) return nullptr;
    return BuildDocument(doc.RootElement(), depth + 1);
  }

  CControlUI* BuildControl(tinyxml2::XMLElement* element, int depth) {
    const std::wstring className = Wide(element->Name());
    if (className == L"Include") return Include(element, depth);
    CControlUI* control = CDialogBuilder::CreateKnownControl(className.c_str());
    if (!control && m_callback) control = m_callback->CreateControl(className.c_str());
    if (!control) {
      quennet::log_error("Unknown skin element <%s> skipped with its children", element->Name());
      return nullptr;
    }
    if (m_manager) {
      if (LPCTSTR defaults = m_manager->GetDefaultAttributeList(className.c_str())) control->ApplyAttributeList(defaults);
    }
    for (const auto* attr = element->FirstAttribute(); attr; attr = attr->Next()) {
      control->SetAttribute(Wide(attr->Name()).c_str(), Wide(attr->Value()).c_str());
    }
    auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
    for (auto* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
      CControlUI* built = BuildControl(child, depth);
      if (!built) continue;
      if (container) {
        container->Add(built);
      } else {
        quennet::log_error("Skin element <%s> cannot hold children; <%s> is dropped", element->Name(), child->Name());
        delete built;
      }
    }
    return control;
  }

  IDialogBuilderCallback* m_callback;
  CPaintManagerUI* m_manager;
};

}  // namespace

CControlUI* CDialogBuilder::Create(LPCTSTR xmlOrFile, LPCTSTR type, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent) {
  if (!xmlOrFile || !*xmlOrFile) {
    quennet::log_error("Skin missing: no file or text given");
    return nullptr;
  }
  SkinBuilder builder(pCallback, pManager);
  tinyxml2::XMLDocument doc;
  if (!builder.Load(xmlOrFile, doc)) return nullptr;
  CControlUI* root = builder.BuildDocument(doc.RootElement(), 0);
  if (!root) {
    quennet::log_error("Skin has no root control");
    return nullptr;
  }
  if (pParent) {
    auto* container = static_cast<CContainerUI*>(pParent->GetInterface(L"Container"));
    if (!container || !container->Add(root)) {
      delete root;
      return nullptr;
    }
  }
  return root;
}

void CDialogBuilder::RegisterControlClass(LPCTSTR pstrClass, ControlFactory factory) {
  if (pstrClass && factory) Factories()[pstrClass] = std::move(factory);
}

CControlUI* CDialogBuilder::CreateKnownControl(LPCTSTR pstrClass) {
  if (!pstrClass) return nullptr;
  const auto it = Factories().find(pstrClass);
  return it == Factories().end() ? nullptr : it->second();
}

}  // namespace DuiLib
