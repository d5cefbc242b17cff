// The album photo types and the names that go with them: the search pattern
// of each type, the test of a found name against its type, and the name of
// a photo's copy in the album's bitmap cache.
#pragma once
#include <string>

namespace quorvel {

constexpr int kPhotoTypeCount = 7;

// Photo types 1 to 7: "*.jpg", "*.jpeg", "*.bmp", "*.png", "*.gif", "*.tif",
// "*.tiff". An unknown type gives an empty pattern.
std::u16string PhotoTypePattern(int type);
// True when `name` ends in the type's own extension (any letter case). A
// Windows search matches short names too, so "*.jpg" also yields "x.jpeg"
// and "*.tif" yields "x.tiff" (short name "X~1.TIF"): every search for a
// type's pattern keeps only the names this accepts.
bool NameHasPhotoType(const std::u16string& name, int type);
// The photo's cache file name: its extension replaced by "BMP".
std::u16string CacheFileName(const std::u16string& photoName, int type);
// True when the name ends in ".bmp" in any letter case.
bool HasBmpExtension(const std::u16string& name);
// An empty file in the cache folder while its copies were made turned
// upright by their photos' EXIF orientation (the TurnPhotosUpright setting).
constexpr char16_t kUprightCopiesMark[] = u"TurnedUpright";

}  // namespace quorvel
