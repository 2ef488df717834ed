// Actions on the device itself.
#pragma once

void ResetDevice();
// Turns the screen a quarter further: 0, 90, 180, 270 degrees, then upright again.
void RotateScreen();
