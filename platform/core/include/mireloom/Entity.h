#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mireloom {

// A comment on a shared file.
class Comment final {
 public:
  struct Data {
    std::string comment_id;
    std::string entity_id;
    std::string creator_uid;
    int64_t created_at = 0;
    std::string content;
  };

  explicit Comment(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Comment> Clone() const { return std::make_unique<Comment>(*this); }

  [[nodiscard]] const std::string& comment_id() const { return m_data.comment_id; }
  [[nodiscard]] const std::string& entity_id() const { return m_data.entity_id; }
  [[nodiscard]] const std::string& creator_uid() const { return m_data.creator_uid; }
  [[nodiscard]] int64_t created_at() const { return m_data.created_at; }
  [[nodiscard]] const std::string& content() const { return m_data.content; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

// A shared file, image, document, snippet, mail or link.
class Entity final {
 public:
  enum Type : int { kAll = 0, kImage = 5, kFile = 6, kDocument = 7, kSnippet = 8 };

  struct Data {
    std::string entity_id;
    int entity_type = kFile;
    std::string title;  // file name with its extension
    std::string path;   // storage key
    std::string file_extension;  // without the dot
    int thumb_width = 0;  // pixels of the original image; 0 when unknown
    int thumb_height = 0;
    int64_t created_at = 0;
    std::string creator_uid;
    int64_t file_size = 0;
    std::string content;  // text of a document or snippet
    std::string snippet_type;
    std::string subject;  // mail
    std::string from;     // mail
    std::string public_url;  // service share
    std::string summary;     // service share
    std::vector<Comment::Data> comments;
  };

  Entity() = default;
  explicit Entity(Data data);
  Entity(const Entity& other);
  Entity& operator=(const Entity& other);
  [[nodiscard]] std::unique_ptr<Entity> Clone() const { return std::make_unique<Entity>(*this); }

  // Fills the fields from a JSON object. False (and nothing changed) for text
  // that is not JSON, fields of the wrong type or a missing entity_id.
  [[nodiscard]] bool InitWithJsonOrDie(const std::string& json);

  [[nodiscard]] const std::string& entity_id() const { return m_data.entity_id; }
  [[nodiscard]] Type entity_type() const { return static_cast<Type>(m_data.entity_type); }
  [[nodiscard]] const std::string& title() const { return m_data.title; }
  [[nodiscard]] const std::string& path() const { return m_data.path; }
  [[nodiscard]] const std::string& file_extension() const { return m_data.file_extension; }
  [[nodiscard]] int thumb_width() const { return m_data.thumb_width; }
  [[nodiscard]] int thumb_height() const { return m_data.thumb_height; }
  [[nodiscard]] int64_t created_at() const { return m_data.created_at; }
  [[nodiscard]] const std::string& creator_uid() const { return m_data.creator_uid; }
  [[nodiscard]] int64_t file_size() const { return m_data.file_size; }
  [[nodiscard]] const std::string& content() const { return m_data.content; }
  [[nodiscard]] const std::string& snippet_type() const { return m_data.snippet_type; }
  [[nodiscard]] const std::string& subject() const { return m_data.subject; }
  [[nodiscard]] const std::string& from() const { return m_data.from; }
  [[nodiscard]] const std::string& public_url() const { return m_data.public_url; }
  [[nodiscard]] const std::string& summary() const { return m_data.summary; }
  // In creation order.
  [[nodiscard]] const std::vector<std::unique_ptr<Comment>>& comments() const { return m_comments; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  void BuildComments();

  Data m_data;
  std::vector<std::unique_ptr<Comment>> m_comments;
};

}  // namespace mireloom
