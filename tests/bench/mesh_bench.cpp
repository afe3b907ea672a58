// Loading a 200,000-triangle mesh, against reading its bytes into memory raw.
#include <benchmark/benchmark.h>

#include "bench_files.h"
#include "engine/voxamesh.h"

namespace {

const std::string& Mesh200k() {
    static const std::string path = [] {
        const std::string p = vtl::bench::Scratch("mesh200k.msh").string();
        vtl::MeshData mesh;
        const std::int32_t vertices = 100000;
        for (std::int32_t i = 0; i < 200000; ++i) {
            const std::int32_t a = i % vertices, b = (i + 1) % vertices, c = (i + 7) % vertices;
            mesh.triangles.push_back({a, b, c, a, b, c, a, b, c});
        }
        for (std::int32_t i = 0; i < vertices; ++i) {
            const float f = static_cast<float>(i) * 0.001f;
            mesh.positions.push_back({f, -f, f * 2});
            mesh.normals.push_back({0, 0, 1});
            mesh.texCoords.push_back({f, 1 - f});
        }
        vtl::SaveMeshFile(p, mesh);
        return p;
    }();
    return path;
}

void BM_LoadMesh200k(benchmark::State& state) {
    std::int64_t bytes = 0;
    for (auto _ : state) {
        std::int32_t t, v, n, u;
        vtl::MeshData mesh;
        benchmark::DoNotOptimize(vtl::LoadMeshFile(Mesh200k(), t, v, n, u, mesh));
        bytes = 32 + 36 * std::int64_t{t} + 12 * std::int64_t{v + n} + 8 * std::int64_t{u};
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_ReadMeshBytesRaw(benchmark::State& state) {
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const auto raw = vtl::bench::ReadRaw(Mesh200k());
        benchmark::DoNotOptimize(raw.data());
        bytes = static_cast<std::int64_t>(raw.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

BENCHMARK(BM_ReadMeshBytesRaw)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_LoadMesh200k)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace
