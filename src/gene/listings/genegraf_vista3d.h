#pragma once
// The chart's 3-D view, drawn on the flat Qt Charts chart: the plot stands in
// a box of walls (back, left, floor) carrying the grid, bars get a top and a
// side face, lines a ribbon, points a solid marker, and pies become a tilted
// disc with its rim. The depth is drawn by items of the chart's own scene,
// so whatever renders the chart (the window, printing) shows it.

class QChart;

// Gives Grafico, whose series and axes are all in place, the 3-D view.
void AplicarVista3D(QChart* Grafico);
