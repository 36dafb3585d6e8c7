// The "game" section of the headless runner's dump: what a test or a bug report needs to see
// of the play without pixels.
#include "Tooling/GameDump.h"

#include "Classes/Ball.h"
#include "Classes/Game.h"
#include "Classes/PainMeter.h"
#include "Classes/Ragdoll.h"
#include "Classes/cpMouse.h"
#include "Engine/Director.h"
#include "Engine/LabelAtlas.h"
#include "Platform/Host.h"
#include "Tooling/DumpRegistry.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace {

nlohmann::json vec(cpVect v) { return { v.x, v.y }; }

void writeGame(nlohmann::json& out)
{
    Scene* running = Director::sharedDirector()->runningScene();
    auto* scene = dynamic_cast<GameScene*>(running);
    if (!scene || !scene->gameLayer()) {
        out = nullptr;
        return;
    }
    GameLayer* layer = scene->gameLayer();
    out["layerPosition"] = { layer->position().x, layer->position().y };
    out["gravity"] = vec(cpSpaceGetGravity(layer->space()));
    out["damping"] = cpSpaceGetDamping(layer->space());
    out["optionsRequests"] = layer->optionsRequests();

    if (Ragdoll* ragdoll = layer->ragdoll()) {
        out["ragdollClass"] = ragdoll->className();
        nlohmann::json bodies = nlohmann::json::object();
        for (const Ragdoll::Part& part : ragdoll->parts()) {
            bodies[part.name] = { { "position", vec(cpBodyGetPosition(part.body)) },
                { "angle", cpBodyGetAngle(part.body) }, { "velocity", vec(cpBodyGetVelocity(part.body)) },
                { "angularVelocity", cpBodyGetAngularVelocity(part.body) } };
        }
        out["bodies"] = std::move(bodies);
    } else {
        out["ragdollClass"] = nullptr;
    }

    nlohmann::json balls = nlohmann::json::array();
    for (const Ref<Ball>& ball : layer->balls())
        balls.push_back(
            { { "center", { ball->position().x, ball->position().y } }, { "radius", ball->radius() } });
    out["balls"] = std::move(balls);

    if (PainMeterLayer* meter = layer->painMeter()) {
        out["pain"] = meter->pain();
        out["painLevel"] = meter->currentPainLevel();
        out["litBlocks"] = meter->currentPainBlockIndex();
        out["label"] = meter->label() ? meter->label()->string() : "";
        out["painMeterShown"] = meter->parent() != nullptr;
    }
    out["totalPain"] = PainMeter::totalPain();
    out["totalPainPoints"] = PainMeter::totalPainPoints();

    if (cpMouse* mouse = layer->mouse()) {
        const char* held = nullptr;
        if (Ragdoll* ragdoll = layer->ragdoll())
            for (const Ragdoll::Part& part : ragdoll->parts())
                if (part.body == mouse->grabbedBody)
                    held = part.name;
        out["mouse"] = { { "position", vec(cpBodyGetPosition(mouse->body)) },
            { "holds", held ? nlohmann::json(held) : nlohmann::json(nullptr) } };
    } else {
        out["mouse"] = nullptr;
    }
}

// The banner as the player sees it: where, how visible, which advert, and how often it asked.
void writeBanner(nlohmann::json& out)
{
    auto* scene = dynamic_cast<GameScene*>(Director::sharedDirector()->runningScene());
    AdView* banner = scene ? scene->adView() : nullptr;
    if (!banner) {
        out = nullptr;
        return;
    }
    const CGRect frame = banner->frame();
    const CGAffineTransform t = banner->transform();
    out["frame"] = { frame.origin.x, frame.origin.y, frame.size.width, frame.size.height };
    out["center"] = { banner->center().x, banner->center().y };
    out["rotation"] = std::atan2(t.b, t.a);
    out["alpha"] = banner->alpha();
    out["shownAlpha"] = banner->presentationAlpha();
    out["hidden"] = banner->isHidden();
    out["inView"] = banner->superview() != nullptr;
    out["lastAnimation"] = banner->lastAnimation();
    out["requests"] = banner->requests();
    out["secondsSinceLastRequest"] = banner->requests() > 0
        ? nlohmann::json(Host::current().absoluteTime() - banner->lastRequestTime())
        : nlohmann::json(nullptr);
    out["adsFailed"] = banner->adsFailed();
    AdMobView* ad = banner->adMobView();
    if (ad && ad->advert())
        out["advert"] = { { "image", ad->advert()->imageName }, { "url", ad->advert()->url } };
    else
        out["advert"] = ad ? nlohmann::json("waiting") : nlohmann::json(nullptr);
}

} // namespace

void installGameDump()
{
    DumpRegistry::add("game", writeGame);
    DumpRegistry::add("banner", writeBanner);
}
