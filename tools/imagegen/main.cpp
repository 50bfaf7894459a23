// Writes the carried firmware images, one S-record text per catalogue entry named by its resource
// id (1011.s19, ...), into the folder given. The same recipes give the same bytes on every run.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "CarriedImageRecipes.h"
#include "FirmwareImage.h"
#include "SRecordWriter.h"
#include "images/ImageCatalogue.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: imagegen OUTPUT-FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const CarriedImageRecipe& recipe : CarriedImageRecipes) {
        const ImageCatalogueEntry* entry = FindCatalogueEntry(recipe.imageIndex);
        if (!entry) {
            std::fprintf(stderr, "imagegen: image %d is not in the catalogue\n", recipe.imageIndex);
            return 1;
        }
        const std::string text = WriteSRecordText(BuildFirmwareImage(recipe, *entry), entry->name);
        const std::filesystem::path file = folder / (std::to_string(entry->resourceId) + ".s19");
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "imagegen: cannot write %s\n", file.string().c_str());
            return 1;
        }
    }
    return 0;
}
