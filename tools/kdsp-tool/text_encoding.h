#pragma once

#include <string>
#include <string_view>

namespace kdsp::tool {

/// Text as UTF-8 whatever the editor that saved it wrote: a UTF-8 byte-order mark is dropped,
/// UTF-16 with its mark (little or big endian) is converted (a lone surrogate or an odd last
/// byte becomes U+FFFD), anything else is returned as it is.
std::string TextAsUtf8(std::string_view bytes);

}  // namespace kdsp::tool
