// The key-click sound: "soundkb.wav" from the install folder, held in memory so that
// a key press costs no file access.
#pragma once
#include <windows.h>

// 1 when the file was read whole and is a consistent WAVE file, else 0; a file that
// cannot be opened leaves a sound already loaded as it is.
int LoadKeySound(const WCHAR* path);
void FreeKeySound();
// Hands the click to its player without waiting; 0 when no sound is loaded or the
// click is dropped (the sound system has not finished the ones before).
int PlayKeySound(HINSTANCE instance);
