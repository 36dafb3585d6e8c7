#pragma once
// The shared texture cache: each picture is decoded and uploaded once and shared by every
// sprite and animation frame that names it.

#include "Engine/Support/Ref.h"
#include "Engine/Support/Texture2D.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

struct HostImage;

class TextureMgr : public Object {
public:
    const char* className() const override { return "TextureMgr"; }

    static TextureMgr* sharedTextureMgr();
    // Drops the shared cache (the director's end does this); the next sharedTextureMgr()
    // starts empty.
    static void purgeSharedTextureMgr();

    // The texture of a picture file, keyed by the name exactly as passed. nullptr (after
    // the console line "Image is Null: <name>") when the file cannot be read; the failure is
    // remembered, so later calls neither read nor report it again until removeAllTextures.
    Ref<Texture2D> addImage(const std::string& fileName);
    // A texture for a decoded picture. Keyed by the picture's contents, so equal pictures
    // share one texture and a different picture never gets a stale one.
    Ref<Texture2D> addCGImage(const HostImage& image);
    Ref<Texture2D> addCGImage(const HostImage& image, const std::string& key);

    void removeAllTextures();
    // Drops every texture that nothing but the cache holds.
    void removeUnusedTextures();
    // Drops every key that maps to the texture.
    void removeTexture(Texture2D* texture);

    Texture2D* textureForKey(const std::string& key) const;
    std::size_t textureCount() const;

    // The key addCGImage(image) files the picture under.
    static std::string keyForImage(const HostImage& image);

private:
    TextureMgr();

    // Owns the textures; sprites and frames add their own references.
    std::unordered_map<std::string, Ref<Texture2D>> m_textures;
    std::unordered_set<std::string> m_failed; // names that could not be read

    mutable std::mutex m_dictLock;
};
