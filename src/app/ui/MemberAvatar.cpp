#include "app/ui/MemberAvatar.h"

#include <optional>

#include "app/text/ServiceConstants.h"
#include "mireloom/Types.h"

namespace {

using Fetch = CMemberAvatarUI::Fetch;

void ShowDefaultFace(DuiLib::CButtonUI& button) {
  // Set once: setting it again repaints the button.
  if (button.GetBkImage() != kDefaultAvatarImage) button.SetBkImage(kDefaultAvatarImage);
}

// A button shown another member before keeps no picture of theirs while this
// one's downloads: the face shows meanwhile.
void ClearPicture(DuiLib::CButtonUI& button) {
  if (!button.GetNormalImage().IsEmpty()) button.SetNormalImage(L"");
}

}  // namespace

AvatarPicture MemberAvatarPicture(const std::string& headerUri, int size) {
  return MemberPictureNamed(mireloom::avatar_url(headerUri, size, size, 1));
}

AvatarPicture MemberPictureNamed(const std::string& avatarName) {
  if (avatarName.empty()) return {};
  return {AvatarBaseUrl + avatarName, avatarName};
}

AvatarPicture ServiceAvatarPicture(const std::string& avatarName) {
  if (avatarName.empty()) return {};
  return {StaticBaseUrl + avatarName, avatarName};
}

namespace {

// Shows the face and the picture over it, and keeps `state` up to date with
// the picture's download.
CachedImageResult ShowTracked(DuiLib::CButtonUI& button, const AvatarPicture& picture,
                              std::function<void(const std::string& localPath)> downloaded,
                              const CMemberAvatarUI::FetchState& state) {
  ShowDefaultFace(button);
  if (picture.empty()) {
    ClearPicture(button);
    return CachedImageResult::Nothing;
  }
  const CachedImageResult result = ShowCachedImage(
      &button, picture.address, picture.cacheKey,
      [state, downloaded = std::move(downloaded)](const std::string& path) {
        if (state) *state = Fetch::Done;
        if (downloaded) downloaded(path);
      },
      [state](const std::string&) {
        if (state) *state = Fetch::Failed;
      });
  if (result == CachedImageResult::Downloading) ClearPicture(button);
  if (result == CachedImageResult::Shown && state) *state = Fetch::Done;
  return result;
}

// The completion that sends the window a DownloadedImage record.
std::function<void(const std::string&)> SendToWindow(HWND window, UINT message, DuiLib::CButtonUI* button,
                                                     const std::string& sessionId) {
  std::weak_ptr<void> alive = button->GetLifetimeToken();
  return [window, message, button, alive, sessionId](const std::string& path) {
    SendDownloadedImage(window, message, button, alive, sessionId, path);
  };
}

}  // namespace

CachedImageResult ShowMemberAvatar(DuiLib::CButtonUI* button, const AvatarPicture& picture,
                                   std::function<void(const std::string& localPath)> downloaded) {
  if (!button) return CachedImageResult::Nothing;
  auto* avatar = static_cast<CMemberAvatarUI*>(button->GetInterface(L"MemberAvatar"));
  return ShowTracked(*button, picture, std::move(downloaded), avatar ? avatar->BeginFetch() : nullptr);
}

CachedImageResult ShowMemberAvatar(HWND window, UINT message, DuiLib::CButtonUI* button, const AvatarPicture& picture,
                                   const std::string& sessionId) {
  if (!button) return CachedImageResult::Nothing;
  return ShowMemberAvatar(button, picture, SendToWindow(window, message, button, sessionId));
}

CMemberAvatarUI::CMemberAvatarUI(LookUp lookUp) : m_lookUp(std::move(lookUp)) {}

LPCTSTR CMemberAvatarUI::GetClass() const { return L"MemberAvatarUI"; }

LPVOID CMemberAvatarUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"MemberAvatar") == 0) return this;
  return CButtonUI::GetInterface(pstrName);
}

void CMemberAvatarUI::DoPaint(HDC hDC, const RECT& rcPaint) {
  RECT shown;
  // Only a paint that shows the button counts as its display.
  if (NeedsLookUp() && IntersectRect(&shown, &rcPaint, &GetPos())) {
    // Drawn by this very paint: when it draws the whole button, the picture
    // set now asks for no second paint.
    std::optional<DuiLib::CChangeWhilePainting> drawnNow;
    if (m_pManager) drawnNow.emplace(*m_pManager, GetPos());
    LookUpNow();
  }
  CButtonUI::DoPaint(hDC, rcPaint);
}

void CMemberAvatarUI::LookUpNow() {
  m_lookedUp = true;
  if (m_lookUp) m_lookUp(*this);
}

CMemberAvatarUI::FetchState CMemberAvatarUI::BeginFetch() {
  m_fetch = std::make_shared<std::atomic<Fetch>>(Fetch::Running);
  return m_fetch;
}

bool CMemberAvatarUI::NeedsLookUp() const {
  if (!m_lookUp) return false;
  if (!m_lookedUp) return true;
  return m_fetch && *m_fetch == Fetch::Failed;
}

void CSkinAvatar::Show(HWND window, UINT message, DuiLib::CButtonUI* button, const AvatarPicture& picture) {
  m_window = window;
  m_message = message;
  m_button = button;
  m_alive = button ? button->GetLifetimeToken() : std::weak_ptr<void>();
  m_picture = picture;
  m_fetch = std::make_shared<std::atomic<Fetch>>(Fetch::Running);
  if (button) ShowTracked(*button, picture, SendToWindow(window, message, button, {}), m_fetch);
}

void CSkinAvatar::RetryIfFailed() {
  if (!m_fetch || *m_fetch != Fetch::Failed || m_alive.expired()) return;
  // Asked only after a failure: the area about to be painted is a trip to the
  // server under Wine, on every paint.
  RECT painted = {};
  RECT shown = {};
  if (GetUpdateRect(m_window, &painted, FALSE) && IntersectRect(&shown, &painted, &m_button->GetPos())) {
    Show(m_window, m_message, m_button, m_picture);
  }
}
