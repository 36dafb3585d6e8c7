#pragma once
// Untextured lines in the current model-view space. The caller picks colour and line width;
// these set no colour, width, blending or texture state.

#include "Engine/Support/Geometry.h"

void drawLine(CGPoint origin, CGPoint destination);
// Closed draws the segment from the last point back to the first as well.
void drawPoly(const CGPoint* points, unsigned numberOfPoints, bool closePolygon);
// The outline starts at angle (radians); drawLineToCenter adds the radius from the closing
// point to the centre, which shows the rotation.
void drawCircle(CGPoint center, float radius, float angle, unsigned segments, bool drawLineToCenter);
