// Bonzelar in a web browser: the page calls main once the player has tapped "Tap to play" and
// the pictures and sounds are in place under /Resources.

#include "Classes/BonzelarAppDelegate.h"
#include "Engine/Director.h"
#include "Engine/Node.h"
#include "Engine/Scene.h"
#include "Engine/TouchDispatcher.h"
#include "Platform/KeyValueStore.h"
#include "Platform/Web/WebHost.h"
#include "Tooling/DumpRegistry.h"
#include "Tooling/GameDump.h"
#include "Tooling/NodeDump.h"

#include <emscripten.h>

#include <cstdlib>
#include <string>

namespace {

// For the page's test hook: the state as the headless runner dumps it (settings without
// picture digests).
std::string dumpState(WebHost& host)
{
    nlohmann::ordered_json root;
    root["frame"] = host.frames();
    root["time"] = host.absoluteTime();
    const Scene* scene = Director::sharedDirector()->runningScene();
    root["scene"] = scene ? nlohmann::ordered_json(scene->className()) : nlohmann::ordered_json();
    root["touchesDispatched"] = TouchDispatcher::sharedDispatcher()->dispatchEvents();
    root["nodes"]
        = scene ? nlohmann::ordered_json::parse(NodeDump::tree(scene).dump()) : nlohmann::ordered_json();
    nlohmann::json sections = nlohmann::json::object();
    DumpRegistry::writeAll(sections);
    nlohmann::json settings = nlohmann::json::object();
    KeyValueStore& store = host.store();
    for (const std::string& key : store.keys()) {
        const auto value = store.valueForKey(key);
        if (!value)
            continue;
        switch (KeyValueStore::typeOf(*value)) {
        case KeyValueStore::Type::Bool:
            settings[key] = std::get<0>(*value);
            break;
        case KeyValueStore::Type::Integer:
            settings[key] = std::get<1>(*value);
            break;
        case KeyValueStore::Type::Real:
            settings[key] = std::get<2>(*value);
            break;
        case KeyValueStore::Type::String:
            settings[key] = std::get<3>(*value);
            break;
        case KeyValueStore::Type::Data:
            settings[key] = { { "bytes", std::get<4>(*value).size() } };
            break;
        case KeyValueStore::Type::Json:
            settings[key] = std::get<5>(*value);
            break;
        }
    }
    sections["settings"] = settings;
    for (auto it = sections.begin(); it != sections.end(); ++it)
        if (!root.contains(it.key()))
            root[it.key()] = nlohmann::ordered_json::parse(it.value().dump());
    return root.dump();
}

WebHost* s_host = nullptr;

} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE const char* bz_dump()
{
    static std::string text;
    text = s_host ? dumpState(*s_host) : std::string("null");
    return text.c_str();
}

int main()
{
    // Both live as long as the page: the browser, not main, runs the frames.
    // The page's test hook reads the game's state as the headless runner's dump does.
    installGameDump();
    s_host = new WebHost;
    Host::setCurrent(s_host);
    auto* app = new BonzelarAppDelegate;
    s_host->setListener(app);
    const int status = runReportingUncaughtExceptions([app] {
        app->applicationDidFinishLaunching();
        return EXIT_SUCCESS;
    });
    if (status != EXIT_SUCCESS || !s_host->hasSurface()) {
        EM_ASM({
            if (Module.bzFailed)
                Module.bzFailed();
        });
        return EXIT_FAILURE;
    }
    return s_host->run();
}
