#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/Entity.h"
#include "mireloom/Message.h"
#include "mireloom/Types.h"

namespace mireloom {

class EntityManager final {
 public:
  static const EntityManager* DefaultManager();

  using EntitiesCompletion = std::function<void(bool ok, const std::string& error,
                                                std::vector<std::unique_ptr<Entity>> entities, int total)>;

  // The entities shared in the conversation, newest first, `pageSize` per page
  // (pages from 1), filtered by type (kAll: every type) and by a keyword in the
  // title. A page past the end is empty.
  void GetEntitiesByChannelId(const std::string& conversationId, Message::ChannelType channelType,
                              Entity::Type type, const std::string& keyword, int page, int pageSize,
                              EntitiesCompletion completion) const;
  // The entity with its comments.
  void GetEntityById(const std::string& entityId,
                     std::function<void(bool ok, const std::string& error, std::unique_ptr<Entity> entity)>
                         completion) const;

 private:
  EntityManager() = default;
};

class CommentManager final {
 public:
  static const CommentManager* DefaultManager();

  // Appends a comment by the signed-in user; the service also posts a comment
  // message into every conversation where the entity was shared.
  void PostComment(const std::string& text, const std::vector<std::string>& mentionUids,
                   ApplicationType applicationType, const std::string& entityId,
                   std::function<void(bool ok, const std::string& error, std::unique_ptr<Comment> comment)>
                       completion) const;

 private:
  CommentManager() = default;
};

}  // namespace mireloom
