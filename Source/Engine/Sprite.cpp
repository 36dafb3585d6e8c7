#include "Engine/Sprite.h"

#include "Engine/Support/Exception.h"
#include "Engine/TextureMgr.h"

// --- Animation ------------------------------------------------------------------------------

Animation::Animation(const std::string& name, float delay)
    : m_name(name)
    , m_delay(delay)
{
}

Ref<Animation> Animation::animationWithName(const std::string& name, float delay)
{
    return make<Animation>(name, delay);
}

Ref<Animation> Animation::animationWithName(
    const std::string& name, float delay, const std::vector<std::string>& images)
{
    Ref<Animation> animation = make<Animation>(name, delay);
    for (const std::string& image : images)
        animation->addFrameWithFilename(image);
    return animation;
}

Ref<Animation> Animation::animationWithName(
    const std::string& name, float delay, const std::vector<Ref<Texture2D>>& textures)
{
    Ref<Animation> animation = make<Animation>(name, delay);
    for (const Ref<Texture2D>& texture : textures)
        animation->addFrameWithTexture(texture);
    return animation;
}

void Animation::addFrameWithFilename(const std::string& fileName)
{
    addFrameWithTexture(TextureMgr::sharedTextureMgr()->addImage(fileName));
}

void Animation::addFrameWithTexture(Texture2D* texture)
{
    // A null frame would blank the sprite mid-animation.
    if (texture)
        m_frames.emplace_back(texture);
}

// --- Sprite ---------------------------------------------------------------------------------

Ref<Sprite> Sprite::node() { return make<Sprite>(); }

Ref<Sprite> Sprite::spriteWithFile(const std::string& fileName)
{
    Ref<Sprite> sprite = make<Sprite>();
    sprite->initWithFile(fileName);
    return sprite;
}

Ref<Sprite> Sprite::spriteWithCGImage(const HostImage& image)
{
    Ref<Sprite> sprite = make<Sprite>();
    sprite->initWithCGImage(image);
    return sprite;
}

Ref<Sprite> Sprite::spriteWithTexture(Texture2D* texture)
{
    Ref<Sprite> sprite = make<Sprite>();
    sprite->initWithTexture(texture);
    return sprite;
}

bool Sprite::initWithFile(const std::string& fileName)
{
    return initWithTexture(TextureMgr::sharedTextureMgr()->addImage(fileName));
}

bool Sprite::initWithCGImage(const HostImage& image)
{
    return initWithTexture(TextureMgr::sharedTextureMgr()->addCGImage(image));
}

bool Sprite::initWithTexture(Texture2D* texture)
{
    setTexture(texture);
    return texture != nullptr;
}

void Sprite::addAnimation(Animation* animation)
{
    MW_ASSERT(animation, "Argument must be non-nil");
    m_animations[animation->name()] = animation;
}

Animation* Sprite::animationByName(const std::string& animationName) const
{
    MW_ASSERT(!animationName.empty(), "animationName parameter must be non nil");
    auto it = m_animations.find(animationName);
    return it == m_animations.end() ? nullptr : it->second.get();
}

void Sprite::setDisplayFrame(Texture2D* frame) { setTexture(frame); }

void Sprite::setDisplayFrame(const std::string& animationName, unsigned frameIndex)
{
    Animation* animation = animationByName(animationName);
    MW_ASSERT(animation, "setDisplayFrame: no animation by that name");
    MW_ASSERT(frameIndex < animation->frames().size(), "setDisplayFrame: Invalid frame index");
    setTexture(animation->frames()[frameIndex]);
}
