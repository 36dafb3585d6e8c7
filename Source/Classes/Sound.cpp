#include "Classes/Sound.h"

// TODO(sound effects): prepare the system sounds here.
void Sound::initSoundEngine() { }
