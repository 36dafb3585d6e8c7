#pragma once
// A run of textured quads drawn from one texture with one indexed draw call.

#include "Engine/Support/Ref.h"
#include "Engine/Support/Texture2D.h"

#include <GLES/gl.h>

#include <cstdint>
#include <string>
#include <vector>

struct Vertex3F {
    GLfloat x = 0, y = 0, z = 0;
};
struct Tex2F {
    GLfloat u = 0, v = 0;
};
struct Color4BVertex {
    GLubyte r = 0, g = 0, b = 0, a = 0;
};

// One vertex as GL reads it: position, colour, texture coordinates (24 bytes).
struct V3F_C4B_T2F {
    Vertex3F vertices;
    Color4BVertex colors;
    Tex2F texCoords;
};

// Corner order matters: the index pattern builds the triangles (tl, bl, tr) and (br, tr, bl).
struct V3F_C4B_T2F_Quad {
    V3F_C4B_T2F tl, bl, tr, br;
};

static_assert(sizeof(V3F_C4B_T2F) == 24, "GL strides assume a packed 24-byte vertex");
static_assert(sizeof(V3F_C4B_T2F_Quad) == 96, "GL strides assume a packed 96-byte quad");

class TextureAtlas : public Object {
public:
    const char* className() const override { return "TextureAtlas"; }

    // nullptr when the picture cannot be loaded.
    static Ref<TextureAtlas> textureAtlasWithFile(const std::string& file, unsigned capacity);
    static Ref<TextureAtlas> textureAtlasWithTexture(Texture2D* texture, unsigned capacity);
    bool initWithFile(const std::string& file, unsigned capacity);
    bool initWithTexture(Texture2D* texture, unsigned capacity);

    void updateQuad(const V3F_C4B_T2F_Quad& quad, unsigned index);
    void insertQuad(const V3F_C4B_T2F_Quad& quad, unsigned index);
    // Moves the quad at oldIndex to newIndex, shifting the ones in between.
    void insertQuadFromIndex(unsigned oldIndex, unsigned newIndex);
    void removeQuadAtIndex(unsigned index);
    void removeAllQuads();
    // False when the memory cannot be had; the atlas is then empty with capacity 0.
    bool resizeCapacity(unsigned capacity);

    void drawQuads();
    void drawNumberOfQuads(unsigned n);

    unsigned totalQuads() const { return m_totalQuads; }
    unsigned capacity() const { return m_capacity; }
    Texture2D* texture() const { return m_texture.get(); }
    void setTexture(Texture2D* texture) { m_texture = texture; }
    const V3F_C4B_T2F_Quad* quads() const { return m_quads.data(); }
    const GLushort* indices() const { return m_indices.data(); }

private:
    void initIndices();

    unsigned m_totalQuads = 0;
    unsigned m_capacity = 0;
    std::vector<V3F_C4B_T2F_Quad> m_quads;
    std::vector<GLushort> m_indices;
    Ref<Texture2D> m_texture;
};
