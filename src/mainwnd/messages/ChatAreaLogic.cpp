#include "mainwnd/messages/ChatAreaLogic.h"

#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "mainwnd/messages/MessageItemNames.h"
#include "mainwnd/messages/MessageMarkup.h"

namespace mireloomwnd {

namespace {

using Kind = MessageClick::Kind;

bool BeginsWith(const std::wstring& name, const wchar_t* marker) { return name.rfind(marker, 0) == 0; }

MessageClick Click(Kind kind, std::string value) {
  if (value.empty()) return {};
  return {kind, std::move(value)};
}

// The value of the clicked link; "" without a link or without a value.
std::string LinkValue(const ClickedLink* link, int* kind) {
  *kind = link ? link->kind : messageview::kLinkOther;
  return link ? WideToUtf8(link->value) : std::string();
}

}  // namespace

MessageClick ReadMessageClick(const std::wstring& controlName, const ClickedLink* link) {
  std::string first;
  std::string second;
  int kind = messageview::kLinkOther;
  if (BeginsWith(controlName, L"image_")) {
    return messageview::ImageItemName(controlName, &second) ? Click(Kind::ImageViewer, second) : MessageClick{};
  }
  if (messageview::FileItemName(controlName)) {
    // The file's item carries no id: its link holds the download address,
    // whatever kind the link names.
    return Click(Kind::FileDownload, LinkValue(link, &kind));
  }
  if (BeginsWith(controlName, L"snippet_")) {
    return messageview::SnippetItemName(controlName, &second) ? Click(Kind::SnippetViewer, second) : MessageClick{};
  }
  const std::string value = LinkValue(link, &kind);
  // A card's title whose link is a web address opens as that address,
  // whatever its name holds.
  if (kind == messageview::kLinkAddress && IsOpenableAddress(Utf8ToWide(value), AddressPolicy::WebAndMail)) {
    return Click(Kind::WebAddress, value);
  }
  if (controlName.find(L'_') != std::wstring::npos) {
    if (!messageview::SplitItemName(controlName, &first, &second)) return {};
    return Click(Kind::ModuleDetails, ModuleDetailsPath(first, second));
  }
  // Users, channels and commands are read here but open nothing.
  return kind == messageview::kLinkAddress ? Click(Kind::WebAddress, value) : MessageClick{};
}

std::string ModuleDetailsPath(const std::string& module, const std::string& id) {
  return "/" + module + "/" + id + "/client";
}

std::wstring TeamPageAddress(const std::string& subdomain, const std::wstring& path) {
  return L"https://" + Utf8ToWide(TeamHost(subdomain)) + path;
}

}  // namespace mireloomwnd
