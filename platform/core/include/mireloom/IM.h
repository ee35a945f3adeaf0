#pragma once

#include <memory>
#include <string>

namespace mireloom {

// A one-to-one conversation of the signed-in user.
class IM final {
 public:
  struct Data {
    std::string im_id;
    std::string to_uid;  // the partner
    bool is_open = true;
    bool is_muted = false;
  };

  explicit IM(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<IM> Clone() const { return std::make_unique<IM>(*this); }

  [[nodiscard]] const std::string& im_id() const { return m_data.im_id; }
  [[nodiscard]] const std::string& to_uid() const { return m_data.to_uid; }
  [[nodiscard]] bool is_open() const { return m_data.is_open; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
