// Loading the largest carried image, as "Proceed ->" does: the text copied into the dialog's buffer,
// the working image allocated and erased, the records read and the tags built. Also the record pass
// on its own. bench/compare-srec-cat sets the first figure against srec_cat on the same text.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestBench.h"
#include "images/ImageCatalogue.h"
#include "images/SRecordReader.h"

namespace {

const ImageCatalogueEntry& LargestCarriedImage() {
    return *std::max_element(ImageCatalogue.begin(), ImageCatalogue.end(), [](const auto& a, const auto& b) {
        return FindImageResource(a.resourceId)->size() < FindImageResource(b.resourceId)->size();
    });
}

void Describe(benchmark::State& state, const ImageCatalogueEntry& entry, std::size_t textSize) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * textSize));
    state.SetLabel(std::to_string(entry.resourceId) + ".s19");
}

void LoadLargestImage(benchmark::State& state) {
    const ImageCatalogueEntry& entry = LargestCarriedImage();
    TestBench bench;
    for (auto _ : state)
        if (!bench.dlg->LoadFirmwareImage(entry.imageIndex)) state.SkipWithError("the image did not load");
    Describe(state, entry, FindImageResource(entry.resourceId)->size());
}
BENCHMARK(LoadLargestImage)->Unit(benchmark::kMillisecond);

void ParseLargestImageRecords(benchmark::State& state) {
    const ImageCatalogueEntry& entry = LargestCarriedImage();
    const auto text = *FindImageResource(entry.resourceId);
    std::vector<uint8_t> image(entry.areaSize);
    for (auto _ : state) {
        std::fill(image.begin(), image.end(), 0xFF);
        benchmark::DoNotOptimize(ParseSRecords(text, image));
        benchmark::ClobberMemory();
    }
    Describe(state, entry, text.size());
}
BENCHMARK(ParseLargestImageRecords)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
