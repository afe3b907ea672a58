#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/voxamesh.h"
#include "platform/errors.h"

namespace vtl {
namespace {

namespace fs = std::filesystem;

// Little-endian byte builder for mesh files, so a case can say exactly what lies on disk.
struct Bytes {
    std::vector<unsigned char> b;
    Bytes& Raw(const char* s, std::size_t n) {
        b.insert(b.end(), s, s + n);
        return *this;
    }
    Bytes& I32(std::int32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(v) >> (8 * i)));
        return *this;
    }
    Bytes& F32(float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return I32(static_cast<std::int32_t>(u));
    }
    Bytes& Fill(std::size_t n, unsigned char c = 0) {
        b.insert(b.end(), n, c);
        return *this;
    }
    Bytes& Header(std::int32_t t, std::int32_t v, std::int32_t n, std::int32_t u, const char* magic = "VOXAMESH",
                  std::int32_t version = 1, std::int32_t reserved = 0) {
        return Raw(magic, 8).I32(version).I32(reserved).I32(t).I32(v).I32(n).I32(u);
    }
};

class MeshFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Parameterised tests are named "Name/3": one folder per test, not a sub-folder.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (auto& c : name)
            if (c == '/') c = '_';
        dir_ = fs::temp_directory_path() / ("vtl_mesh_" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "m.msh").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Write(const Bytes& bytes) {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.b.data()), static_cast<std::streamsize>(bytes.b.size()));
    }
    int Load() { return LoadMeshFile(path_, t_, v_, n_, u_, mesh_); }

    fs::path dir_;
    std::string path_;
    std::int32_t t_ = 77, v_ = 77, n_ = 77, u_ = 77;
    MeshData mesh_{{TMeshTriangle{}}, {}, {}, {}};  // one marker triangle: "as the caller left it"
};

Bytes OneTriangle() {
    Bytes b;
    b.Header(1, 3, 1, 0);
    for (int i = 0; i < 9; ++i) b.I32(i < 3 ? i : 0);
    for (int i = 0; i < 12; ++i) b.F32(static_cast<float>(i));
    return b;
}

TEST_F(MeshFileTest, HeaderAloneIsAnEmptyMesh) {
    Write(Bytes().Header(0, 0, 0, 0));
    ASSERT_EQ(Load(), 0);
    EXPECT_EQ(t_ + v_ + n_ + u_, 0);
    EXPECT_TRUE(mesh_.triangles.empty() && mesh_.positions.empty() && mesh_.normals.empty() && mesh_.texCoords.empty());
}

TEST_F(MeshFileTest, ReadsEverySectionInFileOrder) {
    Bytes b;
    b.Header(1, 3, 2, 2);
    for (int i = 0; i < 9; ++i) b.I32(100 + i);
    for (int i = 0; i < 9; ++i) b.F32(1.0f + i);
    for (int i = 0; i < 6; ++i) b.F32(-1.0f - i);
    b.F32(0.25f).F32(0.5f).F32(0.75f).F32(1.0f);
    ASSERT_EQ(b.b.size(), 32u + 36 + 36 + 24 + 16);
    Write(b);
    ASSERT_EQ(Load(), 0);
    EXPECT_EQ(t_, 1);
    EXPECT_EQ(v_, 3);
    EXPECT_EQ(n_, 2);
    EXPECT_EQ(u_, 2);
    ASSERT_EQ(mesh_.triangles.size(), 1u);
    EXPECT_EQ(mesh_.triangles[0].V0, 100);
    EXPECT_EQ(mesh_.triangles[0].T2, 108);
    ASSERT_EQ(mesh_.positions.size(), 3u);
    EXPECT_EQ(mesh_.positions[2].z, 9.0f);
    ASSERT_EQ(mesh_.normals.size(), 2u);
    EXPECT_EQ(mesh_.normals[1].x, -4.0f);
    ASSERT_EQ(mesh_.texCoords.size(), 2u);
    EXPECT_EQ(mesh_.texCoords[1].u, 0.75f);
    EXPECT_EQ(mesh_.texCoords[1].v, 1.0f);
}

TEST_F(MeshFileTest, IndicesArePassedThroughUnchecked) {
    Bytes b;
    b.Header(1, 0, 0, 0);
    for (int i = 0; i < 9; ++i) b.I32(1000000 - i);
    Write(b);
    ASSERT_EQ(Load(), 0);
    EXPECT_EQ(mesh_.triangles[0].V0, 1000000);
}

struct BadCase {
    const char* what;
    Bytes bytes;
    int result;
    bool countsSet;  // -2 reports the counts it read; -1 leaves them alone
};

class MeshFileBadTest : public MeshFileTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(MeshFileBadTest, RefusesWithoutTouchingTheArrays) {
    Write(GetParam().bytes);
    EXPECT_EQ(Load(), GetParam().result) << GetParam().what;
    ASSERT_EQ(mesh_.triangles.size(), 1u) << GetParam().what;
    if (!GetParam().countsSet)
        EXPECT_EQ(t_, 77) << GetParam().what;
    else
        EXPECT_NE(t_, 77) << GetParam().what;
}

Bytes Trimmed(Bytes b, std::size_t n) {
    b.b.resize(b.b.size() - n);
    return b;
}

const std::int32_t kMax = 0x7fffffff;

INSTANTIATE_TEST_SUITE_P(
    Cases, MeshFileBadTest,
    ::testing::Values(BadCase{"lower-case magic", Bytes().Header(0, 0, 0, 0, "voxamesh"), -1, false},
                      BadCase{"version 2", Bytes().Header(0, 0, 0, 0, "VOXAMESH", 2), -1, false},
                      BadCase{"reserved 1", Bytes().Header(0, 0, 0, 0, "VOXAMESH", 1, 1), -1, false},
                      BadCase{"empty file", Bytes(), -1, false}, BadCase{"5 bytes", Bytes().Raw("VOXAM", 5), -1, false},
                      BadCase{"magic only", Bytes().Raw("VOXAMESH", 8), -1, false},
                      BadCase{"magic and version", Bytes().Raw("VOXAMESH", 8).I32(1), -1, false},
                      BadCase{"header cut in the counts", Bytes().Raw("VOXAMESH", 8).I32(1).I32(0).I32(1), -2, true},
                      BadCase{"one byte short", Trimmed(OneTriangle(), 1), -2, true},
                      BadCase{"one byte over", OneTriangle().Fill(1), -2, true},
                      BadCase{"negative count", Bytes().Header(-1, 0, 0, 0), -2, true},
                      // 32 + 36*T + ... computed in 32 bits would wrap to the real size of these files.
                      BadCase{"sum wraps 32 bits", Bytes().Header(0x71c71c72, 0, 0, 0).Fill(8), -2, true},
                      BadCase{"negative counts cancel", Bytes().Header(1, -3, 0, 0).Fill(36), -2, true},
                      BadCase{"all counts at maximum", Bytes().Header(kMax, kMax, kMax, kMax), -2, true}));

TEST_F(MeshFileTest, OneTriangleIs116BytesExactly) {
    Write(OneTriangle());
    EXPECT_EQ(fs::file_size(path_), 116u);
    EXPECT_EQ(Load(), 0);
}

TEST_F(MeshFileTest, MissingFileRaisesOpenError) {
    try {
        Load();
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + path_);
    }
}

TEST_F(MeshFileTest, SaveThenLoadGivesTheSameMesh) {
    MeshData out;
    out.triangles = {TMeshTriangle{0, 1, 2, 0, 0, 0, 0, 1, 1}, TMeshTriangle{2, 1, 0, 1, 1, 1, 1, 0, 0}};
    out.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    out.normals = {{0, 0, -1}, {0, 0, 1}};
    out.texCoords = {{0, 0}, {1, 1}};
    ASSERT_TRUE(SaveMeshFile(path_, out));
    EXPECT_EQ(fs::file_size(path_), 32u + 72 + 36 + 24 + 16);
    ASSERT_EQ(Load(), 0);
    ASSERT_EQ(mesh_.triangles.size(), 2u);
    EXPECT_EQ(std::memcmp(mesh_.triangles.data(), out.triangles.data(), 72), 0);
    EXPECT_EQ(std::memcmp(mesh_.positions.data(), out.positions.data(), 36), 0);
    EXPECT_EQ(std::memcmp(mesh_.normals.data(), out.normals.data(), 24), 0);
    EXPECT_EQ(std::memcmp(mesh_.texCoords.data(), out.texCoords.data(), 16), 0);
    // Replaces an existing, longer file rather than writing over its start.
    ASSERT_TRUE(SaveMeshFile(path_, MeshData{}));
    EXPECT_EQ(fs::file_size(path_), 32u);
}

}  // namespace
}  // namespace vtl
