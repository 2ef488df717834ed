// The key-click sound: "soundkb.wav" from the install folder, held in memory so that
// a key press costs no file access.
#pragma once
#include <windows.h>

// 1 when the file was read whole and is a consistent WAVE file, else 0; a file that
// cannot be opened leaves a sound already loaded as it is.
int LoadKeySound(const WCHAR* path);
void FreeKeySound();
// Plays the click without waiting; 0 when no sound is loaded.
int PlayKeySound(HINSTANCE instance);
