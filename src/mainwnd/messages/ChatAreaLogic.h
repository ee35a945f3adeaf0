#pragma once

// What the chat area decides without a window: what a click in the message
// view opens, and the addresses of the team's own pages.

#include <string>

#include "mainwnd/messages/MessageMarkup.h"

namespace mireloomwnd {

// What a click on a message control opens.
struct MessageClick {
  enum class Kind {
    None,           // nothing: an unknown control, a user, channel or command link, a short name
    ImageViewer,    // the cached picture of `value` (its cache key)
    FileDownload,   // the file behind the download address `value`
    SnippetViewer,  // the snippet entity `value`
    ModuleDetails,  // the module page `value` ("/a/b/client")
    WebAddress,     // the web or mail address `value`
  };
  Kind kind = Kind::None;
  std::string value;  // UTF-8
};

// A clicked link, read from its text ("x=|kind|value|").
struct ClickedLink {
  int kind = messageview::kLinkOther;
  std::wstring value;
};

// The click on a control of the message view named so: `link` is the read
// link for a link, null for a click. Pictures, snippets and cards are told
// by their names; files and other links by the link. A name or link with too
// few pieces opens nothing.
[[nodiscard]] MessageClick ReadMessageClick(const std::wstring& controlName, const ClickedLink* link);

// The module-details page of a card link: "/" + module + "/" + id + "/client".
[[nodiscard]] std::string ModuleDetailsPath(const std::string& module, const std::string& id);

// "https://" + the team's host + path: the team's profile and admin pages.
[[nodiscard]] std::wstring TeamPageAddress(const std::string& subdomain, const std::wstring& path);

}  // namespace mireloomwnd
