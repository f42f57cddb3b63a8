#pragma once
namespace kelmora {
using FaceIndex = int;
inline constexpr FaceIndex kNoFace = -1;
}  // namespace kelmora
