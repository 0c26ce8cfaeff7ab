// The painter's algorithm's order, plain: a Hoare quicksort, largest depth first. This is
// the order every frame is painted in; depth_sort.cpp reaches the same order faster.
#include "render3d/depth_sort.h"

#include <utility>

namespace plain {

// Partition around the middle entry's depth: i scans up to an entry not above the pivot,
// j down to one not below it, the two swap and step on, until they cross. The two parts,
// lo..j and i..hi, are then sorted on their own: the smaller by recursion and the larger
// by the loop, so that the stack stays within log2 of the range's length (the parts are
// disjoint, so which goes first changes nothing).
void sortFacesByDepth(MeshFace** list, int lo, int hi) {
    while (lo < hi) {
        const float pivot = list[lo + (hi - lo) / 2]->depth;
        int i = lo;
        int j = hi;
        do {
            while (i < hi && list[i]->depth > pivot) ++i;
            while (j > lo && list[j]->depth < pivot) --j;
            if (i <= j) std::swap(list[i++], list[j--]);
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j) plain::sortFacesByDepth(list, lo, j);
            if (i >= hi) return;
            lo = i;
        } else {
            if (i < hi) plain::sortFacesByDepth(list, i, hi);
            if (lo >= j) return;
            hi = j;
        }
    }
}

}  // namespace plain
