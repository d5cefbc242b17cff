// The Photos panel of the running program: a photo chosen with the keyboard
// is turned, halved and deleted for good, and an effect tried on it never
// reaches its cache copy.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kPhotos[] = L"Photos Panel - Quorvel";
const wchar_t kPhoto[] = L"0V_0H_ZoomIn_2_256";
constexpr int kWidth = 3200, kHeight = 1200;

std::wstring Album() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel\\QuorvelAlbums\\DefaultAlbum1"); }

struct CacheImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first
};

// A cache file's pixels as RGB, whatever its rows' padding.
std::optional<CacheImage> ReadCache(const std::wstring& name) {
    const auto file = ReadFileBytes(JoinPath(Album(), L"BMP\\" + name));
    if (!file || file->size() < 54) return std::nullopt;
    auto u32 = [&](std::size_t at) {
        return std::uint32_t((*file)[at]) | (std::uint32_t((*file)[at + 1]) << 8) |
               (std::uint32_t((*file)[at + 2]) << 16) | (std::uint32_t((*file)[at + 3]) << 24);
    };
    CacheImage image;
    image.width = int(u32(18));
    image.height = int(u32(22));
    const std::size_t stride = (std::size_t(image.width) * 3 + 3) / 4 * 4, offset = u32(10);
    if (image.width <= 0 || image.height <= 0 || offset + stride * image.height > file->size()) return std::nullopt;
    image.rgb.resize(std::size_t(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = file->data() + offset + stride * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c) image.rgb[(std::size_t(y) * image.width + x) * 3 + c] = row[x * 3 + 2 - c];
    }
    return image;
}

// The cache copies of the album, by name.
std::map<std::wstring, CacheImage> Caches() {
    std::map<std::wstring, CacheImage> caches;
    for (const std::wstring& name : ListFolder(JoinPath(Album(), L"BMP")))
        if (auto image = ReadCache(name)) caches[name] = std::move(*image);
    return caches;
}

// The one cache copy of the given width, or an empty name.
std::wstring CacheOfWidth(int width) {
    std::wstring found;
    for (const auto& [name, image] : Caches())
        if (image.width == width) {
            if (!found.empty()) return L"";
            found = name;
        }
    return found;
}

int Selected(HWND list) { return int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

class PhotosPanel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
        album = WaitForAlbumWindow(p);
        ASSERT_NE(album, nullptr);
        // Two more photos, each with a file of the same name and another
        // type beside it, as a camera's RAW file would be.
        const std::wstring photo = JoinPath(Album(), std::wstring(kPhoto) + L".png");
        for (const wchar_t* name : {L"Beach", L"Cliff"})
            ASSERT_TRUE(CopyFileW(photo.c_str(), JoinPath(Album(), std::wstring(name) + L".png").c_str(), FALSE));
        for (const std::wstring& name : {std::wstring(kPhoto), std::wstring(L"Beach"), std::wstring(L"Cliff")})
            ASSERT_TRUE(WriteFileBytes(JoinPath(Album(), name + L".CR2"), {'r', 'a', 'w'}));
        const auto turned = ReadFileBytes(JoinPath(TestProgramFolder(), L"album1_turned_right.rgb"));
        ASSERT_TRUE(turned) << "ImageMagick's turn was not made";
        expectedTurn = *turned;
    }
    HWND Open() {
        SendKey(album, VK_F2);
        HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
        if (home == nullptr || !ClickButton(FindControl(home, IDC_PHOTOS_PANEL))) return nullptr;
        return WaitForWindow(p.Pid(), kPhotos);
    }
    Process p;
    HWND album = nullptr;
    std::vector<std::uint8_t> expectedTurn;
};

TEST_F(PhotosPanel, TurnsHalvesAndDeletesTheHighlightedPhotoForGood) {
    HWND panel = Open();
    ASSERT_NE(panel, nullptr);
    HWND list = FindControl(panel, IDC_THUMBNAIL_LIST);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    ASSERT_EQ(Selected(list), 0);

    // Fall tried on the second photo, then another photo chosen and the
    // second again: its turn starts from its own colours.
    ASSERT_TRUE(PressKey(panel, VK_RIGHT));
    ASSERT_TRUE(WaitUntil([&] { return Selected(list) == 1; }));
    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_FALL_PREVIEW)));
    ASSERT_TRUE(PressKey(panel, VK_LEFT));
    ASSERT_TRUE(WaitUntil([&] { return Selected(list) == 0; }));
    ASSERT_TRUE(PressKey(panel, VK_RIGHT));
    ASSERT_TRUE(WaitUntil([&] { return Selected(list) == 1; }));

    HWND preview = FindControl(panel, IDC_PHOTO_PREVIEW);
    const RECT before = Rect(preview);
    EXPECT_GT(before.right - before.left, before.bottom - before.top);
    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_ROTATE_RIGHT)));
    std::wstring turned;
    ASSERT_TRUE(WaitUntil([&] { return !(turned = CacheOfWidth(kHeight)).empty(); }));
    const auto turnedImage = ReadCache(turned);
    ASSERT_TRUE(turnedImage);
    EXPECT_EQ(turnedImage->height, kWidth);
    EXPECT_TRUE(turnedImage->rgb == expectedTurn) << "the cache copy is the photo turned, in its own colours";
    const RECT after = Rect(preview);
    EXPECT_LT(after.right - after.left, after.bottom - after.top) << "the preview shows the photo upright";
    EXPECT_EQ(Selected(list), 1);

    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_HALVE_PHOTOS)));
    auto question = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(question);
    EXPECT_NE(question->text.find(L"reduce the resolution"), std::wstring::npos) << question->text;
    ASSERT_TRUE(Answer(*question, L"Yes"));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto image = ReadCache(turned);
            return image && image->width == kHeight / 2 && image->height == kWidth / 2;
        },
        2 * kDefaultTimeoutMs))
        << "halving writes the album's cache copies again, slow on a loaded machine";

    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_DELETE_PHOTO)));
    const std::wstring name = turned.substr(0, turned.size() - 4);
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(JoinPath(Album(), name + L".png")); }));
    EXPECT_FALSE(FileExists(JoinPath(Album(), L"BMP\\" + turned)));
    EXPECT_TRUE(FileExists(JoinPath(Album(), name + L".CR2")));
    EXPECT_EQ(ListFolder(Album()).size(), 2u + 3u + 1u) << "two photos, three RAW files and the cache folder";
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(Selected(list), 1);

    // Closing rebuilds the display from what the panel left, and shows no
    // failure: once the album window answers after the panel, the rebuild is
    // over or stopped at its box.
    ASSERT_TRUE(PressKey(panel, VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(panel); }));
    ASSERT_TRUE(WaitUntil([&] {
        HWND shown = WaitForAlbumWindow(p);
        return shown != nullptr && WaitUntilAnswering(shown, 2000);
    }));
    EXPECT_TRUE(OpenMessageBoxes(p.Pid()).empty()) << "a failure is shown";
}

}  // namespace
