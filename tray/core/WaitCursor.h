// The system's busy cursor around slow work.
#pragma once

void ShowWaitCursor(int on);
