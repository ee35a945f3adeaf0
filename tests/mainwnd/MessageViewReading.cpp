#include "MessageViewReading.h"

#include <algorithm>

#include "MainWndFixture.h"

namespace mainwnd_test {

using namespace DuiLib;

namespace {

CButtonUI* AsButton(CControlUI* control) { return static_cast<CButtonUI*>(control->GetInterface(L"Button")); }

void Walk(CControlUI* control, const std::function<void(CControlUI*)>& visit) {
  visit(control);
  if (auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"))) {
    for (int i = 0; i < container->GetCount(); ++i) Walk(container->GetItemAt(i), visit);
  }
}

std::wstring ShownText(CControlUI* control) {
  if (auto* label = static_cast<CLabelUI*>(control->GetInterface(L"Label"))) {
    return label->GetPlainText().GetData();
  }
  if (control->GetInterface(L"RichEdit")) return control->GetText().GetData();
  return {};
}

std::wstring LineOf(CControlUI* entry) {
  if (entry->GetName() == L"load_more") return L"more";
  if (!entry->GetInterface(L"ListItem")) return L"day " + ShownText(entry);
  std::wstring line;
  Walk(entry, [&line](CControlUI* control) {
    if (!control->IsVisible()) return;
    CButtonUI* button = AsButton(control);
    std::wstring shown = button && !button->GetNormalImage().IsEmpty() ? L"[picture]" : ShownText(control);
    if (shown.empty()) return;
    line += (line.empty() ? L"" : L" | ") + shown;
  });
  return line;
}

}  // namespace

CListUI* MessageView() {
  CControlUI* control = MainWindowTest::Control(L"chat_display");
  return control ? static_cast<CListUI*>(control->GetInterface(L"List")) : nullptr;
}

std::vector<std::wstring> ViewLines() {
  std::vector<std::wstring> lines;
  if (CListUI* view = MessageView()) {
    for (int i = 0; i < view->GetCount(); ++i) lines.push_back(LineOf(view->GetItemAt(i)));
  }
  return lines;
}

std::vector<std::wstring> MessageLines() {
  std::vector<std::wstring> lines;
  for (std::wstring& line : ViewLines()) {
    if (line != L"more" && line.rfind(L"day ", 0) != 0) lines.push_back(std::move(line));
  }
  return lines;
}

size_t CountLines(const std::vector<std::wstring>& lines, const std::wstring& part) {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&part](const std::wstring& line) {
    return line.find(part) != std::wstring::npos;
  }));
}

std::vector<CControlUI*> ControlsUnder(CControlUI* root, const std::function<bool(CControlUI*)>& accept) {
  std::vector<CControlUI*> found;
  if (root) Walk(root, [&](CControlUI* control) {
      if (accept(control)) found.push_back(control);
    });
  return found;
}

std::vector<std::wstring> ViewPictures() {
  std::vector<std::wstring> pictures;
  for (CControlUI* control : ControlsUnder(MessageView(), [](CControlUI* c) {
         CButtonUI* button = AsButton(c);
         return button && !button->GetNormalImage().IsEmpty();
       })) {
    pictures.emplace_back(AsButton(control)->GetNormalImage().GetData());
  }
  return pictures;
}

}  // namespace mainwnd_test
