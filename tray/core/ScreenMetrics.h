// Screen metrics: the display's size, the shell's top-bar height and the two
// integer scale factors that turn layout units (a 240-pixel-wide design) into
// device pixels. Written only on the main thread, read from any thread.
#pragma once
#include <windows.h>

struct ScreenMetrics {
    int width;   // HORZRES
    int height;  // VERTRES
    int MH;      // height of the shell's top bar; also the bottom menu bar's height
    int ScaleX;  // 1 or 2
    int ScaleY;  // 1 or 2
};

extern ScreenMetrics g_screen;

int DRAX(int n); // n times the horizontal scale factor
int DRAY(int n); // n times the vertical scale factor

// Measures the screen again and recomputes the factors (start-up, WM_SETTINGCHANGE).
void ComputeSize();
