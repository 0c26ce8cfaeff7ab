// The painter's algorithm's order, made quick: faces sorted far to near, so that nearer
// faces are painted over farther ones. The plain version, a Hoare quicksort of a dozen
// lines, is in depth_sort_plain.cpp; start there. This one leaves every face exactly where
// that one does, equal depths included: the drawing order decides the pixels, and equal
// depths are common. Five mechanisms make it quick, and none moves a face elsewhere:
//   1. It sorts eight-byte keys (depth and place) in one compact array, not the faces.
//   2. A radix sort finds every depth's rank first; a range the quicksort comes to that
//      holds no tie has one order, written out at once (KnownRanks).
//   3. A short range of distinct depths goes straight to its order by counting ranks
//      (placeByRank).
//   4. The partition finds the scans' stops a block at a time without branching on the
//      data, and swaps the very pairs the plain scans swap (hoarePartition).
//   5. The smaller part is sorted by recursion and the larger by the loop: the parts are
//      disjoint, so the order changes nothing, and the stack stays within log2 n.
#include "render3d/depth_sort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>


namespace {

// A face's sort key and its place in the list being sorted: eight bytes, so that the
// partition loops compare keys held in one compact array, a few dozen kilobytes, instead
// of reaching into every face (the faces of a frame span a megabyte).
struct DepthKey {
    float depth;
    uint32_t place;
};

float depthOf(const DepthKey& key) { return key.depth; }
float depthOf(const MeshFace* face) { return face->depth; }

// Lists up to this long are sorted as keys (the largest mesh of the show has 100,000
// faces); longer ones are sorted in place, by the same steps. File-level work tables.
constexpr int kKeyedSortCapacity = 1 << 17;
DepthKey keys[kKeyedSortCapacity];
MeshFace* unsortedFaces[kKeyedSortCapacity];

// Ranges this short are first offered to placeByRank.
constexpr int kRankedRange = 32;

// A range of distinct depths has one largest-first order, and the Hoare sort, being a
// sort, ends in it; so each entry can go straight to its place: the count of entries
// with a greater depth. That takes no branch on the data, where the Hoare steps guess at
// every one. Equal depths, or a NaN (greater and smaller than nothing), give two entries
// the same count; then the range is left as it is (false) for the Hoare steps, which
// decide where ties go.
template <typename Entry>
bool placeByRank(Entry* list, int lo, int hi) {
    const int n = hi - lo + 1;
    float depths[kRankedRange];
    // Past the range, minus infinity: greater than nothing, it adds to no count.
    std::fill(depths, depths + kRankedRange, -std::numeric_limits<float>::infinity());
    Entry entries[kRankedRange];
    for (int a = 0; a < n; ++a) {
        entries[a] = list[lo + a];
        depths[a] = depthOf(entries[a]);
    }
    int places[kRankedRange];
    uint32_t taken = 0;
    for (int a = 0; a < n; ++a) {
        int greater = 0;
        for (int b = 0; b < kRankedRange; ++b) greater += depths[b] > depths[a];
        places[a] = greater;
        taken |= uint32_t{1} << greater;
    }
    if (taken != (n == 32 ? ~uint32_t{0} : (uint32_t{1} << n) - 1)) return false;
    for (int a = 0; a < n; ++a) list[lo + places[a]] = entries[a];
    return true;
}

// Entries the block scans of hoarePartition look at in one go.
constexpr int kPartitionBlock = 16;

// The stoppers of one block: the offsets, in scan order, of the entries a Hoare scan
// would stop at; `used` of them have been swapped.
struct BlockStoppers {
    uint8_t offsets[kPartitionBlock];
    int count = 0;
    int used = 0;
    int start = 0;  // where the block begins (left) or ends (right)
    bool pending() const { return used < count; }
};

// The Hoare partition of lo..hi around pivot, largest depth first: i scans up to an entry
// not above the pivot, j down to one not below it, the two swap and step on, until they
// cross. The scans' stops are found a block at a time with no branch on the data (the
// Hoare loops guess at every entry) and the k-th stop on the left is swapped with the
// k-th on the right, the very pairs the loops swap: blocks on the two sides never
// overlap, so every pair is swapped before the scans cross, and entries not yet scanned
// are as the loops would find them. The last stretch, shorter than two blocks, runs the
// loops themselves from where the scans stand. Leaves the parts lo..j and i..hi.
template <typename Entry>
void hoarePartition(Entry* list, int lo, int hi, float pivot, int& iOut, int& jOut) {
    int i = lo;  // the unscanned entries are i..j
    int j = hi;
    BlockStoppers left;
    BlockStoppers right;
    while (j - i + 1 >= 2 * kPartitionBlock) {
        if (!left.pending()) {
            left.start = i;
            left.count = left.used = 0;
            for (int k = 0; k < kPartitionBlock; ++k) {
                left.offsets[left.count] = static_cast<uint8_t>(k);
                left.count += !(depthOf(list[i + k]) > pivot);
            }
            i += kPartitionBlock;
        }
        if (!right.pending()) {
            right.start = j;
            right.count = right.used = 0;
            for (int k = 0; k < kPartitionBlock; ++k) {
                right.offsets[right.count] = static_cast<uint8_t>(k);
                right.count += !(depthOf(list[j - k]) < pivot);
            }
            j -= kPartitionBlock;
        }
        const int pairs = std::min(left.count - left.used, right.count - right.used);
        for (int k = 0; k < pairs; ++k) {
            std::swap(list[left.start + left.offsets[left.used + k]],
                      list[right.start - right.offsets[right.used + k]]);
        }
        left.used += pairs;
        right.used += pairs;
    }
    // A scan with a stop still pending stands at it; the entries between it and the
    // unscanned ones are not stops, so the loops pass them as they would have.
    if (left.pending()) i = left.start + left.offsets[left.used];
    if (right.pending()) j = right.start - right.offsets[right.used];
    while (i <= j) {
        while (i < hi && depthOf(list[i]) > pivot) ++i;
        while (j > lo && depthOf(list[j]) < pivot) --j;
        if (i <= j) {
            std::swap(list[i], list[j]);
            ++i;
            --j;
        }
    }
    iOut = i;
    jOut = j;
}

// The depths of a list in largest-first order, found beforehand, and which of them are
// tied. Every range the Hoare steps come to holds, in some order, the depths ranked lo..hi:
// a partition leaves the larger depths on the left and the smaller on the right. So a
// range with no tie among those ranks has one largest-first order, the one the Hoare
// steps would end in, and it can be written out at once; only ranges holding ties, the
// few whose order is for the Hoare steps alone to decide, are partitioned further.
struct KnownRanks {
    const DepthKey* sorted;      // the keys, largest depth first
    const uint32_t* tiesBefore;  // tiesBefore[r]: how many of ranks 0..r-1 are tied
    bool finish(DepthKey* list, int lo, int hi) const {
        if (tiesBefore[hi + 1] != tiesBefore[lo]) return false;
        std::copy(sorted + lo, sorted + hi + 1, list + lo);
        return true;
    }
};

template <typename Entry>
bool finishKnown(const KnownRanks*, Entry*, int, int) {
    return false;
}
bool finishKnown(const KnownRanks* ranks, DepthKey* list, int lo, int hi) {
    return ranks != nullptr && ranks->finish(list, lo, hi);
}

// Hoare quicksort, largest depth first. After a partition the two parts lo..j and i..hi
// are disjoint ranges, each sorted on its own, so which goes first changes nothing: the
// smaller one is sorted by recursion and the larger by the loop, which keeps the recursion
// within log2 of the range's length.
template <typename Entry>
void hoareSort(Entry* list, int lo, int hi, const KnownRanks* ranks = nullptr) {
    while (lo < hi) {
        if (finishKnown(ranks, list, lo, hi)) return;
        if (hi - lo < kRankedRange && placeByRank(list, lo, hi)) return;
        int i, j;
        hoarePartition(list, lo, hi, depthOf(list[lo + (hi - lo) / 2]), i, j);
        if (j - lo < hi - i) {
            if (lo < j) hoareSort(list, lo, j, ranks);
            if (i >= hi) return;
            lo = i;
        } else {
            if (i < hi) hoareSort(list, i, hi, ranks);
            if (lo >= j) return;
            hi = j;
        }
    }
}

// From this many faces on, the ranks are found first (below it the Hoare steps alone are
// about as quick).
constexpr int kKnownRanksMinimum = 64;

// A depth as an unsigned key whose order is the depths' order reversed: largest first.
// -0 and +0 get neighbouring keys. Not for NaN.
uint32_t descendingKey(float depth) {
    uint32_t bits;
    std::memcpy(&bits, &depth, sizeof bits);
    const uint32_t ascending = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
    return ~ascending;
}

struct RadixEntry {
    uint32_t key;
    uint32_t place;
};
// Three passes of 11 bits, not four of 8: a pass fewer over the keys is worth more than
// the longer counting tables (8 KB each) cost.
constexpr int kRadixBits = 11;
constexpr uint32_t kRadixMask = (1u << kRadixBits) - 1;
constexpr int kRadixPasses = (32 + kRadixBits - 1) / kRadixBits;

RadixEntry radixFrom[kKeyedSortCapacity];
RadixEntry radixTo[kKeyedSortCapacity];
uint32_t radixCounts[kRadixPasses][kRadixMask + 1];
static_assert(kRadixPasses == 3, "findRanks counts the three digits in one loop");
DepthKey sortedKeys[kKeyedSortCapacity];
uint32_t tiesBefore[kKeyedSortCapacity + 1];

// The ranks of keys[0..count), by a radix sort in three passes of 11 bits (a pass whose
// digit all keys share is skipped). False, with nothing found, when a depth is NaN: it
// has no rank.
bool findRanks(const DepthKey* keys, int count, KnownRanks& ranks) {
    std::memset(radixCounts, 0, sizeof radixCounts);
    for (int k = 0; k < count; ++k) {
        if (keys[k].depth != keys[k].depth) return false;
        const uint32_t key = descendingKey(keys[k].depth);
        radixFrom[k] = {key, static_cast<uint32_t>(k)};
        ++radixCounts[0][key & kRadixMask];
        ++radixCounts[1][(key >> kRadixBits) & kRadixMask];
        ++radixCounts[2][key >> (2 * kRadixBits)];
    }
    RadixEntry* from = radixFrom;
    RadixEntry* to = radixTo;
    for (int pass = 0; pass < kRadixPasses; ++pass) {
        const int shift = kRadixBits * pass;
        uint32_t* counts = radixCounts[pass];
        if (counts[(from[0].key >> shift) & kRadixMask] == static_cast<uint32_t>(count)) continue;
        uint32_t start = 0;
        for (uint32_t v = 0; v <= kRadixMask; ++v) start += std::exchange(counts[v], start);
        for (int k = 0; k < count; ++k) to[counts[(from[k].key >> shift) & kRadixMask]++] = from[k];
        std::swap(from, to);
    }
    for (int r = 0; r < count; ++r) sortedKeys[r] = keys[from[r].place];
    // Equal as floats compare: -0 beside +0 is a tie too. Each neighbouring pair is
    // compared once, with no branch on the outcome.
    tiesBefore[0] = 0;
    bool tiedWithPrevious = false;
    for (int r = 0; r + 1 < count; ++r) {
        const bool tiedWithNext = sortedKeys[r + 1].depth == sortedKeys[r].depth;
        tiesBefore[r + 1] = tiesBefore[r] + (tiedWithPrevious | tiedWithNext);
        tiedWithPrevious = tiedWithNext;
    }
    tiesBefore[count] = tiesBefore[count - 1] + tiedWithPrevious;
    ranks = {sortedKeys, tiesBefore};
    return true;
}

}  // namespace

void fast::sortFacesByDepth(MeshFace** list, int lo, int hi) {
    if (hi <= lo) return;
    const int count = hi - lo + 1;
    if (count > kKeyedSortCapacity) {
        hoareSort(list, lo, hi);
        return;
    }
    // The keys go through exactly the comparisons and swaps the list itself would, so
    // the faces come back in the same order, equal depths included.
    for (int k = 0; k < count; ++k) {
        unsortedFaces[k] = list[lo + k];
        keys[k] = {unsortedFaces[k]->depth, static_cast<uint32_t>(k)};
    }
    KnownRanks ranks;
    const bool ranked = count >= kKnownRanksMinimum && findRanks(keys, count, ranks);
    hoareSort(keys, 0, count - 1, ranked ? &ranks : nullptr);
    for (int k = 0; k < count; ++k) list[lo + k] = unsortedFaces[keys[k].place];
}
