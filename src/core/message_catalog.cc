#include "core/message_catalog.h"

namespace qorv {

namespace {
struct CatalogRow {
  MessageId id;
  std::string_view english;
  std::string_view japanese;
};

constexpr CatalogRow kCatalog[] = {
#define QORV_MESSAGE(id, name, en, ja) {MessageId::name, en, ja},
#include "resources/messages.def"
#undef QORV_MESSAGE
};
}  // namespace

std::string_view catalog_text(MessageId id, Language language) {
  for (const CatalogRow &row : kCatalog)
    if (row.id == id) return language == Language::Japanese ? row.japanese : row.english;
  return {};
}

}  // namespace qorv
