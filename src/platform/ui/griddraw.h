#pragma once
// The state of a grid cell handed to the grids' drawing events.

enum TGridDrawStateFlag { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
