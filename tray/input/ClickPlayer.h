// The thread that plays the key click. The sound system plays each sound on a thread
// of its own and, before it plays the next, waits for the one before to end: a sound
// thread that cannot begin (the system's loader held by another vendor's library)
// would hold whoever asks next, for good. Only this thread asks the sound system;
// whoever wants a click hands it over and never waits.
#pragma once
#include <windows.h>

// Starts the player for `sound`, a whole WAVE file in memory that must stay until the
// player is stopped. False when no thread could be had.
bool StartClickPlayer(const BYTE* sound);
// Hands a click to the player; false when it is dropped: no player, or the player
// still waits on the sound system for the clicks before.
bool RequestClick(HINSTANCE instance);
// Stops the playing click and the player. True when the player is done with the
// sound, which may then be freed; false when the sound system still holds it.
bool StopClickPlayer();
