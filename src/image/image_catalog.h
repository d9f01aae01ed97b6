// QorvImage's catalog: every message, usage text and summary line in English
// and Japanese (resources/image_messages.def), and how its placeholders are
// filled.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "core/message_catalog.h"

namespace qorv {

enum class ImageMessage : uint16_t {
#define QORV_IMAGE_MESSAGE(name, en, ja) name,
#include "resources/image_messages.def"
#undef QORV_IMAGE_MESSAGE
};

struct ImageCatalogRow {
  ImageMessage id;
  std::string_view name;
  std::string_view english;
  std::string_view japanese;
};

// Every row, in the order of the table.
std::span<const ImageCatalogRow> image_catalog();

// The text of `id` in `language` (UTF-8).
std::string_view image_catalog_text(ImageMessage id, Language language);

// The values of a message: already formatted texts, %1 being the first.
using ImageArgs = std::initializer_list<std::string_view>;

// `text` with each "%1" to "%9" replaced by that value of `args` (nothing
// when there is no such value); any other "%" stays.
std::string fill_placeholders(std::string_view text, ImageArgs args);

}  // namespace qorv
