#include "Engine/DrawingPrimitives.h"

#include <GLES/gl.h>

#include <cmath>
#include <iterator>
#include <new>
#include <vector>

static_assert(sizeof(CGPoint) == 2 * sizeof(GLfloat), "points are passed to GL as packed float pairs");

void drawLine(CGPoint origin, CGPoint destination)
{
    const CGPoint vertices[2] = { origin, destination };
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glDrawArrays(GL_LINES, 0, 2);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void drawPoly(const CGPoint* points, unsigned numberOfPoints, bool closePolygon)
{
    if (!points || numberOfPoints == 0)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, points);
    glDrawArrays(closePolygon ? GL_LINE_LOOP : GL_LINE_STRIP, 0, static_cast<GLsizei>(numberOfPoints));
    glDisableClientState(GL_VERTEX_ARRAY);
}

void drawCircle(CGPoint center, float radius, float angle, unsigned segments, bool drawLineToCenter)
{
    if (segments == 0)
        return;
    // Wireframes draw dozens of circles a frame: the usual sizes fit on the stack.
    CGPoint onStack[66];
    std::vector<CGPoint> onHeap;
    CGPoint* vertices = onStack;
    if (segments + 2 > std::size(onStack)) {
        try {
            onHeap.resize(static_cast<std::size_t>(segments) + 2);
        } catch (const std::bad_alloc&) {
            return;
        }
        vertices = onHeap.data();
    }
    const float coef = 6.2831855f / static_cast<float>(segments);
    // Point `segments` repeats point 0 and closes the outline.
    for (unsigned i = 0; i <= segments; ++i) {
        const float a = angle + coef * static_cast<float>(i);
        vertices[i] = { center.x + std::cos(a) * radius, center.y + std::sin(a) * radius };
    }
    vertices[segments + 1] = center;

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glDrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(drawLineToCenter ? segments + 2 : segments + 1));
    glDisableClientState(GL_VERTEX_ARRAY);
}
