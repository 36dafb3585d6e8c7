#pragma once
// The "game" section of the runner's dump: the play layer, the figure's bodies, the balls, pain
// and the touch mouse, read through the game's public accessors. Null while no game runs.

void installGameDump();
