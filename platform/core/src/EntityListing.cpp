#include "EntityListing.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "Text.h"

namespace mireloom::detail {

namespace {

constexpr const char* kDocumentExtensions[] = {"pdf", "doc", "docx", "xls", "xlsx", "ppt", "pptx", "odt",
                                               "ods", "odp", "rtf", "txt", "md",   "csv", "wps"};

bool IsDocumentFile(const Entity::Data& entity) {
  if (entity.entity_type != Entity::kFile) return false;
  const std::string extension = AsciiLower(entity.file_extension);
  return std::find(std::begin(kDocumentExtensions), std::end(kDocumentExtensions), extension) !=
         std::end(kDocumentExtensions);
}

}  // namespace

bool ListedUnderType(const Entity::Data& entity, int type) {
  if (type == Entity::kAll || entity.entity_type == type) return true;
  return type == Entity::kDocument && IsDocumentFile(entity);
}

}  // namespace mireloom::detail
