// The generator draws the preview and shapes the glasses to the face with the scene's
// own placement. Here the scene draws frames on the recording device, and the
// generator's matrices must be the ones the scene handed the device, bit for bit, and
// its glasses frame must be the scene's glasses on the scene's skull. Native builds
// only, where the generator's code is linked in.
#if !defined(_WIN32) && defined(VTL_ASSETS_DIR)

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "glasses.h"
#include "raster.h"
#include "unit/scene/frame_reader.h"
#include "unit/scene/scene_fixture.h"

namespace vtl::scene_test {
namespace {

struct Matrix {
    D3DMATRIX m;
    bool operator==(const Matrix& o) const { return std::memcmp(&m, &o.m, sizeof m) == 0; }
};

std::ostream& operator<<(std::ostream& out, const Matrix& matrix) {
    for (const auto& row : matrix.m.m) out << "[" << row[0] << " " << row[1] << " " << row[2] << " " << row[3] << "]";
    return out;
}

Matrix Recorded(const RecordingLog& log, std::uint32_t transform) {
    for (const RecordedCall& c : log.Calls())
        if (c.name == "SetTransform" && c.args[0] == transform) return {c.matrix};
    ADD_FAILURE() << "transform " << transform << " never set";
    return {};
}

class GeneratorPlacementTest : public SceneTest {
protected:
    // One frame of a still scene at the given turn.
    void DrawAt(Scene& s, float angle) {
        s.RotationStep = 0;
        s.RotationAngle = angle;
        log().Clear();
        s.RenderFrame();
    }
};

TEST_F(GeneratorPlacementTest, WorldMatricesAreTheScenesBitForBit) {
    Scene& s = MakeScene();
    for (float angle : {kInitialRotationAngle, -62.0f, -37.5f, 0.0f, 123.25f, 359.5f}) {
        SCOPED_TRACE(angle);
        DrawAt(s, angle);
        const FrameReader frame(s);
        EXPECT_EQ(Matrix{frame.WorldAt(log(), "quad.front")}, Matrix{BackgroundWorld()});
        EXPECT_EQ(Matrix{frame.WorldAt(log(), "skull.front")}, Matrix{SkullWorld(angle)});
        EXPECT_EQ(Matrix{frame.WorldAt(log(), "glasses.front")}, Matrix{GlassesWorld(angle)});
    }
}

// A screen whose height over width is no short binary fraction, so the aspect must be
// formed as the renderer forms it.
TEST_F(GeneratorPlacementTest, CameraIsTheScenesBitForBit) {
    scene = std::make_unique<Scene>(Services());
    scene->Setup(kWindow, 1366, 768);
    log().Clear();
    scene->RenderFrame();
    const Raster raster(1366, 768);
    EXPECT_EQ(Recorded(log(), D3DTS_VIEW), Matrix{raster.View()});
    EXPECT_EQ(Recorded(log(), D3DTS_PROJECTION), Matrix{raster.Projection()});
}

// The glasses are laid out on the skull and carried into their own frame by the
// inverse of their placement: a glasses point the scene draws lands where the scene
// draws the skull point GlassesToSkull names.
TEST_F(GeneratorPlacementTest, GlassesFrameIsTheScenesGlassesOnTheScenesSkull) {
    Scene& s = MakeScene();
    for (float angle : {kInitialRotationAngle, 17.0f}) {
        DrawAt(s, angle);
        const FrameReader frame(s);
        const D3DMATRIX glasses = frame.WorldAt(log(), "glasses.front"), skull = frame.WorldAt(log(), "skull.front");
        for (const sdf::Vec3 g : {sdf::Vec3{0, 0, 0}, sdf::Vec3{1, 0, 0}, sdf::Vec3{0, 1, 0}, sdf::Vec3{0, 0, 1},
                                  sdf::Vec3{0.5, -0.8, -0.7}, sdf::Vec3{-0.6, 0.2, 0.1}}) {
            SCOPED_TRACE(testing::Message() << angle << ": " << g.x << " " << g.y << " " << g.z);
            const sdf::Vec3 onSkull = GlassesToSkull(g);
            const D3DVECTOR drawn = Apply({float(g.x), float(g.y), float(g.z)}, glasses);
            const D3DVECTOR expected = Apply({float(onSkull.x), float(onSkull.y), float(onSkull.z)}, skull);
            EXPECT_NEAR(drawn.x, expected.x, 2e-6);
            EXPECT_NEAR(drawn.y, expected.y, 2e-6);
            EXPECT_NEAR(drawn.z, expected.z, 2e-6);
        }
    }
}

}  // namespace
}  // namespace vtl::scene_test

#endif
