// The embedded service's files: uploads, the files of a conversation, one
// file with its comments, new comments, and the bytes behind a storage key.

#include <algorithm>

#include "../EntityListing.h"
#include "../Json.h"
#include "../Text.h"
#include "DemoLoader.h"
#include "DemoService.h"
#include "ImageRenderer.h"
#include "ServiceModel.h"

namespace mireloom::service {
namespace {

// Filler bytes of a demo file that was never uploaded: the same every time.
std::string FillerBytes(const Entity::Data& entity) {
  const std::string pattern = entity.title + " " + entity.entity_id + "\n";
  std::string bytes;
  const auto size = static_cast<size_t>(std::max<int64_t>(entity.file_size, 0));
  bytes.reserve(size);
  while (bytes.size() < size) bytes += pattern;
  bytes.resize(size);
  return bytes;
}

std::string MimeOf(const std::string& extension) {
  const std::string lower = detail::AsciiLower(extension);
  if (lower == "png") return "image/png";
  if (lower == "gif") return "image/gif";
  if (lower == "jpg" || lower == "jpeg") return "image/jpeg";
  if (lower == "pdf") return "application/pdf";
  if (lower == "txt" || lower.empty()) return "text/plain";
  return "application/octet-stream";
}

constexpr int64_t kMeasuredPictureBytes = 8 * 1024 * 1024;

}  // namespace

Outcome DemoService::Upload(const std::string& token, UploadSource& source, const std::string& name,
                            const std::string& mime, const std::string& conversationId, Message::Data* share) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  const bool image = detail::AsciiLower(mime).rfind("image/", 0) == 0;
  // A picture small enough is kept while it passes, to be measured; a bigger
  // one goes unmeasured rather than into memory.
  const bool measured = image && source.Size() <= kMeasuredPictureBytes;
  std::string picture;
  EntityRecord record;
  Entity::Data& entity = record.entity;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_model->TeamOf(conversationId) != caller.team) return Outcome::Failure(404, "unknown conversation");
    if (!m_model->Participates(conversationId, caller.uid)) return Outcome::Failure(403, "not a member");
    m_model->BeginChange();
    entity.entity_id = m_model->NewId("ent-");
    entity.path = HexKey(caller.team + "/" + entity.entity_id);
    bool unread = false;
    const bool stored = m_model->SaveFileInChunks(entity.path, source.Size(), [&](std::string* chunk) {
      unread = !source.Read(chunk);
      if (!unread && measured) picture += *chunk;
      return !unread;
    });
    if (unread) return Outcome::Failure(400, "file cannot be read");
    if (!stored) return Stored(outcome);
  }
  int width = 0, height = 0;
  if (measured) MeasureImage(picture, &width, &height);  // outside the lock: decoding takes a while
  picture = std::string();
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_model->Participates(conversationId, caller.uid)) {
    m_model->RemoveFile(entity.path);  // left the conversation meanwhile
    return Outcome::Failure(403, "not a member");
  }
  m_model->BeginChange();
  record.team = caller.team;
  record.uploaded = true;
  record.shared_in = {conversationId};
  entity.entity_type = image ? Entity::kImage : Entity::kFile;
  entity.title = name;
  const size_t dot = name.rfind('.');
  entity.file_extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  entity.thumb_width = width;
  entity.thumb_height = height;
  entity.created_at = Now();
  entity.creator_uid = caller.uid;
  entity.file_size = source.Size();
  const UploadEntry upload{name, mime, conversationId, entity.path};
  m_model->SaveEntity(record);
  m_model->SaveUpload(upload);
  Message::Data message;
  message.channel_id = conversationId;
  message.uid = caller.uid;
  message.content_type = image ? Message::kImageShare : Message::kFileShare;
  message.content = (image ? "分享了图片: " : "分享了文件: ") + name;
  message.entity_json = detail::EntityShareJson(entity);
  if (m_model->ChangeRefused() || PostLocked(message, token) == 0) {
    m_model->RemoveFile(entity.path);  // nothing refers to the bytes
    return Stored(outcome);
  }
  m_model->entities[entity.entity_id] = record;
  m_model->uploads.push_back(upload);
  *share = message;
  return outcome;
}

Outcome DemoService::Entities(const std::string& token, const std::string& conversationId, int type,
                              const std::string& keyword, int page, int pageSize,
                              std::vector<Entity::Data>* entities, int* total) {
  return WithCaller(token, [&](const Caller& caller) {
    if (m_model->TeamOf(conversationId) != caller.team) return Outcome::Failure(404, "unknown conversation");
    auto channel = m_model->channels.find(conversationId);
    const bool readable = m_model->Participates(conversationId, caller.uid) ||
                          (channel != m_model->channels.end() && channel->second.channel.visibility == Channel::kPublic);
    if (!readable) return Outcome::Failure(403, "not a member");
    std::vector<const Entity::Data*> matching;
    const std::string wanted = detail::AsciiLower(keyword);
    for (const auto& entry : m_model->entities) {
      const EntityRecord& record = entry.second;
      const auto& shared = record.shared_in;
      if (std::find(shared.begin(), shared.end(), conversationId) == shared.end()) continue;
      if (!detail::ListedUnderType(record.entity, type)) continue;
      if (!wanted.empty() && detail::AsciiLower(record.entity.title).find(wanted) == std::string::npos) continue;
      matching.push_back(&record.entity);
    }
    std::stable_sort(matching.begin(), matching.end(), [](const Entity::Data* a, const Entity::Data* b) {
      return a->created_at != b->created_at ? a->created_at > b->created_at : a->entity_id > b->entity_id;
    });
    *total = static_cast<int>(matching.size());
    const size_t first = static_cast<size_t>(page - 1) * static_cast<size_t>(pageSize);
    for (size_t i = first; i < matching.size() && i < first + static_cast<size_t>(pageSize); ++i) {
      Entity::Data entity = *matching[i];
      entity.comments.clear();  // a list carries no comments
      entities->push_back(std::move(entity));
    }
    return Outcome::Success();
  });
}

Outcome DemoService::EntityById(const std::string& token, const std::string& entityId, Entity::Data* entity) {
  return WithCaller(token, [&](const Caller& caller) {
    auto found = m_model->entities.find(entityId);
    if (found == m_model->entities.end() || found->second.team != caller.team) {
      return Outcome::Failure(404, "unknown entity");
    }
    *entity = found->second.entity;
    return Outcome::Success();
  });
}

Outcome DemoService::PostComment(const std::string& token, const std::string& entityId, const std::string& text,
                                 int applicationType, Comment::Data* comment, std::vector<Message::Data>* posted) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  if (applicationType != kApplicationTypeFileComment) return Outcome::Failure(400, "unknown application");
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_model->entities.find(entityId);
  if (found == m_model->entities.end() || found->second.team != caller.team) {
    return Outcome::Failure(404, "unknown entity");
  }
  EntityRecord& record = found->second;
  m_model->BeginChange();
  comment->comment_id = m_model->NewId("cmt-");
  comment->entity_id = entityId;
  comment->creator_uid = caller.uid;
  comment->created_at = Now();
  comment->content = text;
  record.entity.comments.push_back(*comment);
  m_model->SaveEntity(record);
  if (m_model->ChangeRefused()) {
    record.entity.comments.pop_back();
    return Stored(outcome);
  }
  for (const std::string& conversation : record.shared_in) {
    if (!m_model->Participates(conversation, caller.uid)) continue;
    Message::Data message;
    message.channel_id = conversation;
    message.uid = caller.uid;
    message.content_type = Message::kFileComment;
    message.content = text;
    message.entity_json = detail::EntityShareJson(record.entity);
    if (PostLocked(message, token) == 0) return Stored(outcome);
    posted->push_back(message);
  }
  return outcome;
}

bool DemoService::FileBytes(const std::string& path, std::string* bytes, std::string* mime) {
  Entity::Data entity;
  bool uploaded = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = std::find_if(m_model->entities.begin(), m_model->entities.end(),
                              [&](const auto& entry) { return entry.second.entity.path == path; });
    if (path.empty() || found == m_model->entities.end()) return false;
    entity = found->second.entity;
    uploaded = found->second.uploaded;
    if (uploaded) {
      *mime = MimeOf(entity.file_extension);
      return m_model->LoadFile(path, bytes);
    }
  }
  *mime = MimeOf(entity.file_extension);
  if (entity.entity_type == Entity::kImage) {
    // The demo's pictures are drawn when asked for.
    const int width = entity.thumb_width > 0 ? entity.thumb_width : 320;
    const int height = entity.thumb_height > 0 ? entity.thumb_height : 240;
    *bytes = RenderTile(width, height, ColorOf(entity.entity_id), detail::Utf8ToWide(entity.title),
                        FormatOfExtension(entity.file_extension));
    return !bytes->empty();
  }
  *bytes = !entity.content.empty() ? entity.content : FillerBytes(entity);
  return true;
}

}  // namespace mireloom::service
