#include "Engine/TextureMgr.h"
#include "Platform/Log.h"

#include "Engine/Support/Exception.h"
#include "Engine/Support/FileUtils.h"
#include "Platform/Host.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {

std::mutex s_instanceLock;
Ref<TextureMgr> s_sharedTextureMgr;

bool endsWithNoCase(const std::string& s, const char* suffix)
{
    const std::string::size_type n = std::char_traits<char>::length(suffix);
    if (s.size() < n)
        return false;
    for (std::string::size_type i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i])
            return false;
    return true;
}

Ref<Texture2D> loadPicture(const FileUtils::ResolvedFile& file)
{
    HostImage image;
    // The size limit goes to the decoder so that an oversized file is refused from its header.
    if (file.path.empty()
        || !Host::current().decodeImageFile(file.path, static_cast<int>(kMaxTextureSize), image))
        return nullptr;
    return Texture2D::textureWithImage(image, file.scale);
}

} // namespace

TextureMgr::TextureMgr() { m_textures.reserve(10); }

TextureMgr* TextureMgr::sharedTextureMgr()
{
    std::lock_guard<std::mutex> lock(s_instanceLock);
    if (!s_sharedTextureMgr)
        s_sharedTextureMgr = Ref<TextureMgr>(new TextureMgr);
    return s_sharedTextureMgr.get();
}

void TextureMgr::purgeSharedTextureMgr()
{
    Ref<TextureMgr> old;
    {
        std::lock_guard<std::mutex> lock(s_instanceLock);
        old = std::move(s_sharedTextureMgr);
        s_sharedTextureMgr = nullptr;
    }
}

Ref<Texture2D> TextureMgr::addImage(const std::string& fileName)
{
    MW_ASSERT(!fileName.empty(), "TextureMgr: fileimage MUST not be nill");

    std::lock_guard<std::mutex> lock(m_dictLock);
    auto it = m_textures.find(fileName);
    if (it != m_textures.end())
        return it->second;
    if (m_failed.count(fileName) != 0)
        return nullptr;

    if (endsWithNoCase(fileName, ".pvr")) {
        logLine(LogLevel::Warning, "TextureMgr: compressed textures are not supported: %s", fileName.c_str());
        return nullptr;
    }

    FileUtils::ResolvedFile file = FileUtils::resolvePicture(fileName);
    Ref<Texture2D> texture = loadPicture(file);
    if (!texture && file.scale > 1) {
        // A sharp picture that cannot be used still leaves the ordinary one.
        file = FileUtils::resolvePicture(fileName, false);
        if (file.scale == 1)
            texture = loadPicture(file);
    }
    if (!texture) {
        // Remembered, so a missing ball picture is not read again and again for every ball.
        m_failed.insert(fileName);
        logLine(LogLevel::Warning, "Image is Null: %s", fileName.c_str());
        return nullptr;
    }
    texture->setFileName(fileName);
    m_textures.emplace(fileName, texture);
    return texture;
}

std::string TextureMgr::keyForImage(const HostImage& image)
{
    // FNV-1a over the size, alpha flag and pixels.
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint8_t byte) {
        h ^= byte;
        h *= 1099511628211ull;
    };
    for (int v : { image.width, image.height, image.hasAlpha ? 1 : 0 })
        for (int i = 0; i < 4; ++i)
            mix(static_cast<std::uint8_t>(static_cast<unsigned>(v) >> (8 * i)));
    for (std::uint8_t byte : image.rgba)
        mix(byte);
    char key[24];
    std::snprintf(key, sizeof key, "%016llX", static_cast<unsigned long long>(h));
    return key;
}

Ref<Texture2D> TextureMgr::addCGImage(const HostImage& image)
{
    return addCGImage(image, keyForImage(image));
}

Ref<Texture2D> TextureMgr::addCGImage(const HostImage& image, const std::string& key)
{
    MW_ASSERT(!key.empty(), "TextureMgr: image MUST not be nill");

    std::lock_guard<std::mutex> lock(m_dictLock);
    auto it = m_textures.find(key);
    if (it != m_textures.end())
        return it->second;
    Ref<Texture2D> texture = Texture2D::textureWithImage(image);
    if (texture)
        m_textures.emplace(key, texture);
    return texture;
}

void TextureMgr::removeAllTextures()
{
    std::lock_guard<std::mutex> lock(m_dictLock);
    m_textures.clear();
    m_failed.clear();
}

void TextureMgr::removeUnusedTextures()
{
    std::lock_guard<std::mutex> lock(m_dictLock);
    for (auto it = m_textures.begin(); it != m_textures.end();) {
        if (it->second->retainCount() == 1)
            it = m_textures.erase(it);
        else
            ++it;
    }
}

void TextureMgr::removeTexture(Texture2D* texture)
{
    if (!texture)
        return;
    std::lock_guard<std::mutex> lock(m_dictLock);
    for (auto it = m_textures.begin(); it != m_textures.end();) {
        if (it->second.get() == texture)
            it = m_textures.erase(it);
        else
            ++it;
    }
}

Texture2D* TextureMgr::textureForKey(const std::string& key) const
{
    std::lock_guard<std::mutex> lock(m_dictLock);
    auto it = m_textures.find(key);
    return it == m_textures.end() ? nullptr : it->second.get();
}

std::size_t TextureMgr::textureCount() const
{
    std::lock_guard<std::mutex> lock(m_dictLock);
    return m_textures.size();
}
