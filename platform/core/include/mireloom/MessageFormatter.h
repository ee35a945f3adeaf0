#pragma once

// Reads the markup of a message text: links "[url]" and "[url|text]", user
// mentions "[@uid|name]", channel mentions "[#id|name]", commands "[!word]"
// and code spans in back quotes. Everything else is literal text.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mireloom {

class MessageCheckingResult final {
 public:
  enum CheckingType : int { kLink = 0, kUserMention = 1, kChannelMention = 2, kCommand = 3, kCodeSpan = 4 };

  struct Data {
    int checking_type = kLink;
    std::string formatted_str;   // the piece exactly as it occurs in the text
    std::string display_string;  // what the client shows instead
    std::string link;
    std::string uid;
    std::string channel_id;
  };

  explicit MessageCheckingResult(Data data) : m_data(std::move(data)) {}

  [[nodiscard]] CheckingType checking_type() const { return static_cast<CheckingType>(m_data.checking_type); }
  [[nodiscard]] const std::string& formatted_str() const { return m_data.formatted_str; }
  [[nodiscard]] const std::string& ExtractDisplayString() const { return m_data.display_string; }
  [[nodiscard]] const std::string& GetLink() const { return m_data.link; }
  [[nodiscard]] const std::string& GetUid() const { return m_data.uid; }
  [[nodiscard]] const std::string& GetChannelId() const { return m_data.channel_id; }

 private:
  Data m_data;
};

class MessageFormatter final {
 public:
  // Never null; lives to the end of the process.
  static MessageFormatter* SharedFormatter();

  // The pieces of the text in text order, not overlapping.
  [[nodiscard]] std::vector<std::unique_ptr<MessageCheckingResult>> ReadFormattedMessage(
      const std::string& text) const;
  // The same pieces, each handed to `visit` in turn and kept by nobody: a text
  // of tens of thousands of pieces costs no allocation for each of them.
  void VisitFormattedMessage(const std::string& text,
                             const std::function<void(const MessageCheckingResult&)>& visit) const;

 private:
  MessageFormatter() = default;
};

}  // namespace mireloom
