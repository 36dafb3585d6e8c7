#include "Engine/Scene.h"

#include "Engine/Director.h"

Ref<Scene> Scene::node() { return make<Scene>(); }

Scene::Scene()
{
    // Origin at the position, rotation and scale about the screen centre.
    m_relativeAnchorPoint = false;
    setAnchorPoint({ 0.5f, 0.5f });
    setContentSize(Director::sharedDirector()->winSize());
}
