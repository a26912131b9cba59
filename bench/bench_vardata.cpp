// SPDX-License-Identifier: GPL-3.0-or-later
// CVarDataGroup against a std::vector<CVarData> plus std::unordered_map baseline: time of the
// ID-keyed operations and heap bytes held by a 16-value group.
#include <LmVarData/VarDataGroup.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

// Counting allocator: every allocation of the process, the library's included, goes through
// these, and a header remembers its size so that deletes can be subtracted.
namespace {

std::atomic<std::int64_t> g_liveBytes{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* CountedAlloc(std::size_t size)
{
    void* raw = std::malloc(size + kHeader);
    if (!raw)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(raw) = size;
    g_liveBytes.fetch_add(static_cast<std::int64_t>(size), std::memory_order_relaxed);
    return static_cast<char*>(raw) + kHeader;
}

void CountedFree(void* p) noexcept
{
    if (!p)
        return;
    void* raw = static_cast<char*>(p) - kHeader;
    g_liveBytes.fetch_sub(static_cast<std::int64_t>(*static_cast<std::size_t*>(raw)),
                          std::memory_order_relaxed);
    std::free(raw);
}

} // namespace

void* operator new(std::size_t size)
{
    return CountedAlloc(size);
}
void* operator new[](std::size_t size)
{
    return CountedAlloc(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return CountedAlloc(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* p) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p) noexcept
{
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    CountedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    CountedFree(p);
}

namespace {

constexpr int kValues = 16;

// IDs as decoded payloads carry them: command code times 65536 plus an item number.
unsigned int IdAt(int i)
{
    return 0x00040000u + static_cast<unsigned int>(i) * 3u + 1u;
}

struct Baseline
{
    std::vector<CVarData> values;
    std::unordered_map<std::uint32_t, int> index;

    void Add(const CVarData& value)
    {
        const auto it = index.find(value.GetID());
        if (it != index.end()) {
            values[static_cast<std::size_t>(it->second)] = value;
            return;
        }
        index.emplace(value.GetID(), static_cast<int>(values.size()));
        values.push_back(value);
    }
    int Find(std::uint32_t id) const
    {
        const auto it = index.find(id);
        return it == index.end() ? -1 : it->second;
    }
};

std::vector<CVarData> SampleValues()
{
    std::vector<CVarData> values;
    values.reserve(kValues);
    for (int i = 0; i < kValues; ++i)
        values.emplace_back(i * 7, IdAt(i));
    return values;
}

CVarDataGroup SampleGroup()
{
    CVarDataGroup group;
    for (const CVarData& value : SampleValues())
        group.Add(value);
    return group;
}

Baseline SampleBaseline()
{
    Baseline baseline;
    for (const CVarData& value : SampleValues())
        baseline.Add(value);
    return baseline;
}

void BM_AddNewId_Group(benchmark::State& state)
{
    const std::vector<CVarData> values = SampleValues();
    CVarDataGroup group;
    for (auto _ : state) {
        for (const CVarData& value : values)
            benchmark::DoNotOptimize(group.Add(value));
        group.RemoveAll();
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_AddNewId_Group);

void BM_AddNewId_Baseline(benchmark::State& state)
{
    const std::vector<CVarData> values = SampleValues();
    Baseline baseline;
    for (auto _ : state) {
        for (const CVarData& value : values) {
            baseline.Add(value);
            benchmark::DoNotOptimize(baseline.values.size());
        }
        baseline.values.clear();
        baseline.index.clear();
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_AddNewId_Baseline);

void BM_LookupHit_Group(benchmark::State& state)
{
    const CVarDataGroup group = SampleGroup();
    for (auto _ : state) {
        for (int i = 0; i < kValues; ++i)
            benchmark::DoNotOptimize(group.GetIndex(IdAt(i)));
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_LookupHit_Group);

void BM_LookupHit_Baseline(benchmark::State& state)
{
    const Baseline baseline = SampleBaseline();
    for (auto _ : state) {
        for (int i = 0; i < kValues; ++i)
            benchmark::DoNotOptimize(baseline.Find(IdAt(i)));
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_LookupHit_Baseline);

void BM_LookupMiss_Group(benchmark::State& state)
{
    const CVarDataGroup group = SampleGroup();
    for (auto _ : state) {
        for (int i = 0; i < kValues; ++i)
            benchmark::DoNotOptimize(group.GetIndex(IdAt(i) + 1));
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_LookupMiss_Group);

void BM_LookupMiss_Baseline(benchmark::State& state)
{
    const Baseline baseline = SampleBaseline();
    for (auto _ : state) {
        for (int i = 0; i < kValues; ++i)
            benchmark::DoNotOptimize(baseline.Find(IdAt(i) + 1));
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_LookupMiss_Baseline);

void BM_CopyAssign_Group(benchmark::State& state)
{
    const CVarDataGroup source = SampleGroup();
    CVarDataGroup target;
    for (auto _ : state) {
        target = source;
        benchmark::DoNotOptimize(target.GetSize());
    }
}
BENCHMARK(BM_CopyAssign_Group);

void BM_CopyAssign_Baseline(benchmark::State& state)
{
    const Baseline source = SampleBaseline();
    Baseline target;
    for (auto _ : state) {
        target.values = source.values;
        target.index = source.index;
        benchmark::DoNotOptimize(target.values.size());
    }
}
BENCHMARK(BM_CopyAssign_Baseline);

// A fresh target each time: assignment that has to allocate everything.
void BM_CopyConstruct_Group(benchmark::State& state)
{
    const CVarDataGroup source = SampleGroup();
    for (auto _ : state) {
        // The copy is what is measured.
        CVarDataGroup target(source); // NOLINT(performance-unnecessary-copy-initialization)
        benchmark::DoNotOptimize(target.GetSize());
    }
}
BENCHMARK(BM_CopyConstruct_Group);

void BM_CopyConstruct_Baseline(benchmark::State& state)
{
    const Baseline source = SampleBaseline();
    for (auto _ : state) {
        Baseline target(source);
        benchmark::DoNotOptimize(target.values.size());
    }
}
BENCHMARK(BM_CopyConstruct_Baseline);

template <class Build> void MeasureHeld(benchmark::State& state, Build build)
{
    std::int64_t held = 0;
    for (auto _ : state) {
        const std::int64_t before = g_liveBytes.load();
        auto object = build();
        held = g_liveBytes.load() - before;
        benchmark::DoNotOptimize(object);
    }
    state.counters["heap_bytes"] = static_cast<double>(held);
}

void BM_HeapBytes16_Group(benchmark::State& state)
{
    MeasureHeld(state, [] { return std::make_unique<CVarDataGroup>(SampleGroup()); });
}
BENCHMARK(BM_HeapBytes16_Group);

void BM_HeapBytes16_Baseline(benchmark::State& state)
{
    MeasureHeld(state, [] { return std::make_unique<Baseline>(SampleBaseline()); });
}
BENCHMARK(BM_HeapBytes16_Baseline);

// Keeps the fastest time and the last heap figure of each benchmark for the summary.
class CSummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // Single runs, or the median when only aggregates are reported. CPU time, as the
            // machine is shared and wall time includes waits for it.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median)
                continue;
            const std::string name = run.run_name.str();
            const double t = run.GetAdjustedCPUTime();
            auto it = m_times.find(name);
            if (it == m_times.end() || t < it->second)
                m_times[name] = t;
            const auto bytes = run.counters.find("heap_bytes");
            if (bytes != run.counters.end())
                m_bytes[name] = bytes->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    int PrintSummary() const
    {
        int failures = 0;
        std::printf(
            "\nSummary, CPU time (group against vector + unordered_map baseline, limit 2.00x):\n");
        for (const char* op :
             {"AddNewId", "LookupHit", "LookupMiss", "CopyAssign", "CopyConstruct"}) {
            const auto group = m_times.find(std::string("BM_") + op + "_Group");
            const auto base = m_times.find(std::string("BM_") + op + "_Baseline");
            if (group == m_times.end() || base == m_times.end() || base->second <= 0)
                continue;
            const double ratio = group->second / base->second;
            const bool gated = std::string(op) != "CopyConstruct";
            const bool ok = !gated || ratio <= 2.0;
            failures += ok ? 0 : 1;
            std::printf("  %-14s %9.1f ns  baseline %9.1f ns  ratio %5.2fx  %s\n", op,
                        group->second, base->second, ratio,
                        gated ? (ok ? "ok" : "OVER") : "(info)");
        }
        const auto group = m_bytes.find("BM_HeapBytes16_Group");
        const auto base = m_bytes.find("BM_HeapBytes16_Baseline");
        if (group != m_bytes.end() && base != m_bytes.end()) {
            const bool ok = group->second <= 4096;
            failures += ok ? 0 : 1;
            std::printf("  heap bytes of a 16-value group: %.0f (baseline %.0f, limit 4096)  %s\n",
                        group->second, base->second, ok ? "ok" : "OVER");
        }
        return failures;
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, double> m_bytes;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.PrintSummary() == 0 ? 0 : 1;
}
