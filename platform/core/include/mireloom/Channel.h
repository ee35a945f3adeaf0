#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mireloom/Types.h"

namespace mireloom {

class Channel final {
 public:
  enum Visibility : int32_t { kPublic = 1, kPrivate = 2 };

  struct Data {
    std::string channel_id;
    std::string channel_name;
    std::string pinyin;
    int preferred_color = 0;
    std::string hex_color;  // "#rrggbb" of preferred_color
    int visibility = kPublic;
    bool general = false;  // the team-wide channel; cannot be left
    int64_t created_at = 0;
    std::string creator_uid;
    std::string purpose;
    // The signed-in user's relation to the channel.
    bool is_member = false;
    bool is_enabled = false;  // false: closed by the user
    bool is_muted = false;
  };

  explicit Channel(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Channel> Clone() const { return std::make_unique<Channel>(*this); }

  [[nodiscard]] const std::string& channel_id() const { return m_data.channel_id; }
  [[nodiscard]] const std::string& channel_name() const { return m_data.channel_name; }
  [[nodiscard]] const std::string& pinyin() const { return m_data.pinyin; }
  [[nodiscard]] const std::string& HexColor() const { return m_data.hex_color; }
  [[nodiscard]] PreferredColor preferred_color() const { return static_cast<PreferredColor>(m_data.preferred_color); }
  [[nodiscard]] Visibility visibility() const { return static_cast<Visibility>(m_data.visibility); }
  [[nodiscard]] bool IsGeneral() const { return m_data.general; }
  [[nodiscard]] int64_t created_at() const { return m_data.created_at; }
  [[nodiscard]] const std::string& creator_uid() const { return m_data.creator_uid; }
  [[nodiscard]] const std::string& purpose() const { return m_data.purpose; }
  [[nodiscard]] bool is_member() const { return m_data.is_member; }
  [[nodiscard]] bool is_enabled() const { return m_data.is_enabled; }
  [[nodiscard]] bool is_muted() const { return m_data.is_muted; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
