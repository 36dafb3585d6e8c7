#pragma once
// Sound effects. Only the engine start-up exists yet; playback comes with the figures' sounds.

class Sound {
public:
    static void initSoundEngine();
};
