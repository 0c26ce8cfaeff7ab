// A face as a mesh view draws it (mesh_view.h): what the depth sort orders and the face
// set-up takes.
#pragma once

struct MeshView;

// A face of the model as the view draws it: its corners' vertex indices, copied from the
// model's face, its sort key and the view it belongs to.
struct MeshFace {
    int vertex0, vertex1, vertex2;
    float depth;            // sort key: the sum of the three view-space z values
    const MeshView* owner;  // lets a drawing routine given only the face reach the vertices
};
