// Extracting a 64 MiB pack of mixed entry sizes, against copying the same bytes as
// one file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>

#include "bench_files.h"
#include "pack/packlib.h"

namespace {

const std::string& Pack64() {
    static const std::string path = [] {
        const std::string p = vtl::bench::Scratch("mixed64.pak").string();
        // Tiny text files, font strips, pictures around the copy buffer's size and a
        // few large sounds, cycled until 64 MiB of data.
        const std::int32_t sizes[] = {37, 900, 4096, 61439, 61440, 61441, 200000, 750000, 3000000};
        std::vector<std::int32_t> entries;
        std::int64_t total = 0;
        for (std::size_t i = 0; total < (64 << 20); ++i) {
            std::int32_t s = sizes[i % (sizeof sizes / sizeof sizes[0])];
            if (total + s > (64 << 20)) s = static_cast<std::int32_t>((64 << 20) - total);
            entries.push_back(s);
            total += s;
        }
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        auto le32 = [&](std::int32_t v) {
            for (int b = 0; b < 4; ++b) out.put(static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * b)));
        };
        out.write("VOXAPACK", 8);
        le32(1);
        le32(static_cast<std::int32_t>(entries.size()));
        out.write(std::string(16, '\0').data(), 16);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::string name = "entry" + std::to_string(i) + ".bin";
            char e[28] = {};
            e[0] = static_cast<char>(name.size());
            name.copy(e + 1, name.size());
            out.write(e, 28);
            le32(entries[i]);
        }
        std::vector<char> data(3000000);
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + (i >> 9));
        for (const auto s : entries) out.write(data.data(), s);
        return p;
    }();
    return path;
}

void BM_ExtractPack64MiB(benchmark::State& state) {
    const std::string target = vtl::bench::Scratch("extract").string();
    std::int32_t files = 0;
    for (auto _ : state) files = vtl::ExtractPack(Pack64(), target);
    state.SetBytesProcessed(state.iterations() * (std::int64_t{64} << 20));
    state.counters["files"] = files;
    vtl::ClearFolder(target);
}

void BM_PlainCopy64MiB(benchmark::State& state) {
    const std::string target = vtl::bench::Scratch("copy.bin").string();
    for (auto _ : state) benchmark::DoNotOptimize(vtl::bench::PlainCopy(Pack64(), target));
    state.SetBytesProcessed(state.iterations() * (std::int64_t{64} << 20));
}

BENCHMARK(BM_PlainCopy64MiB)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ExtractPack64MiB)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace
