// The colour "playback effects" of an album: Fall turns greens, cyans, blues
// and purples into reds and oranges; Summer turns reds, oranges and magentas
// into yellow-greens and greens; Winter makes a blue-tinted monochrome.
// Fall and Summer give every changed pixel its own random hue from the C
// runtime generator, so a seeded rand() makes them repeatable.
#pragma once
#include <cstdint>
#include <vector>

#include "base/PixelBlock.h"

namespace quorvel {

// low + rand() * (high - low) / (RAND_MAX + 1): a value in low .. high - 1
// (low itself when high is not above low).
unsigned RandomBetween(unsigned low, unsigned high);

// One hue in whole degrees (0 to 359) per pixel, row by row; 0 where a pixel
// has no valid hue.
std::vector<std::uint16_t> PhotoHues(const PixelBlock& photo);

// Both take the hues PhotoHues gave for the same photo.
void FallEffect(PixelBlock& photo, const std::vector<std::uint16_t>& hues);
void SummerEffect(PixelBlock& photo, const std::vector<std::uint16_t>& hues);
void WinterEffect(PixelBlock& photo);

// Effect bits of an album: 2 Fall, 1 Winter, 4 Summer, checked in that order;
// only the first set bit acts; 0 does nothing.
void ApplyPlaybackEffect(PixelBlock& photo, int effectBits);

}  // namespace quorvel
