#pragma once
// A texture node made from a picture file, a decoded picture or a texture, with named
// frame animations.

#include "Engine/TextureNode.h"

#include <map>
#include <string>
#include <vector>

struct HostImage;

// A named run of frames, each a texture; Animate shows them `delay` seconds apart.
class Animation : public Object {
public:
    static Ref<Animation> animationWithName(const std::string& name, float delay);
    // Frames by file name, each through the texture cache.
    static Ref<Animation> animationWithName(
        const std::string& name, float delay, const std::vector<std::string>& images);
    static Ref<Animation> animationWithName(
        const std::string& name, float delay, const std::vector<Ref<Texture2D>>& textures);
    Animation(const std::string& name, float delay);
    const char* className() const override { return "Animation"; }

    // A picture that cannot be loaded adds no frame.
    void addFrameWithFilename(const std::string& fileName);
    void addFrameWithTexture(Texture2D* texture);

    const std::string& name() const { return m_name; }
    void setName(const std::string& name) { m_name = name; }
    float delay() const { return m_delay; }
    void setDelay(float delay) { m_delay = delay; }
    const std::vector<Ref<Texture2D>>& frames() const { return m_frames; }

private:
    std::string m_name;
    float m_delay;
    std::vector<Ref<Texture2D>> m_frames;
};

class Sprite : public TextureNode {
public:
    // A picture that cannot be loaded still gives a sprite: one without texture, which
    // draws nothing, so the caller never holds null.
    static Ref<Sprite> spriteWithFile(const std::string& fileName);
    static Ref<Sprite> spriteWithCGImage(const HostImage& image);
    static Ref<Sprite> spriteWithTexture(Texture2D* texture);
    static Ref<Sprite> node();
    Sprite() = default;
    const char* className() const override { return "Sprite"; }

    // False when no texture could be had.
    bool initWithFile(const std::string& fileName);
    bool initWithCGImage(const HostImage& image);
    bool initWithTexture(Texture2D* texture);

    // Stored under the animation's name, replacing one of the same name.
    void addAnimation(Animation* animation);
    // nullptr when there is none by that name.
    Animation* animationByName(const std::string& animationName) const;

    void setDisplayFrame(Texture2D* frame);
    void setDisplayFrame(const std::string& animationName, unsigned frameIndex);
    bool isFrameDisplayed(const Texture2D* frame) const { return m_texture.get() == frame; }
    Texture2D* displayFrame() const { return m_texture.get(); }

private:
    std::map<std::string, Ref<Animation>> m_animations;
};
