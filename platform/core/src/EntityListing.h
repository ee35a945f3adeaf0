#pragma once

// Which entities a listing of one type holds, for the service's listings and
// for pages read from the cache alike.

#include "mireloom/Entity.h"

namespace mireloom::detail {

// Every entity for kAll, else those of the type. Documents are the written
// documents and the shared files in a document format (PDF, office, text):
// what users call documents, whatever the upload made of them.
[[nodiscard]] bool ListedUnderType(const Entity::Data& entity, int type);

}  // namespace mireloom::detail
