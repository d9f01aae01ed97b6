// The numbered messages 1000 to 1030 in English and Japanese.
#pragma once

#include <cstdint>
#include <string_view>

namespace qorv {

enum class MessageId : uint32_t {
#define QORV_MESSAGE(id, name, en, ja) name = id,
#include "resources/messages.def"
#undef QORV_MESSAGE
};

enum class Language { English, Japanese };

// The text of `id` in `language`; Japanese texts are UTF-8.
std::string_view catalog_text(MessageId id, Language language);

}  // namespace qorv
