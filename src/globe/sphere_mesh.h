// Geometry builders for the scene's fixed meshes: sphere patches (the Moon,
// the space backdrop), the graticule's meridian band and parallel bands, and
// flat discs (the backing disc). Vertices are laid out by flexible-vertex-
// format flags (position, normal, diffuse, one texture pair, in that order,
// each only when its flag is set) and drawn from memory as indexed triangle
// lists with 16-bit indices.
//
// Polar angle theta is measured from the -Y pole and azimuth phi from +X
// towards +Z: a point is (r sin(theta) cos(phi), -r cos(theta), r sin(theta) sin(phi)).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/gfx_types.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

// Vertices of one format as 32-bit words (every component is a float or a
// 32-bit colour), ready for drawIndexedPrimitiveUP(..., vertices(), stride()).
class MeshData {
public:
    MeshData() = default;
    explicit MeshData(uint32_t fvf);

    uint32_t fvf() const { return fvf_; }
    uint32_t stride() const { return wordsPerVertex_ * 4; }
    uint32_t vertexCount() const { return wordsPerVertex_ ? uint32_t(words_.size() / wordsPerVertex_) : 0; }
    uint32_t triangleCount() const { return uint32_t(indices_.size() / 3); }
    const void* vertices() const { return words_.data(); }
    const std::vector<uint16_t>& indices() const { return indices_; }
    std::vector<uint16_t>& indices() { return indices_; }

    bool hasNormal() const { return normalAt_ >= 0; }
    bool hasDiffuse() const { return diffuseAt_ >= 0; }
    bool hasTexture() const { return textureAt_ >= 0; }

    // Component access (components the format lacks read as zero / are ignored).
    math::Vec3 position(uint32_t i) const;
    math::Vec3 normal(uint32_t i) const;
    gfx::Color diffuse(uint32_t i) const;
    math::Vec2 texture(uint32_t i) const;

    // Appends a vertex; returns its index.
    uint32_t addVertex(const math::Vec3& position, const math::Vec3& normal, gfx::Color diffuse,
                       const math::Vec2& texture);
    void setNormal(uint32_t i, const math::Vec3& normal);
    void setDiffuse(uint32_t i, gfx::Color diffuse);
    void reserve(uint32_t vertices, uint32_t indices);
    void clear();

private:
    float wordAsFloat(uint32_t vertex, int word) const;
    void setFloat(uint32_t vertex, int word, float v);

    uint32_t fvf_ = 0;
    uint32_t wordsPerVertex_ = 0;
    int normalAt_ = -1, diffuseAt_ = -1, textureAt_ = -1;  // word offsets
    std::vector<uint32_t> words_;
    std::vector<uint16_t> indices_;
};

// patchRows patches of (n + 1)^2 vertices each over the polar range 0..pi
// and the azimuth range 0..2pi/a; the 6 n^2 indices are those of one patch,
// valid for every patch when drawn with that patch's vertex offset.
// Empty when the sizes are out of range or would overflow 16-bit indices.
MeshData buildSpherePatches(float radius, int azimuthDivisions, int patchRows, int subdivisions, uint32_t fvf);

// One half meridian from pole to pole extruded across `width`:
// 2 (segments + 1) vertices, 6 segments indices.
MeshData buildMeridianBand(float radius, float width, int segments, gfx::Color colour, uint32_t fvf);

// rows - 1 latitude circles every pi/rows, each a band of 2 segments vertices
// and 6 segments indices. Bands follow each other in one mesh; the indices
// address the whole mesh, so all bands draw in one call. Band rows/2
// (integer division) is the equator band, drawn light yellow.
MeshData buildParallelBands(float radius, float width, int segments, int rows, gfx::Color colour, uint32_t fvf);

// A flat disc in the z = 0 plane facing the camera: centre vertex plus
// `segments` rim vertices (position + diffuse), 3 segments indices.
MeshData buildDisc(float radius, float alphaScale, int segments);

// The same mesh seen from inside: normals negated, each triangle's second
// and third index swapped.
MeshData mirrored(const MeshData& mesh);

// Sets the colour of every vertex.
void recolour(MeshData& mesh, gfx::Color colour);
// The same for a mesh (or its mirror) from buildParallelBands with these
// segments and rows, keeping the equator band's highlight.
void recolourParallelBands(MeshData& mesh, int segments, int rows, gfx::Color colour);

}  // namespace tnx::globe
