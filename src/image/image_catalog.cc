#include "image/image_catalog.h"

namespace qorv {

namespace {
constexpr ImageCatalogRow kCatalog[] = {
#define QORV_IMAGE_MESSAGE(name, en, ja) {ImageMessage::name, #name, en, ja},
#include "resources/image_messages.def"
#undef QORV_IMAGE_MESSAGE
};
}  // namespace

std::span<const ImageCatalogRow> image_catalog() { return kCatalog; }

std::string_view image_catalog_text(ImageMessage id, Language language) {
  // The enum counts the rows in table order.
  const ImageCatalogRow &row = kCatalog[static_cast<size_t>(id)];
  return language == Language::Japanese ? row.japanese : row.english;
}

std::string fill_placeholders(std::string_view text, ImageArgs args) {
  std::string out;
  out.reserve(text.size() + 64);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto n = static_cast<size_t>(text[i + 1] - '1');
      if (n < args.size()) out += args.begin()[n];
      ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace qorv
