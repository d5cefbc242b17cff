// What the properties list must show for a photo of the metadata fixtures,
// worked out from exiftool's own reading of the same file.
#pragma once
#include <cstdint>
#include <ctime>
#include <map>
#include <string>

#include "imaging/Metadata.h"

namespace quorvel::test {

std::u16string U16(const std::wstring& s);
std::u16string U16(const std::string& s);
std::string Narrow(const std::u16string& s);

// exiftool's "Tag: value" lines beside fixture `photo`; tags the file lacks
// are left out.
std::map<std::string, std::string> ExiftoolReading(const std::wstring& photo);

// Each row by the list's rules, for a photo whose cache file is `cacheName`
// in an album of `albumType`; rows the photo lacks are absent.
std::map<PropertyRow, std::u16string> ExpectedRows(const std::map<std::string, std::string>& tags,
                                                   const std::wstring& cacheName, int albumType, std::int64_t fileSize,
                                                   __time64_t fileTime, bool hasProperties);

}  // namespace quorvel::test
