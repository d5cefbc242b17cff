// Turning a fuzzer's bytes into the inputs the parsers take: UTF-16 text as
// Windows hands it over (little-endian pairs) and small numbers taken off
// the front of the data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Remaining() const { return size_ - pos_; }

    // Zero once the data is used up, so every input still reaches the parser.
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t Word() { return std::uint16_t(Byte() | Byte() << 8); }

    // The rest of the data as UTF-16 code units; an odd last byte is dropped.
    std::u16string RestAsText() {
        std::u16string text;
        while (Remaining() >= 2) text.push_back(char16_t(Word()));
        pos_ = size_;
        return text;
    }

    // The rest of the data as texts separated by a zero code unit, as a
    // command line's arguments or a list of names arrive.
    std::vector<std::u16string> RestAsTexts() {
        std::vector<std::u16string> texts(1);
        for (char16_t c : RestAsText()) {
            if (c == u'\0') {
                texts.emplace_back();
            } else {
                texts.back().push_back(c);
            }
        }
        return texts;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace quorvel::fuzz
