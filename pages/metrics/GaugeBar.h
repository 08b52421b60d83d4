#pragma once
// What a gauge (a progress bar from 0 to high) draws for a position: only the
// length of its filled part, in whole pixels of the bar's inner length.

// Whether two positions fill the same length of a bar barLength pixels long,
// whether the control rounds the position's share to the nearest pixel or
// truncates it. Positions outside 0..high count as the nearer end.
bool DrawsSameBar(int high, int first, int second, int barLength);
