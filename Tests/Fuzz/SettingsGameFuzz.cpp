// A settings store of random typed values, then 60 frames of the game built from it.
#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/Random.h"
#include "Engine/Director.h"
#include "Platform/MemoryStore.h"
#include "Support/FakeHost.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    template <class T> T raw()
    {
        T value {};
        unsigned char bytes[sizeof(T)] = {};
        for (unsigned char& b : bytes)
            b = byte();
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    std::string text()
    {
        std::string out;
        for (int n = byte() % 40; n > 0; --n)
            out += static_cast<char>(byte());
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

KeyValueStore::Value randomValue(Input& in)
{
    using V = KeyValueStore::Value;
    switch (in.byte() % 6) {
    case 0:
        return V(std::in_place_index<0>, (in.byte() & 1) != 0);
    case 1:
        return V(std::in_place_index<1>, in.raw<std::int64_t>());
    case 2:
        return V(std::in_place_index<2>, in.raw<double>());
    case 3:
        return V(std::in_place_index<3>, in.text());
    case 4: {
        const std::string bytes = in.text();
        return V(std::in_place_index<4>, KeyValueStore::Bytes(bytes.begin(), bytes.end()));
    }
    default:
        return V(std::in_place_index<5>, nlohmann::json::array({ in.raw<double>(), in.text() }));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FakeHost host;
    Input in(data, size);
    MemoryStore store;
    // Past the first-run set-up, so that what the store holds is what the game reads.
    Configuration::resetForTesting(&store);
    Configuration::current();
    for (const std::string& key : Configuration::keys())
        if (in.byte() % 4 != 0)
            store.setValue(key, randomValue(in));
    Configuration::resetForTesting(&store);

    Director::sharedDirector()->attachInWindow(WindowInfo {});
    Random::seedWith(in.raw<unsigned>());
    GameLayer::resetTiltFilterForTesting();
    {
        Ref<GameLayer> layer = GameLayer::node();
        for (int frame = 0; frame < 60; ++frame) {
            if (frame % 10 == 0)
                layer->accelerometer(
                    nullptr, Acceleration { in.raw<float>() * 1e-3, in.raw<float>() * 1e-3, 0, 0 });
            layer->step(1.0f / 60);
        }
        layer->cleanup();
    }
    resetEngineForTest();
    Configuration::resetForTesting(nullptr);
    return 0;
}
