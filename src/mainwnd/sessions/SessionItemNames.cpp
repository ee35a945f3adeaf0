#include "mainwnd/sessions/SessionItemNames.h"

#include "app/text/TextHelpers.h"

namespace mireloomwnd {

namespace {

constexpr char kChannelItemPrefix[] = "channelItem";
constexpr char kImItemPrefix[] = "imItem";

}  // namespace

std::string SessionItemName(SessionType type, const std::string& id) {
  switch (type) {
    case kSessionChannel: return std::string(kChannelItemPrefix) + "_" + id;
    case kSessionIm: return std::string(kImItemPrefix) + "_" + id;
    default: return {};
  }
}

std::wstring SessionNameLabelId(const std::wstring& itemName) { return itemName + L"_name_label_id"; }

std::wstring SessionUnreadLabelId(const std::wstring& itemName) { return itemName + L"_num_unread_id"; }

bool ParseSessionItemName(const std::string& name, SessionType* type, std::string* id) {
  if (name.empty()) return false;
  const std::vector<std::string> parts = SplitString(name, "_");
  if (parts.size() != 2) return false;
  SessionType parsed = kSessionNone;
  if (parts[0] == kChannelItemPrefix) {
    parsed = kSessionChannel;
  } else if (parts[0] == kImItemPrefix) {
    parsed = kSessionIm;
  } else {
    return false;
  }
  if (type) *type = parsed;
  if (id) *id = parts[1];
  return true;
}

std::wstring StatusButtonName(const std::string& uid) { return L"status_btn" + Utf8ToWide(uid); }

}  // namespace mireloomwnd
