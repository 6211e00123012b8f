// Filling sorted list boxes the way the catalogue does: delete item 0 until LB_ERR, then add every
// name unsorted and let the control sort it.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/platform/win32/item_collation.h"
#include "app/platform/win32/item_list.h"

namespace {

std::vector<std::string> SectorNames(int side) {
    std::vector<std::string> names;
    for (int x = side - 1; x >= 0; --x) {
        for (int y = 0; y < side; ++y) {
            names.push_back(std::to_string(x) + "_" + std::to_string(y));
        }
    }
    return names;
}

void BM_FillSortedList(benchmark::State& state) {
    const std::vector<std::string> names = SectorNames(static_cast<int>(state.range(0)));
    win32::ItemList list(true);
    for (auto _ : state) {
        while (list.Delete(0) != -1) {
        }
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(list.Add(name));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(names.size()));
}
BENCHMARK(BM_FillSortedList)->Arg(8)->Arg(32)->Arg(64);

void BM_CompareItemText(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(win32::CompareItemText("sector_10_9", "SECTOR_10_10"));
    }
}
BENCHMARK(BM_CompareItemText);

}  // namespace
