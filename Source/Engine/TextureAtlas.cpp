#include "Engine/TextureAtlas.h"
#include "Platform/Log.h"

#include "Engine/Support/Exception.h"
#include "Engine/Support/GLState.h"
#include "Engine/TextureMgr.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <new>

namespace {
// 16-bit indices reach 65536 vertices.
constexpr unsigned kMaxQuads = 65536 / 4;
}

Ref<TextureAtlas> TextureAtlas::textureAtlasWithFile(const std::string& file, unsigned capacity)
{
    Ref<TextureAtlas> atlas = make<TextureAtlas>();
    return atlas->initWithFile(file, capacity) ? atlas : nullptr;
}

Ref<TextureAtlas> TextureAtlas::textureAtlasWithTexture(Texture2D* texture, unsigned capacity)
{
    Ref<TextureAtlas> atlas = make<TextureAtlas>();
    return atlas->initWithTexture(texture, capacity) ? atlas : nullptr;
}

bool TextureAtlas::initWithFile(const std::string& file, unsigned capacity)
{
    Ref<Texture2D> texture = TextureMgr::sharedTextureMgr()->addImage(file);
    return texture && initWithTexture(texture, capacity);
}

bool TextureAtlas::initWithTexture(Texture2D* texture, unsigned capacity)
{
    m_texture = texture;
    if (!resizeCapacity(capacity) && capacity != 0)
        return false;
    return true;
}

void TextureAtlas::initIndices()
{
    for (unsigned k = 0; k < m_capacity; ++k) {
        const GLushort b = static_cast<GLushort>(4 * k);
        GLushort* i = &m_indices[6 * k];
        i[0] = b;
        i[1] = static_cast<GLushort>(b + 1);
        i[2] = static_cast<GLushort>(b + 2);
        i[3] = static_cast<GLushort>(b + 3);
        i[4] = static_cast<GLushort>(b + 2);
        i[5] = static_cast<GLushort>(b + 1);
    }
}

bool TextureAtlas::resizeCapacity(unsigned capacity)
{
    if (capacity == m_capacity && m_quads.size() == capacity)
        return true;
    try {
        // Indices are 16 bits: more quads than they can address would draw garbage.
        if (capacity > kMaxQuads)
            throw std::bad_alloc();
        m_quads.resize(capacity);
        m_quads.shrink_to_fit();
        m_indices.resize(static_cast<std::size_t>(capacity) * 6);
        m_indices.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        logLine(LogLevel::Warning, "TextureAtlas: not enough memory");
        m_quads.clear();
        m_quads.shrink_to_fit();
        m_indices.clear();
        m_indices.shrink_to_fit();
        m_totalQuads = 0;
        m_capacity = 0;
        return false;
    }
    m_capacity = capacity;
    m_totalQuads = std::min(m_totalQuads, capacity);
    initIndices();
    return true;
}

void TextureAtlas::updateQuad(const V3F_C4B_T2F_Quad& quad, unsigned index)
{
    MW_ASSERT(index < m_capacity, "updateQuadWithTexture: Invalid index");
    m_quads[index] = quad;
    m_totalQuads = std::max(m_totalQuads, index + 1);
}

void TextureAtlas::insertQuad(const V3F_C4B_T2F_Quad& quad, unsigned index)
{
    MW_ASSERT(index < m_capacity, "updateQuadWithTexture: Invalid index");
    // A full atlas has no room to shift into.
    MW_ASSERT(m_totalQuads < m_capacity, "insertQuad: the atlas is full");
    // Inserting past the end would leave a gap of stale quads inside the drawn range.
    index = std::min(index, m_totalQuads);
    std::move_backward(
        m_quads.begin() + index, m_quads.begin() + m_totalQuads, m_quads.begin() + m_totalQuads + 1);
    m_quads[index] = quad;
    ++m_totalQuads;
}

void TextureAtlas::insertQuadFromIndex(unsigned oldIndex, unsigned newIndex)
{
    MW_ASSERT(
        newIndex < m_totalQuads && oldIndex < m_totalQuads, "insertQuadFromIndex:atIndex: Invalid index");
    if (oldIndex == newIndex)
        return;
    const V3F_C4B_T2F_Quad moved = m_quads[oldIndex];
    if (oldIndex < newIndex)
        std::move(m_quads.begin() + oldIndex + 1, m_quads.begin() + newIndex + 1, m_quads.begin() + oldIndex);
    else
        std::move_backward(
            m_quads.begin() + newIndex, m_quads.begin() + oldIndex, m_quads.begin() + oldIndex + 1);
    m_quads[newIndex] = moved;
}

void TextureAtlas::removeQuadAtIndex(unsigned index)
{
    MW_ASSERT(index < m_totalQuads, "removeQuadAtIndex: Invalid index");
    std::move(m_quads.begin() + index + 1, m_quads.begin() + m_totalQuads, m_quads.begin() + index);
    --m_totalQuads;
}

void TextureAtlas::removeAllQuads() { m_totalQuads = 0; }

void TextureAtlas::drawQuads() { drawNumberOfQuads(m_totalQuads); }

void TextureAtlas::drawNumberOfQuads(unsigned n)
{
    // Never draw quads that were not written, nor past the allocation.
    n = std::min(n, m_capacity);
    if (n == 0 || !m_texture)
        return;
    const GLsizei stride = sizeof(V3F_C4B_T2F);
    const auto* base = reinterpret_cast<const GLubyte*>(m_quads.data());
    GLState::bindTexture(m_texture->name());
    GLState::pointersChanged();
    glVertexPointer(3, GL_FLOAT, stride, base + offsetof(V3F_C4B_T2F, vertices));
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, base + offsetof(V3F_C4B_T2F, colors));
    glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(V3F_C4B_T2F, texCoords));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(n) * 6, GL_UNSIGNED_SHORT, m_indices.data());
}
