#pragma once

#include <memory>
#include <string>
#include <vector>

namespace mireloom {

// The card of a service message.
class Attachment final {
 public:
  struct Field {
    std::string title;  // label
    std::string value;
    bool is_short = false;  // half width
  };

  struct Data {
    std::string pretext;
    std::string color;  // "#RRGGBB", or "" for the client's default
    std::string title;
    std::string title_link;
    std::string author_name;
    std::string author_link;
    std::string text;
    std::vector<Field> fields;
  };

  explicit Attachment(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Attachment> Clone() const { return std::make_unique<Attachment>(*this); }

  [[nodiscard]] const std::string& pretext() const { return m_data.pretext; }
  [[nodiscard]] const std::string& color() const { return m_data.color; }
  [[nodiscard]] const std::string& title() const { return m_data.title; }
  [[nodiscard]] const std::string& title_link() const { return m_data.title_link; }
  [[nodiscard]] const std::string& author_name() const { return m_data.author_name; }
  [[nodiscard]] const std::string& author_link() const { return m_data.author_link; }
  [[nodiscard]] const std::string& text() const { return m_data.text; }
  [[nodiscard]] const std::vector<Field>& fields() const { return m_data.fields; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
