#include "mireloom/EntityManager.h"

#include <algorithm>

#include "EntityListing.h"
#include "ManagerSupport.h"
#include "Text.h"

namespace mireloom {

using detail::Outcome;
using detail::RunSessionOperation;

namespace {

// A page of entities from the cache, for conversations the service does not know.
void PageFromCache(const std::vector<Entity::Data>& all, int type, const std::string& keyword, int page, int pageSize,
                   std::vector<Entity::Data>* entities, int* total) {
  std::vector<Entity::Data> matching;
  const std::string wanted = detail::AsciiLower(keyword);
  for (const auto& entity : all) {
    if (!detail::ListedUnderType(entity, type)) continue;
    if (!wanted.empty() && detail::AsciiLower(entity.title).find(wanted) == std::string::npos) continue;
    matching.push_back(entity);
  }
  *total = static_cast<int>(matching.size());
  const size_t first = static_cast<size_t>(std::max(page - 1, 0)) * static_cast<size_t>(std::max(pageSize, 0));
  for (size_t i = first; i < matching.size() && i < first + static_cast<size_t>(pageSize); ++i) {
    entities->push_back(matching[i]);
  }
}

}  // namespace

const EntityManager* EntityManager::DefaultManager() {
  static EntityManager* manager = new EntityManager;
  return manager;
}

void EntityManager::GetEntitiesByChannelId(const std::string& conversationId, Message::ChannelType channelType,
                                           Entity::Type type, const std::string& keyword, int page, int pageSize,
                                           EntitiesCompletion completion) const {
  struct Result {
    std::vector<Entity::Data> entities;
    int total = 0;
  };
  RunSessionOperation<Result>(
      "EntityManager::GetEntitiesByChannelId",
      conversationId + " " + std::to_string(type) + " " + keyword + " " + std::to_string(page) + "x" +
          std::to_string(pageSize),
      [=](Session& session, service::DemoService& service, Result& result) {
        if (page < 1 || pageSize < 1) return Outcome::Failure(400, "bad page");
        Outcome outcome = service.Entities(session.api_token(), conversationId, type, keyword, page, pageSize,
                                           &result.entities, &result.total);
        if (outcome.ok) {
          session.cache().PutEntities(conversationId, result.entities);
        } else if (outcome.code == 404) {
          // Known to this machine only (seen before, or preloaded by a test).
          auto cached = session.cache().EntitiesOf(conversationId);
          if (cached.empty()) return outcome;
          PageFromCache(cached, type, keyword, page, pageSize, &result.entities, &result.total);
          outcome = Outcome::Success();
        }
        return outcome;
      },
      [completion](const Outcome& outcome, Result& result) {
        if (!completion) return;
        completion(outcome.ok, outcome.error, detail::MakeAll<Entity>(outcome.ok ? result.entities : std::vector<Entity::Data>()),
                   outcome.ok ? result.total : 0);
      });
}

void EntityManager::GetEntityById(const std::string& entityId,
                                  std::function<void(bool, const std::string&, std::unique_ptr<Entity>)> completion) const {
  RunSessionOperation<Entity::Data>(
      "EntityManager::GetEntityById", entityId,
      [entityId](Session& session, service::DemoService& service, Entity::Data& entity) {
        Outcome outcome = service.EntityById(session.api_token(), entityId, &entity);
        if (outcome.ok) {
          session.cache().PutEntities("", {entity});
        } else if (outcome.code == 404) {
          if (auto cached = session.cache().FindEntity(entityId)) {
            entity = std::move(*cached);
            outcome = Outcome::Success();
          }
        }
        return outcome;
      },
      [completion](const Outcome& outcome, Entity::Data& entity) {
        if (completion) completion(outcome.ok, outcome.error, outcome.ok ? std::make_unique<Entity>(entity) : nullptr);
      });
}

const CommentManager* CommentManager::DefaultManager() {
  static CommentManager* manager = new CommentManager;
  return manager;
}

void CommentManager::PostComment(const std::string& text, const std::vector<std::string>& mentionUids,
                                 ApplicationType applicationType, const std::string& entityId,
                                 std::function<void(bool, const std::string&, std::unique_ptr<Comment>)> completion) const {
  RunSessionOperation<Comment::Data>(
      "CommentManager::PostComment", entityId + " " + std::to_string(applicationType),
      [=](Session& session, service::DemoService& service, Comment::Data& comment) {
        std::vector<Message::Data> posted;
        Outcome outcome =
            service.PostComment(session.api_token(), entityId, text, applicationType, &comment, &posted);
        if (!outcome.ok) return outcome;
        // The comment messages reach this session by no other road.
        for (const auto& message : posted) session.DeliverIncoming(message, std::nullopt);
        outcome.after_listeners = true;
        return outcome;
      },
      [completion](const Outcome& outcome, Comment::Data& comment) {
        if (completion) completion(outcome.ok, outcome.error, outcome.ok ? std::make_unique<Comment>(comment) : nullptr);
      });
}

}  // namespace mireloom
