#include "base/PhotoTypes.h"

#include <string_view>

#include "base/Text.h"

namespace quorvel {

namespace {

struct PhotoType {
    const char16_t* extension;  // with its dot
    std::size_t replaced;       // characters replaced by "BMP" in the cache name
};

const PhotoType kPhotoTypes[kPhotoTypeCount] = {
    {u".jpg", 3}, {u".jpeg", 4}, {u".bmp", 3}, {u".png", 3}, {u".gif", 3}, {u".tif", 3}, {u".tiff", 4},
};

const PhotoType* TypeOf(int type) { return type >= 1 && type <= kPhotoTypeCount ? &kPhotoTypes[type - 1] : nullptr; }

bool EndsWithNoCase(std::u16string_view text, std::u16string_view tail) {
    return text.size() >= tail.size() && EqualsNoCaseAscii(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

std::u16string PhotoTypePattern(int type) {
    const PhotoType* t = TypeOf(type);
    if (t == nullptr) return {};
    std::u16string pattern = u"*";
    return pattern += t->extension;
}

bool NameHasPhotoType(const std::u16string& name, int type) {
    const PhotoType* t = TypeOf(type);
    return t != nullptr && name.size() > std::char_traits<char16_t>::length(t->extension) &&
           EndsWithNoCase(name, t->extension);
}

std::u16string CacheFileName(const std::u16string& photoName, int type) {
    const PhotoType* t = TypeOf(type);
    if (t == nullptr || photoName.size() < t->replaced) return {};
    return photoName.substr(0, photoName.size() - t->replaced) + u"BMP";
}

bool HasBmpExtension(const std::u16string& name) { return EndsWithNoCase(name, u".bmp"); }

}  // namespace quorvel
