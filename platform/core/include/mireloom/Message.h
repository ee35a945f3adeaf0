#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mireloom/Attachment.h"

namespace mireloom {

class Message final {
 public:
  enum ChannelType : int { kChannelMessage = 1, kDirectMessage = 2 };
  // Kinds of content; every other number is a kind the client cannot show.
  enum ContentType : int {
    kText = 1,
    kNotice = 3,
    kRobotText = 4,
    kImageShare = 5,
    kFileShare = 6,
    kDocumentShare = 7,
    kSnippetShare = 8,
    kMailNotice = 12,
    kFileComment = 22,
    kServiceCard = 32,
    kVote = 33,
    kTaskCard = 34,
    kCalendarCard = 35,
    kDriveCard = 36,
    kReportCard = 37,
    kPhoneCard = 38,
    kCrmCard = 39,
    kApprovalCard = 40,
  };
  enum SenderType : int { kUserSender = 1, kServiceSender = 2, kServiceShareSender = 3 };

  struct Data {
    std::string message_id;
    std::string channel_id;  // the conversation: a channel id or an IM id
    int channel_type = kChannelMessage;
    std::string to_uid;  // partner of a one-to-one message being sent
    std::string content;
    int64_t timestamp = 0;
    int content_type = kText;
    int sender_type = kUserSender;
    std::string uid;          // sender: a user id, or a service id for service senders
    std::string entity_json;  // the shared entity, "" when none
    bool has_attachment = false;
    Attachment::Data attachment;
  };

  explicit Message(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Message> Clone() const { return std::make_unique<Message>(*this); }

  static std::unique_ptr<Message> TextMessageForChannel(const std::string& channelId, const std::string& text);
  static std::unique_ptr<Message> TextMessageForIM(const std::string& imId, const std::string& toUid,
                                                   const std::string& text);

  [[nodiscard]] const std::string& message_id() const { return m_data.message_id; }
  [[nodiscard]] const std::string& ChannelID() const { return m_data.channel_id; }
  [[nodiscard]] ChannelType channel_type() const { return static_cast<ChannelType>(m_data.channel_type); }
  [[nodiscard]] const std::string& content() const { return m_data.content; }
  [[nodiscard]] int64_t timestamp() const { return m_data.timestamp; }
  [[nodiscard]] ContentType content_type() const { return static_cast<ContentType>(m_data.content_type); }
  [[nodiscard]] SenderType sender_type() const { return static_cast<SenderType>(m_data.sender_type); }
  [[nodiscard]] const std::string& uid() const { return m_data.uid; }
  [[nodiscard]] const std::string& entity_json() const { return m_data.entity_json; }
  // The card of a service message; null when it has none.
  [[nodiscard]] std::unique_ptr<Attachment> GetAttachment() const;
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
