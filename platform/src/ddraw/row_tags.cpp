// Tags for rows whose whole content is known: equal lists of paints over a
// whole row draw equal pixels, whichever surface holds them, so the
// presenter may skip comparing a row whose tag it showed last time.
#include <string>
#include <unordered_map>

#include "ddraw/surface_memory.h"

namespace vplat::ddraw {
namespace {

// Lists seen, each under a number no write or list had before. The table is
// emptied when full: a list seen again then gets a new number, which costs a
// compare but can never make two different lists equal.
constexpr size_t kMostLists = 4096;

std::string Key(const RowRecipe& recipe) {
    std::string key;
    for (uint32_t i = 0; i < recipe.size; ++i) {
        const RowPaint& paint = recipe[i];
        const uint64_t words[] = {static_cast<uint64_t>(paint.kind),
                                  paint.bytesPerPixel,
                                  paint.source.write,
                                  static_cast<uint32_t>(paint.source.sourceX),
                                  static_cast<uint32_t>(paint.source.sourceY),
                                  static_cast<uint32_t>(paint.x),
                                  static_cast<uint32_t>(paint.width),
                                  paint.value};
        key.append(reinterpret_cast<const char*>(words), sizeof words);
    }
    return key;
}

uint64_t NumberOf(const RowRecipe& recipe) {
    static std::unordered_map<std::string, uint64_t> numbers;
    if (numbers.size() >= kMostLists) {
        numbers.clear();
    }
    uint64_t& number = numbers[Key(recipe)];
    if (number == 0) {
        number = NextWriteNumber();
    }
    return number;
}

}  // namespace

internal::RowTag SurfaceMemory::TagOf(int row) const {
    DrawPendingPaints();
    const RowRecipe& recipe = recipes_[static_cast<size_t>(row)];
    if (recipe.size == 0) {
        return internal::RowTag{};
    }
    const RowPaint& first = recipe.first;
    if (first.x != 0 || first.width != width_ || first.kind == RowPaint::Kind::KeyedCopy) {
        return internal::RowTag{};  // drawn over something unknown
    }
    if (recipe.tag.write != 0) {
        return recipe.tag;
    }
    if (recipe.size == 1 && first.kind == RowPaint::Kind::Copy) {
        // A whole row copied: the source row says it all, with no table.
        // Numbers from the table come with column -1, which no copy has.
        recipe.tag = first.source;
    } else {
        recipe.tag = internal::RowTag{NumberOf(recipe), -1, -1};
    }
    return recipe.tag;
}

}  // namespace vplat::ddraw
