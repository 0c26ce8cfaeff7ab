// The demo's five 3D models: rings for the flight, the wireframe logo, two spheres and
// the knotted model of the environment-mapping scene. All are built in the file's axes
// (z up; the demo loads (x, y, z) as (x, -z, y)), closed, sharing vertices between
// neighbouring faces, and wound so that (v1 - v0) x (v2 - v0) points out of the solid.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "generators.h"
#include "pi.h"
#include "writer_3ds.h"

namespace {

// The shapes are worked out in double and rounded to the file's floats once, at the end:
// Vector3's float arithmetic would round at every step and move the vertices.
struct Vec {
    double x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dotOf(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec crossOf(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec unit(Vec a) { return a * (1.0 / std::sqrt(dotOf(a, a))); }
Vector3 pointOf(Vec a) {
    return {static_cast<float>(a.x), static_cast<float>(a.y), static_cast<float>(a.z)};
}

uint16_t index16(int i) { return static_cast<uint16_t>(i); }

// A closed tube grid: `around` x `along` vertices, vertex(i, j) = i * rows + j where i
// runs along the tube (wrapping) and j around it (wrapping). The caller's
// parametrisation makes d/di x d/dj point outward.
void addTubeFaces(ModelMesh& mesh, int along, int rows) {
    for (int i = 0; i < along; ++i) {
        const int next = (i + 1) % along;
        for (int j = 0; j < rows; ++j) {
            const int up = (j + 1) % rows;
            const int a = i * rows + j, b = next * rows + j;
            const int c = next * rows + up, d = i * rows + up;
            mesh.faces.push_back({index16(a), index16(b), index16(c), kAllEdges});
            mesh.faces.push_back({index16(a), index16(c), index16(d), kAllEdges});
        }
    }
}

// A ring with its hole along z, centred at the origin.
ModelMesh makeTorus(double majorRadius, double tubeRadius, int majorSteps, int tubeSteps) {
    ModelMesh mesh;
    mesh.name = "Ring";
    mesh.smoothing = true;
    for (int i = 0; i < majorSteps; ++i) {
        const double u = 2 * kPi * i / majorSteps;
        for (int j = 0; j < tubeSteps; ++j) {
            const double v = 2 * kPi * j / tubeSteps;
            const double radius = majorRadius + tubeRadius * std::cos(v);
            mesh.vertices.push_back(pointOf(
                {radius * std::cos(u), radius * std::sin(u), tubeRadius * std::sin(v)}));
        }
    }
    addTubeFaces(mesh, majorSteps, tubeSteps);
    return mesh;
}

// A UV sphere with its poles on the z axis: one vertex per pole, `bands` latitude
// bands of `segments` quads (triangles at the poles).
ModelMesh makeSphere(const char* name, double radius, int segments, int bands) {
    ModelMesh mesh;
    mesh.name = name;
    mesh.smoothing = true;
    mesh.vertices.push_back(pointOf({0, 0, radius}));
    for (int k = 1; k < bands; ++k) {
        const double theta = kPi * k / bands;
        for (int j = 0; j < segments; ++j) {
            const double phi = 2 * kPi * j / segments;
            mesh.vertices.push_back(pointOf({radius * std::sin(theta) * std::cos(phi),
                                             radius * std::sin(theta) * std::sin(phi),
                                             radius * std::cos(theta)}));
        }
    }
    const int south = static_cast<int>(mesh.vertices.size());
    mesh.vertices.push_back(pointOf({0, 0, -radius}));

    auto ring = [&](int k, int j) { return 1 + (k - 1) * segments + j % segments; };
    for (int j = 0; j < segments; ++j) {
        mesh.faces.push_back({0, index16(ring(1, j)), index16(ring(1, j + 1)), kAllEdges});
        for (int k = 1; k < bands - 1; ++k) {
            const int a = ring(k, j), b = ring(k, j + 1);
            const int c = ring(k + 1, j + 1), d = ring(k + 1, j);
            mesh.faces.push_back({index16(a), index16(d), index16(c), kAllEdges});
            mesh.faces.push_back({index16(a), index16(c), index16(b), kAllEdges});
        }
        mesh.faces.push_back({index16(ring(bands - 1, j)), index16(south),
                              index16(ring(bands - 1, j + 1)), kAllEdges});
    }
    return mesh;
}

// The (2, 3) torus knot: a trefoil wound around a torus, as a round tube. The tube's
// frame is the curve's own (Frenet) frame, which closes on itself exactly.
Vec trefoil(double t) {
    const double r = 2 + std::cos(3 * t);
    return {r * std::cos(2 * t), r * std::sin(2 * t), std::sin(3 * t)};
}

ModelMesh makeKnot(double scale, double tubeRadius, int along, int around) {
    ModelMesh mesh;
    mesh.name = "Tollek";
    mesh.smoothing = true;
    const double h = 1e-4;
    for (int i = 0; i < along; ++i) {
        const double t = 2 * kPi * i / along;
        const Vec centre = trefoil(t);
        const Vec tangent = unit(trefoil(t + h) - trefoil(t - h));
        const Vec bend = trefoil(t + h) - centre * 2 + trefoil(t - h);
        const Vec normal = unit(bend - tangent * dotOf(bend, tangent));
        const Vec binormal = crossOf(tangent, normal);
        for (int j = 0; j < around; ++j) {
            // Turning from the normal away from the binormal keeps the winding outward.
            const double v = 2 * kPi * j / around;
            const Vec offset = normal * std::cos(v) - binormal * std::sin(v);
            mesh.vertices.push_back(pointOf((centre + offset * tubeRadius) * scale));
        }
    }
    addTubeFaces(mesh, along, around);
    return mesh;
}

// ---- The logo: DORMINAX in extruded block letters ----

// Letters are drawn on a grid 6 units tall (y up), each as convex pieces that meet edge
// to edge, so that an edge used by one piece only is the letter's outline.
struct LetterPoint {
    double x, y;
};
using Piece = std::vector<LetterPoint>;
struct Letter {
    double width;
    std::vector<Piece> pieces;
};

const Letter& letterD() {
    static const Letter d = {4,
                             {{{0, 0}, {1, 1}, {1, 5}, {0, 6}},
                              {{0, 0}, {3, 0}, {3, 1}, {1, 1}},
                              {{3, 0}, {4, 1}, {3, 1}},
                              {{3, 1}, {4, 1}, {4, 5}, {3, 5}},
                              {{3, 5}, {4, 5}, {3, 6}},
                              {{1, 5}, {3, 5}, {3, 6}, {0, 6}}}};
    return d;
}

const Letter& letterO() {
    static const Letter o = {4,
                             {{{1, 0}, {3, 0}, {3, 1}, {1, 1}},
                              {{3, 0}, {4, 1}, {3, 1}},
                              {{3, 1}, {4, 1}, {4, 5}, {3, 5}},
                              {{3, 5}, {4, 5}, {3, 6}},
                              {{1, 5}, {3, 5}, {3, 6}, {1, 6}},
                              {{1, 5}, {1, 6}, {0, 5}},
                              {{0, 1}, {1, 1}, {1, 5}, {0, 5}},
                              {{0, 1}, {1, 0}, {1, 1}}}};
    return o;
}

const Letter& letterR() {
    static const Letter r = {4,
                             {{{0, 0}, {1, 0}, {1, 2}, {1, 3}, {1, 5}, {1, 6}, {0, 6}},
                              {{1, 5}, {3, 5}, {3, 6}, {1, 6}},
                              {{3, 5}, {4, 5}, {3, 6}},
                              {{3, 3}, {4, 3}, {4, 5}, {3, 5}},
                              {{3, 2}, {4, 3}, {3, 3}},
                              {{1, 2}, {2, 2}, {3, 2}, {3, 3}, {1, 3}},
                              {{3, 0}, {4, 0}, {3, 2}, {2, 2}}}};
    return r;
}

const Letter& letterM() {
    static const Letter m = {5,
                             {{{0, 0}, {1, 0}, {1, 4}, {1, 6}, {0, 6}},
                              {{1, 4}, {2.5, 1.5}, {2.5, 3.5}, {1, 6}},
                              {{2.5, 1.5}, {4, 4}, {4, 6}, {2.5, 3.5}},
                              {{4, 0}, {5, 0}, {5, 6}, {4, 6}, {4, 4}}}};
    return m;
}

const Letter& letterI() {
    static const Letter i = {1, {{{0, 0}, {1, 0}, {1, 6}, {0, 6}}}};
    return i;
}

const Letter& letterN() {
    static const Letter n = {4,
                             {{{0, 0}, {1, 0}, {1, 3.5}, {1, 6}, {0, 6}},
                              {{1, 3.5}, {3, 0}, {3, 2.5}, {1, 6}},
                              {{3, 0}, {4, 0}, {4, 6}, {3, 6}, {3, 2.5}}}};
    return n;
}

const Letter& letterA() {
    static const Letter a = {4,
                             {{{0, 0}, {1, 0}, {1, 2}, {1, 3}, {1, 5}, {0, 5}},
                              {{0, 5}, {1, 5}, {1, 6}},
                              {{1, 5}, {3, 5}, {3, 6}, {1, 6}},
                              {{3, 5}, {4, 5}, {3, 6}},
                              {{3, 0}, {4, 0}, {4, 5}, {3, 5}, {3, 3}, {3, 2}},
                              {{1, 2}, {3, 2}, {3, 3}, {1, 3}}}};
    return a;
}

const Letter& letterX() {
    static const Letter x = {4,
                             {{{2, 2}, {2.5, 3}, {2, 4}, {1.5, 3}},
                              {{0, 0}, {1, 0}, {2, 2}, {1.5, 3}},
                              {{3, 0}, {4, 0}, {2.5, 3}, {2, 2}},
                              {{2.5, 3}, {4, 6}, {3, 6}, {2, 4}},
                              {{1.5, 3}, {2, 4}, {1, 6}, {0, 6}}}};
    return x;
}

double signedArea(const Piece& piece) {
    double area = 0;
    for (size_t i = 0; i < piece.size(); ++i) {
        const LetterPoint& a = piece[i];
        const LetterPoint& b = piece[(i + 1) % piece.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

// Builds the logo: every letter's pieces become front and back faces (fan-triangulated),
// and every outline edge a side quad of the extrusion. Only outline edges are flagged
// visible, each on one face: front and back outlines on the caps, the extrusion's
// corner edges on the side quad that leaves the corner.
class LogoBuilder {
public:
    LogoBuilder(double width, double height, double depth) {
        const char* word = "DORMINAX";
        const Letter* letters[] = {&letterD(), &letterO(), &letterR(), &letterM(),
                                   &letterI(), &letterN(), &letterA(), &letterX()};
        const double gap = 1;
        double total = -gap;
        for (const Letter* letter : letters) total += letter->width + gap;
        double left = 0;
        for (size_t i = 0; word[i] != 0; ++i) {
            for (Piece piece : letters[i]->pieces) {
                for (LetterPoint& p : piece) p.x += left;
                if (signedArea(piece) < 0) piece.assign(piece.rbegin(), piece.rend());
                std::vector<int> corners;
                for (const LetterPoint& p : piece) corners.push_back(gridIndex(p));
                pieces_.push_back(corners);
            }
            left += letters[i]->width + gap;
        }
        scaleX_ = width / total;
        scaleUp_ = height / 6;
        offsetX_ = total / 2;
        halfDepth_ = depth / 2;
    }

    ModelMesh build() {
        ModelMesh mesh;
        mesh.name = "Logo";
        const int count = static_cast<int>(points_.size());
        // Front cap at y = -depth/2 (facing -y), back cap at +depth/2.
        for (const LetterPoint& p : points_) mesh.vertices.push_back(placed(p, -halfDepth_));
        for (const LetterPoint& p : points_) mesh.vertices.push_back(placed(p, halfDepth_));

        for (const std::vector<int>& piece : pieces_) {
            for (size_t i = 0; i < piece.size(); ++i) {
                ++edgeUses_[edgeKey(piece[i], piece[(i + 1) % piece.size()])];
            }
        }
        for (const std::vector<int>& piece : pieces_) {
            for (size_t i = 0; i < piece.size(); ++i) {
                const int a = piece[i], b = piece[(i + 1) % piece.size()];
                if (isOutline(a, b)) {
                    if (next_.count(a) != 0) fail("an outline vertex is shared by two outlines");
                    next_[a] = b;
                    previous_[b] = a;
                }
            }
        }
        for (const std::vector<int>& piece : pieces_) addCaps(mesh, piece, count);
        for (const auto& edge : next_) addSide(mesh, edge.first, edge.second, count);
        return mesh;
    }

private:
    static void fail(const char* message) {
        std::fprintf(stderr, "dorminax-datagen: logo: %s\n", message);
        std::exit(1);
    }

    int gridIndex(const LetterPoint& p) {
        // Letter coordinates are multiples of 0.5, so doubling gives exact keys.
        const std::pair<long, long> key(std::lround(p.x * 2), std::lround(p.y * 2));
        const auto found = index_.find(key);
        if (found != index_.end()) return found->second;
        const int index = static_cast<int>(points_.size());
        index_[key] = index;
        points_.push_back(p);
        return index;
    }

    Vector3 placed(const LetterPoint& p, double y) const {
        // Letters stand in the xz plane: x to the right, z up, extruded along y.
        return pointOf({(p.x - offsetX_) * scaleX_, y, (p.y - 3) * scaleUp_});
    }

    static std::pair<int, int> edgeKey(int a, int b) { return {std::min(a, b), std::max(a, b)}; }
    bool isOutline(int a, int b) const {
        const auto found = edgeUses_.find(edgeKey(a, b));
        return found != edgeUses_.end() && found->second == 1;
    }

    uint16_t capFlags(int a, int b, int c) const {
        return static_cast<uint16_t>((isOutline(a, b) ? kEdgeV0V1 : 0) |
                                     (isOutline(b, c) ? kEdgeV1V2 : 0) |
                                     (isOutline(c, a) ? kEdgeV2V0 : 0));
    }

    // Fans a convex piece from a corner whose fan has no degenerate triangle (pieces
    // may have straight-through vertices where a neighbour attaches).
    void addCaps(ModelMesh& mesh, const std::vector<int>& piece, int count) {
        const size_t n = piece.size();
        for (size_t start = 0; start < n; ++start) {
            bool usable = true;
            for (size_t i = 1; i + 1 < n; ++i) {
                const LetterPoint& a = points_[piece[start]];
                const LetterPoint& b = points_[piece[(start + i) % n]];
                const LetterPoint& c = points_[piece[(start + i + 1) % n]];
                if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 1e-9) usable = false;
            }
            if (!usable) continue;
            for (size_t i = 1; i + 1 < n; ++i) {
                const int a = piece[start], b = piece[(start + i) % n];
                const int c = piece[(start + i + 1) % n];
                // Counter-clockwise in the letter plane faces -y: the front cap as is,
                // the back cap reversed.
                mesh.faces.push_back({index16(a), index16(b), index16(c), capFlags(a, b, c)});
                mesh.faces.push_back({index16(a + count), index16(c + count),
                                      index16(b + count), capFlags(a, c, b)});
            }
            return;
        }
        fail("a piece has no corner to fan from");
    }

    bool isCorner(int vertex) const {
        const LetterPoint& before = points_[previous_.at(vertex)];
        const LetterPoint& at = points_[vertex];
        const LetterPoint& after = points_[next_.at(vertex)];
        const double turn = (at.x - before.x) * (after.y - at.y) - (at.y - before.y) * (after.x - at.x);
        return std::fabs(turn) > 1e-9;
    }

    // The side quad of outline edge a -> b (the letter on its left, outside on its right).
    void addSide(ModelMesh& mesh, int a, int b, int count) {
        const uint16_t corner = isCorner(a) ? kEdgeV0V1 : 0;
        mesh.faces.push_back({index16(a), index16(a + count), index16(b + count), corner});
        mesh.faces.push_back({index16(a), index16(b + count), index16(b), 0});
    }

    std::vector<LetterPoint> points_;
    std::map<std::pair<long, long>, int> index_;
    std::vector<std::vector<int>> pieces_;
    std::map<std::pair<int, int>, int> edgeUses_;
    std::map<int, int> next_;
    std::map<int, int> previous_;
    double scaleX_ = 1, scaleUp_ = 1, offsetX_ = 0, halfDepth_ = 0;
};

void writeModel(const DataFolder& folder, const char* name, const ModelFile& file) {
    writeBinaryFile(folder.path(name), build3ds(file));
}

}  // namespace

void writeModels(const DataFolder& folder) {
    // Rings of the flight: a camera object comes first, as exporters often write it,
    // so that the loader's search passes over an object without a mesh.
    ModelFile rings;
    rings.cameras.push_back({"Camera01", {0, -6, 1}, {0, 0, 0}, 35});
    rings.meshes.push_back(makeTorus(1.1, 0.25, 28, 14));
    writeModel(folder, "3ds\\torus.3ds", rings);

    ModelFile logo;
    logo.meshes.push_back(LogoBuilder(5.2, 1.2, 0.3).build());
    writeModel(folder, "3ds\\pellimor_logo.3DS", logo);

    // The lit sphere, with a moonlight lamp saved beside it.
    ModelFile sphere;
    sphere.lights.push_back({"Moonlight", {-3, -4, 5}, 0.7f, 0.75f, 1.0f});
    sphere.meshes.push_back(makeSphere("Sphere", 1.0, 32, 32));
    writeModel(folder, "3ds\\sphere2000f.3ds", sphere);

    ModelFile dots;
    dots.meshes.push_back(makeSphere("Sphere32", 1.0, 32, 16));
    writeModel(folder, "3ds\\sphere32.3ds", dots);

    // The knot, about 8,000 units across: the scene shrinks it a thousandfold.
    ModelFile knot;
    knot.meshes.push_back(makeKnot(1200, 0.38, 160, 14));
    writeModel(folder, "3ds\\tollek.3ds", knot);
}
