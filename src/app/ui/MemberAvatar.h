#pragma once

// The one place that decides what an avatar shows, in every window: the
// member's (or service account's) picture from the download cache when it
// can be had, else the default face. The face lies under the picture, so it
// shows for a member without a picture, while the picture downloads, and
// wherever it could not be fetched or drawn.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/ui/CachedImage.h"
#include "duilib/UIlib.h"

// The default face, a skin picture.
inline constexpr wchar_t kDefaultAvatarImage[] = L"chat/default_avatar.png";

// Where an avatar's picture comes from: its download address and its key in
// the download cache. An empty key: there is no picture.
struct AvatarPicture {
  std::string address;
  std::string cacheKey;

  [[nodiscard]] bool empty() const { return cacheKey.empty(); }
};

// A member's picture of size x size pixels: AvatarBaseUrl + the core
// library's avatar name, keyed by that name. None without a header picture.
[[nodiscard]] AvatarPicture MemberAvatarPicture(const std::string& headerUri, int size);
// The same for an avatar name the core library gave already.
[[nodiscard]] AvatarPicture MemberPictureNamed(const std::string& avatarName);
// A service account's picture: StaticBaseUrl + its avatar name.
[[nodiscard]] AvatarPicture ServiceAvatarPicture(const std::string& avatarName);

// Shows the avatar on the button: the default face always, the cached
// picture over it at once, or else the download, whose completion gets the
// cached file's path on the thread that finished it. Nothing is fetched
// without a picture. A CMemberAvatarUI learns how the fetch ended. User-
// interface thread.
CachedImageResult ShowMemberAvatar(DuiLib::CButtonUI* button, const AvatarPicture& picture,
                                   std::function<void(const std::string& localPath)> downloaded);
// The same, the completion sending `message` with a DownloadedImage record
// for `sessionId` to `window` (see CachedImage.h).
CachedImageResult ShowMemberAvatar(HWND window, UINT message, DuiLib::CButtonUI* button, const AvatarPicture& picture,
                                   const std::string& sessionId = {});

// An avatar button of a list row, a message or a tile. It looks its picture
// up when first painted, so that a list of thousands is built without
// touching the disk or the network for rows nobody scrolls to; and when its
// last download came to nothing (a failed reply, a full disk), its next paint
// asks again: a failed picture is tried again on its next display.
class CMemberAvatarUI final : public DuiLib::CButtonUI {
 public:
  // Shows the picture, as a rule through ShowMemberAvatar with the window's
  // own completion.
  using LookUp = std::function<void(CMemberAvatarUI& avatar)>;

  explicit CMemberAvatarUI(LookUp lookUp);

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;
  void DoPaint(HDC hDC, const RECT& rcPaint) override;

  // Looks the picture up now instead of at the first paint.
  void LookUpNow();

  // How the last download of the picture went. Shared with that download,
  // which may outlive the button.
  enum class Fetch { None, Running, Failed, Done };
  using FetchState = std::shared_ptr<std::atomic<Fetch>>;
  // A new state for a download that begins now.
  [[nodiscard]] FetchState BeginFetch();

 private:
  [[nodiscard]] bool NeedsLookUp() const;

  LookUp m_lookUp;
  bool m_lookedUp = false;
  FetchState m_fetch;
};

// An avatar button of a skin that its window shows as long as it lives (the
// signed-in user's own in the main window): shown as ShowMemberAvatar shows
// it, and asked for again by RetryIfFailed, which the window calls as it is
// about to paint: after a download that came to nothing, the next paint of
// the avatar itself asks again (a caret blinking elsewhere does not).
// User-interface thread.
class CSkinAvatar final {
 public:
  void Show(HWND window, UINT message, DuiLib::CButtonUI* button, const AvatarPicture& picture);
  void RetryIfFailed();

 private:
  HWND m_window = nullptr;
  UINT m_message = 0;
  DuiLib::CButtonUI* m_button = nullptr;
  std::weak_ptr<void> m_alive;
  AvatarPicture m_picture;
  CMemberAvatarUI::FetchState m_fetch;
};
