// The embedded service's conversations: channels, one-to-one conversations,
// messages, unread counts, files and comments.

#include <algorithm>
#include <set>

#include "../Json.h"
#include "../Text.h"
#include "ActingMembers.h"
#include "DemoService.h"
#include "PushHub.h"
#include "quennet/EventLog.h"
#include "ServiceModel.h"

namespace mireloom::service {
namespace {

std::string Key(const std::string& conversation, const std::string& uid) { return conversation + "/" + uid; }

bool IsMuted(ServiceModel& model, const std::string& conversation, const std::string& uid) {
  auto channel = model.channels.find(conversation);
  if (channel != model.channels.end()) {
    const ChannelMember* member = model.FindMember(channel->second, uid);
    return member && member->muted;
  }
  auto im = model.ims.find(conversation);
  if (im == model.ims.end()) return false;
  return im->second.a == uid ? im->second.muted_a : im->second.muted_b;
}

_NumUnread Counts(ServiceModel& model, const std::string& conversation, const std::string& uid) {
  const uint32_t count = model.unread[Key(conversation, uid)];
  return {count, IsMuted(model, conversation, uid) ? 0u : count};
}

ChannelView ViewFor(ServiceModel& model, const ChannelRecord& record, const std::string& uid) {
  ChannelView view;
  view.channel = record.channel;
  view.channel.hex_color = preferred_color_to_hex_string(static_cast<PreferredColor>(record.channel.preferred_color));
  for (const auto& member : record.members) {
    view.members.push_back(member.uid);
    if (member.uid != uid) continue;
    view.channel.is_member = true;
    view.channel.is_enabled = member.enabled;
    view.channel.is_muted = member.muted;
  }
  return view;
}

IM::Data ImFor(const ImRecord& im, const std::string& uid) {
  IM::Data data;
  data.im_id = im.id;
  data.to_uid = im.a == uid ? im.b : im.a;
  data.is_open = im.a == uid ? im.open_a : im.open_b;
  data.is_muted = im.a == uid ? im.muted_a : im.muted_b;
  return data;
}

// Every conversation the user takes part in.
std::vector<std::string> ConversationsOf(ServiceModel& model, const std::string& team, const std::string& uid) {
  std::vector<std::string> ids;
  for (auto& entry : model.channels) {
    if (entry.second.team == team && model.FindMember(entry.second, uid)) ids.push_back(entry.first);
  }
  for (const auto& entry : model.ims) {
    if (entry.second.team == team && (entry.second.a == uid || entry.second.b == uid)) ids.push_back(entry.first);
  }
  return ids;
}

// The channel when it belongs to the team; null otherwise.
ChannelRecord* FindTeamChannel(ServiceModel& model, const std::string& team, const std::string& channelId) {
  auto found = model.channels.find(channelId);
  return found == model.channels.end() || found->second.team != team ? nullptr : &found->second;
}


}  // namespace

int64_t DemoService::PostLocked(Message::Data& message, const std::string& exceptToken) {
  ServiceModel& model = *m_model;
  MessageRecord record;
  // Taken even when the store refuses the message: a number is never handed out twice.
  record.seq = model.next_seq++;
  record.team = model.TeamOf(message.channel_id);
  message.message_id = model.MessageId(record.seq);
  message.channel_type = model.ims.count(message.channel_id) ? Message::kDirectMessage : Message::kChannelMessage;
  if (message.timestamp == 0) message.timestamp = Now();
  record.message = message;
  // Stored before anyone hears of it: what the store refused was never posted.
  if (!model.SaveCounters() || !model.SaveMessage(record)) {
    quennet::log_error("Demo service: the store refused a message in %s", message.channel_id.c_str());
    return 0;
  }
  model.messages[message.channel_id].push_back(record);
  const bool from_user = message.sender_type == Message::kUserSender;
  for (const std::string& uid : model.Participants(message.channel_id)) {
    PushEvent event;
    event.kind = PushEvent::kMessage;
    event.seq = record.seq;
    event.message = message;
    // The sender's own message raises nobody's count on the sender's side.
    if (!(from_user && uid == message.uid)) {
      const std::string key = Key(message.channel_id, uid);
      ++model.unread[key];
      model.SaveUnread(key);
      event.has_unread = true;
      event.unread = Counts(model, message.channel_id, uid);
    }
    m_push->Push(uid, event, exceptToken);
  }
  return record.seq;
}

void DemoService::PostAs(Message::Data message) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_model->TeamOf(message.channel_id).empty()) return;
    m_model->BeginChange();
    if (PostLocked(message, {}) == 0) return;
  }
  m_acting->OnPosted(message);
}

// ---- Channels ---------------------------------------------------------------------

Outcome DemoService::Channels(const std::string& token, std::vector<ChannelView>* channels) {
  return WithCaller(token, [&](const Caller& caller) {
    std::vector<const ChannelRecord*> visible;
    for (auto& entry : m_model->channels) {
      ChannelRecord& channel = entry.second;
      if (channel.team != caller.team) continue;
      // Private channels are invisible to those outside them.
      if (channel.channel.visibility == Channel::kPublic || m_model->FindMember(channel, caller.uid)) {
        visible.push_back(&channel);
      }
    }
    std::stable_sort(visible.begin(), visible.end(),
                     [](const ChannelRecord* a, const ChannelRecord* b) { return a->order < b->order; });
    for (const ChannelRecord* channel : visible) channels->push_back(ViewFor(*m_model, *channel, caller.uid));
    return Outcome::Success();
  });
}

Outcome DemoService::JoinChannel(const std::string& token, const std::string& channelId, ChannelView* view) {
  return WithCaller(token, [&](const Caller& caller) {
    ChannelRecord* found = FindTeamChannel(*m_model, caller.team, channelId);
    if (!found) return Outcome::Failure(404, "unknown channel");
    ChannelRecord& channel = *found;
    ChannelMember* member = m_model->FindMember(channel, caller.uid);
    if (!member && channel.channel.visibility != Channel::kPublic) return Outcome::Failure(403, "private channel");
    if (member) {
      member->enabled = true;
    } else {
      channel.members.push_back({caller.uid, true, false});
    }
    m_model->SaveChannel(channel);
    *view = ViewFor(*m_model, channel, caller.uid);
    return Outcome::Success();
  });
}

Outcome DemoService::EnableChannel(const std::string& token, const std::string& channelId, ChannelView* view) {
  return WithCaller(token, [&](const Caller& caller) {
    ChannelRecord* found = FindTeamChannel(*m_model, caller.team, channelId);
    if (!found) return Outcome::Failure(404, "unknown channel");
    ChannelMember* member = m_model->FindMember(*found, caller.uid);
    if (!member) return Outcome::Failure(403, "not a member");
    member->enabled = true;
    m_model->SaveChannel(*found);
    *view = ViewFor(*m_model, *found, caller.uid);
    return Outcome::Success();
  });
}

Outcome DemoService::LeaveChannel(const std::string& token, const std::string& channelId) {
  return WithCaller(token, [&](const Caller& caller) {
    ChannelRecord* found = FindTeamChannel(*m_model, caller.team, channelId);
    if (!found) return Outcome::Failure(404, "unknown channel");
    ChannelRecord& channel = *found;
    if (channel.channel.general) return Outcome::Failure(403, "the general channel cannot be left");
    channel.members.erase(std::remove_if(channel.members.begin(), channel.members.end(),
                                         [&](const ChannelMember& member) { return member.uid == caller.uid; }),
                          channel.members.end());
    m_model->SaveChannel(channel);
    return Outcome::Success();
  });
}

Outcome DemoService::Invite(const std::string& token, const std::string& channelId, const std::string& uid,
                            ChannelView* view) {
  return WithCaller(token, [&](const Caller& caller) {
    ChannelRecord* found = FindTeamChannel(*m_model, caller.team, channelId);
    if (!found) return Outcome::Failure(404, "unknown channel");
    ChannelRecord& channel = *found;
    if (!m_model->FindMember(channel, caller.uid)) return Outcome::Failure(403, "not a member");
    Account* invited = m_model->FindAccount(caller.team, uid);
    if (!invited || invited->user.state == User::kDisabled) return Outcome::Failure(404, "unknown user");
    if (!m_model->FindMember(channel, uid)) {
      channel.members.push_back({uid, true, false});
      m_model->SaveChannel(channel);
    }
    *view = ViewFor(*m_model, channel, caller.uid);
    return Outcome::Success();
  });
}

Outcome DemoService::CreateChannel(const std::string& token, const std::string& name, const std::string& purpose,
                                   int visibility, const std::vector<std::string>& uids, int color,
                                   ChannelView* view) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  if (name.empty()) return Outcome::Failure(400, "empty name");
  if (visibility != Channel::kPublic && visibility != Channel::kPrivate) return Outcome::Failure(400, "visibility");
  std::lock_guard<std::mutex> lock(m_mutex);
  m_model->BeginChange();
  ChannelRecord channel;
  channel.team = caller.team;
  channel.order = static_cast<int64_t>(m_model->channels.size());
  Channel::Data& data = channel.channel;
  data.channel_id = m_model->NewId("chn-");
  data.channel_name = name;
  data.pinyin = detail::AsciiLower(name);
  data.preferred_color = color >= 0 && color < kPreferredColorCount ? color : 0;
  data.visibility = visibility;
  data.created_at = Now();
  data.creator_uid = caller.uid;
  data.purpose = purpose;
  channel.members.push_back({caller.uid, true, false});
  for (const std::string& uid : uids) {
    Account* account = m_model->FindAccount(caller.team, uid);
    if (account && account->user.state != User::kDisabled && !m_model->FindMember(channel, uid)) {
      channel.members.push_back({uid, true, false});
    }
  }
  m_model->SaveChannel(channel);
  if (m_model->ChangeRefused()) return Stored(outcome);
  m_model->channels[data.channel_id] = channel;
  *view = ViewFor(*m_model, channel, caller.uid);
  return outcome;
}

// ---- One-to-one conversations ---------------------------------------------------------

Outcome DemoService::Ims(const std::string& token, std::vector<IM::Data>* ims) {
  return WithCaller(token, [&](const Caller& caller) {
    for (const auto& entry : m_model->ims) {
      const ImRecord& im = entry.second;
      if (im.team == caller.team && (im.a == caller.uid || im.b == caller.uid)) ims->push_back(ImFor(im, caller.uid));
    }
    return Outcome::Success();
  });
}

Outcome DemoService::NewIm(const std::string& token, const std::string& uid, IM::Data* im) {
  return WithCaller(token, [&](const Caller& caller) {
    Account* partner = m_model->FindAccount(caller.team, uid);
    if (!partner || partner->user.state == User::kDisabled) return Outcome::Failure(404, "unknown user");
    if (uid == caller.uid) return Outcome::Failure(400, "no conversation with oneself");
    ImRecord* existing = m_model->FindIm(caller.team, caller.uid, uid);
    if (!existing) {
      ImRecord created;
      created.team = caller.team;
      created.id = m_model->NewId("im-");
      created.a = caller.uid;
      created.b = uid;
      existing = &(m_model->ims[created.id] = created);
    }
    (existing->a == caller.uid ? existing->open_a : existing->open_b) = true;
    m_model->SaveIm(*existing);
    *im = ImFor(*existing, caller.uid);
    return Outcome::Success();
  });
}

Outcome DemoService::OpenIm(const std::string& token, const std::string& imId, IM::Data* im) {
  return SetImOpen(token, imId, true, im);
}

Outcome DemoService::CloseIm(const std::string& token, const std::string& imId) {
  IM::Data closed;
  return SetImOpen(token, imId, false, &closed);
}

Outcome DemoService::SetImOpen(const std::string& token, const std::string& imId, bool open, IM::Data* im) {
  return WithCaller(token, [&](const Caller& caller) {
    auto found = m_model->ims.find(imId);
    if (found == m_model->ims.end() || !(found->second.a == caller.uid || found->second.b == caller.uid)) {
      return Outcome::Failure(404, "unknown conversation");
    }
    (found->second.a == caller.uid ? found->second.open_a : found->second.open_b) = open;
    m_model->SaveIm(found->second);
    *im = ImFor(found->second, caller.uid);
    return Outcome::Success();
  });
}

// ---- Messages and counts ------------------------------------------------------------------

Outcome DemoService::History(const std::string& token, const std::vector<std::string>& conversations,
                             std::vector<Message::Data>* messages, std::string* storeGeneration) {
  return WithCaller(token, [&](const Caller& caller) {
    *storeGeneration = m_model->generation;
    const std::vector<std::string> wanted =
        conversations.empty() ? ConversationsOf(*m_model, caller.team, caller.uid) : conversations;
    for (const std::string& conversation : wanted) {
      if (!m_model->Participates(conversation, caller.uid)) continue;
      for (const MessageRecord& record : m_model->messages[conversation]) messages->push_back(record.message);
    }
    return Outcome::Success();
  });
}

Outcome DemoService::Missed(const std::string& token, int64_t sinceSeq, std::vector<PushEvent>* events,
                            int64_t* seq) {
  return WithCaller(token, [&](const Caller& caller) {
    std::vector<const MessageRecord*> missed;
    const std::vector<std::string> conversations = ConversationsOf(*m_model, caller.team, caller.uid);
    for (const std::string& conversation : conversations) {
      for (const MessageRecord& record : m_model->messages[conversation]) {
        if (record.seq > sinceSeq) missed.push_back(&record);
      }
    }
    std::sort(missed.begin(), missed.end(), [](const MessageRecord* a, const MessageRecord* b) { return a->seq < b->seq; });
    for (const MessageRecord* record : missed) {
      PushEvent event;
      event.kind = PushEvent::kMessage;
      event.seq = record->seq;
      event.message = record->message;
      events->push_back(event);
    }
    for (const std::string& conversation : conversations) {
      PushEvent event;
      event.kind = PushEvent::kUnread;
      event.conversation_id = conversation;
      event.unread = Counts(*m_model, conversation, caller.uid);
      events->push_back(event);
    }
    for (Account* account : m_model->TeamAccounts(caller.team)) {
      PushEvent event;
      event.kind = PushEvent::kStatus;
      event.uid = account->user.uid;
      event.status = account->user.status;
      events->push_back(event);
    }
    *seq = m_model->next_seq - 1;
    return Outcome::Success();
  });
}

Outcome DemoService::Unread(const std::string& token, std::map<std::string, _NumUnread>* counts) {
  return WithCaller(token, [&](const Caller& caller) {
    for (const std::string& conversation : ConversationsOf(*m_model, caller.team, caller.uid)) {
      (*counts)[conversation] = Counts(*m_model, conversation, caller.uid);
    }
    return Outcome::Success();
  });
}

Outcome DemoService::MarkRead(const std::string& token, const std::string& conversationId, int64_t timestamp) {
  return WithCaller(token, [&](const Caller& caller) {
    if (!m_model->Participates(conversationId, caller.uid)) return Outcome::Failure(404, "unknown conversation");
    const std::string key = Key(conversationId, caller.uid);
    m_model->unread[key] = 0;
    m_model->cursors[key] = timestamp;
    m_model->SaveUnread(key);
    m_model->SaveCursor(key);
    // The user's other devices hear of the read.
    PushEvent event;
    event.kind = PushEvent::kUnread;
    event.conversation_id = conversationId;
    m_push->Push(caller.uid, event, token);
    return Outcome::Success();
  });
}

Outcome DemoService::Send(const std::string& token, const Message::Data& message, Message::Data* sent) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (message.channel_id.empty()) return Outcome::Failure(400, "no conversation");
    if (m_model->TeamOf(message.channel_id) != caller.team) return Outcome::Failure(404, "unknown conversation");
    if (!m_model->Participates(message.channel_id, caller.uid)) return Outcome::Failure(403, "not a member");
    Message::Data posted;
    posted.channel_id = message.channel_id;
    posted.content = message.content;
    posted.uid = caller.uid;
    m_model->BeginChange();
    if (PostLocked(posted, token) == 0) return Stored(outcome);
    *sent = posted;
  }
  m_acting->OnPosted(*sent);
  return outcome;
}

}  // namespace mireloom::service
