#include "display/PixelOps.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace quorvel {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

TEST(PixelOps, ReverseRowsPutsTheLastRowFirst) {
    // 3 rows of 12 bytes: source row 2 first, row 0 last.
    const std::vector<std::uint8_t> source = Counting(36);
    std::vector<std::uint8_t> out(36, 0xEE);
    ReverseRows(12, 3, out.data(), source.data());
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 12; ++i) EXPECT_EQ(out[row * 12 + i], source[(2 - row) * 12 + i]) << row << "," << i;

    // In place gives the same rows, with an odd and an even row count.
    for (int rows : {3, 4}) {
        std::vector<std::uint8_t> copied(12 * rows, 0), inPlace = Counting(12 * rows);
        ReverseRows(12, rows, copied.data(), inPlace.data());
        ReverseRows(12, rows, inPlace.data(), inPlace.data());
        EXPECT_EQ(inPlace, copied) << rows << " rows";
    }
}

TEST(PixelOps, ReverseRowsIgnoresMissingBlocksAndEmptySizes) {
    const std::vector<std::uint8_t> source = Counting(24);
    std::vector<std::uint8_t> out(24, 0xEE);
    ReverseRows(0, 2, out.data(), source.data());
    ReverseRows(-12, 2, out.data(), source.data());
    ReverseRows(12, 0, out.data(), source.data());
    ReverseRows(12, 2, nullptr, source.data());
    ReverseRows(12, 2, out.data(), nullptr);
    EXPECT_EQ(out, std::vector<std::uint8_t>(24, 0xEE));
}

TEST(PixelOps, MirrorRowsReversesThePixelsOfEachRow) {
    // Two rows of three pixels: pixel c of a row becomes pixel 2 - c, and the
    // three bytes of a pixel keep their order.
    const std::vector<std::uint8_t> source = Counting(18);
    std::vector<std::uint8_t> out(18, 0);
    MirrorRows(3, 2, out.data(), source.data());
    EXPECT_EQ(out, (std::vector<std::uint8_t>{6, 7, 8, 3, 4, 5, 0, 1, 2, 15, 16, 17, 12, 13, 14, 9, 10, 11}));

    std::vector<std::uint8_t> inPlace = source;
    MirrorRows(3, 2, inPlace.data(), inPlace.data());
    EXPECT_EQ(inPlace, out);
    std::vector<std::uint8_t> even = Counting(24), evenCopy(24, 0);
    MirrorRows(4, 2, evenCopy.data(), even.data());
    MirrorRows(4, 2, even.data(), even.data());
    EXPECT_EQ(even, evenCopy);

    std::vector<std::uint8_t> untouched(18, 0xEE);
    MirrorRows(0, 2, untouched.data(), source.data());
    MirrorRows(3, 2, nullptr, source.data());
    MirrorRows(3, 2, untouched.data(), nullptr);
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(18, 0xEE));
}

TEST(PixelOps, TrimmingRemovesBlanksAndTabsOnly) {
    std::u16string text = u" \t Album 1 \t";
    TrimLeading(text);
    EXPECT_EQ(text, u"Album 1 \t");
    text = u" \t Album 1 \t";
    TrimBoth(text);
    EXPECT_EQ(text, u"Album 1");

    std::u16string blanks = u" \t \t";
    TrimBoth(blanks);
    EXPECT_EQ(blanks, u"");
    std::u16string other = u"\u00A0x\n";
    TrimBoth(other);
    EXPECT_EQ(other, u"\u00A0x\n");
    std::u16string inner = u"a \tb";
    TrimBoth(inner);
    EXPECT_EQ(inner, u"a \tb");
}

}  // namespace
}  // namespace quorvel
