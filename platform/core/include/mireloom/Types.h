#pragma once

// Small shared types of the core library: enumerations whose numbers are part
// of the contract with the client, the unread-count pair and the free helpers
// for avatar names and channel colours.

#include <cstdint>
#include <string>

namespace mireloom {

// One of the 18 colours of the palette, 0..17.
enum PreferredColor : int { kPreferredColorFirst = 0, kPreferredColorLast = 17 };
constexpr int kPreferredColorCount = 18;

enum ClientType : int { kClientTypeWindows = 14 };

enum ApplicationType : int { kApplicationTypeFileComment = 9001 };

enum IMProtocol : int { kIMProtocolXmpp = 0, kIMProtocolSocketIo = 1 };

// Connection states reported to ConnectionStateHandler.
enum ConnectionState : int { kConnected = 0, kInterrupted = 1, kConnectionFailed = 2 };

struct Permission final {
  enum TeamPermission : int { kTeamConfigureServices = 8 };
  enum ChatModulePermission : int { kChatModuleSetVisibility = 2 };
};

// Counts of one conversation (or of the team): the unread count, and a second
// number that is non-zero when the conversation should show its dot (zero
// while it is muted).
struct _NumUnread {
  uint32_t num_unread = 0;
  uint32_t num_notify = 0;
};

// Name of a sized avatar: "s<W>x<H>-<uri>.png" with W and H multiplied by the
// scale; "" for an empty uri. The name is safe as a file name and as a
// download-cache key.
std::string avatar_url(std::string uri, int width, int height, int scale = 1);

// "#rrggbb" (lower case) of a palette colour; out of range gives colour 0.
std::string preferred_color_to_hex_string(PreferredColor color);
// The palette colour of a "#rrggbb" text, ignoring case; unknown gives 0.
PreferredColor preferred_color_from_hex_string(const std::string& hex);

}  // namespace mireloom
