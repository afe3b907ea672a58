#pragma once
// Where the scene puts things: the camera, the background plane, the models' turn and
// the glasses on the skull, and the models' colours. The scene draws with these, and
// the asset generator builds its meshes and renders its pictures with the same ones,
// so the glasses it shapes to the face sit where the saver draws them.
//
// Conventions of the renderer: row vectors, left-handed, degrees where a name says so;
// the world operations put their matrix in front of the current one, so the one
// called last acts first on a model vertex.
#include <cstdint>

namespace vtl {

// The camera stands on +z and looks at the origin; world +x is on the screen's left.
inline constexpr float kCameraEyeZ = 1.44f;
// The background quad stands this far behind the origin, facing the camera.
inline constexpr float kBackgroundZ = -1.24f;

// Both models turn about their own Z axis by the rotation angle, then tip about X.
inline constexpr float kModelTiltXDeg = -80.0f;
// The turn at program start: the skull's face (model +x) looks at the camera.
inline constexpr float kInitialRotationAngle = -90.0f;

// The glasses' placement, in their own frame before the turn: scaled, then moved,
// then turned with the skull a quarter turn further about Z. Kept as the exact
// decimals: the generator shapes the glasses with them in double precision, the scene
// hands them to the engine in single precision.
inline constexpr double kGlassesTurnDeg = 90.0;
inline constexpr double kGlassesOffsetY = -0.034;
inline constexpr double kGlassesOffsetZ = 0.25;
inline constexpr double kGlassesScaleXY = 0.37;
inline constexpr double kGlassesScaleZ = 0.4;

// Vertex colours (0x00RRGGBB): the light and the reflection modulate them.
inline constexpr std::uint32_t kSkullColor = 0x00FFFFFFu;
inline constexpr std::uint32_t kGlassesColor = 0x00404080u;

}  // namespace vtl
