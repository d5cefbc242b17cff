// Photo metadata on the Windows side: the properties list's texts from the
// string table.
#pragma once
#include "base/ErrorCodes.h"
#include "imaging/Metadata.h"

namespace quorvel {

// The list's labels, words and formats from the string table; a missing
// entry gives kErrResourceString (with its id as the error detail).
[[nodiscard]] Status LoadPropertyTexts(PropertyTexts& texts);

}  // namespace quorvel
