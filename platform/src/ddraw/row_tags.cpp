// Tags for rows whose whole content is known: equal lists of paints over a
// whole row draw equal pixels, whichever surface holds them, so the
// presenter may skip comparing a row whose tag it showed last time.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ddraw/surface_memory.h"

namespace vplat::ddraw {
namespace {

// Lists seen, each under a number no write or list had before, in a table
// of open addressing over one store of paints: finding a list costs a hash
// and one compare, and nothing is allocated once the store has grown. The
// table is emptied when half full or when the store is: a list seen again
// then gets a new number, which costs a compare but can never make two
// different lists equal.
constexpr size_t kSlots = 1024;
constexpr size_t kMostPaints = 4096;
// The column of a row's number of its own, not from the table.
constexpr int kOwnNumber = -2;

struct Seen {
    uint64_t number = 0;  // 0: an empty slot
    uint64_t hash = 0;
    uint32_t first = 0;  // where its paints start in the store
    uint32_t size = 0;
};

struct Table {
    std::vector<Seen> slots = std::vector<Seen>(kSlots);
    std::vector<RowPaint> paints;
    size_t used = 0;
};

uint64_t HashOf(const RowRecipe& recipe) {
    uint64_t hash = recipe.size;
    for (uint32_t i = 0; i < recipe.size; ++i) {
        uint64_t words[4];
        static_assert(sizeof words == offsetof(RowPaint, from), "the compared fields");
        memcpy(words, &recipe[i], sizeof words);
        for (uint64_t word : words) {
            hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
        }
    }
    return hash ^ (hash >> 29);
}

bool Holds(const Table& table, const Seen& seen, const RowRecipe& recipe) {
    if (seen.size != recipe.size) {
        return false;
    }
    for (uint32_t i = 0; i < recipe.size; ++i) {
        if (!(table.paints[seen.first + i] == recipe[i])) {
            return false;
        }
    }
    return true;
}

uint64_t NumberOf(const RowRecipe& recipe) {
    static Table table;
    if (table.used >= kSlots / 2 || table.paints.size() + recipe.size > kMostPaints) {
        table.slots.assign(kSlots, Seen{});
        table.paints.clear();
        table.used = 0;
    }
    uint64_t hash = HashOf(recipe);
    size_t slot = hash & (kSlots - 1);
    for (; table.slots[slot].number != 0; slot = (slot + 1) & (kSlots - 1)) {
        const Seen& seen = table.slots[slot];
        if (seen.hash == hash && Holds(table, seen, recipe)) {
            return seen.number;
        }
    }
    Seen& seen = table.slots[slot];
    seen = Seen{NextWriteNumber(), hash, static_cast<uint32_t>(table.paints.size()), recipe.size};
    for (uint32_t i = 0; i < recipe.size; ++i) {
        table.paints.push_back(recipe[i]);
    }
    ++table.used;
    return seen.number;
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
        if (recipe.tag.sourceX == kOwnNumber) {
            // Shown once and not drawn otherwise since: a list that stays
            // is worth finding in the table.
            recipe.tag = internal::RowTag{NumberOf(recipe), -1, -1};
        }
        return recipe.tag;
    }
    if (recipe.size == 1 && first.kind == RowPaint::Kind::Copy) {
        // A whole row copied: the source row says it all, with no table.
        // Numbers from the table come with column -1, which no copy has.
        recipe.tag = first.source;
    } else if (recipe.size == 1) {
        recipe.tag = internal::RowTag{NumberOf(recipe), -1, -1};
    } else {
        // A list just drawn, most often one that will not come again (a
        // sprite moving over the row): a number of its own, which never
        // equals another, until it is shown again unchanged.
        recipe.tag = internal::RowTag{NextWriteNumber(), kOwnNumber, -1};
    }
    // The first paint alone, and the columns of the others: worked out with
    // the tag, for a presenter that finds the tag changed.
    recipe.base = recipe.tag;
    recipe.left = 0;
    recipe.right = 0;
    if (recipe.size > 1) {
        RowRecipe alone;
        alone.Push(first);
        recipe.base = first.kind == RowPaint::Kind::Copy
                          ? first.source
                          : internal::RowTag{NumberOf(alone), -1, -1};
        recipe.left = width_;
        for (uint32_t i = 1; i < recipe.size; ++i) {
            recipe.left = std::min(recipe.left, recipe[i].x);
            recipe.right = std::max(recipe.right, recipe[i].x + recipe[i].width);
        }
    }
    return recipe.tag;
}

}  // namespace vplat::ddraw
