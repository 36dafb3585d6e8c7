#include "Classes/PrimitiveRendering.h"

#include "Engine/DrawingPrimitives.h"

#include <GLES/gl.h>
#include <chipmunk/chipmunk.h>
#include <chipmunk/chipmunk_structs.h>

#include <iterator>
#include <vector>

namespace {

// The library's cpvrotate is the complex product (v.x*r.x - v.y*r.y, v.x*r.y + v.y*r.x).
cpVect toWorld(cpBody* body, cpVect local)
{
    return cpvadd(cpBodyGetPosition(body), cpvrotate(local, cpBodyGetRotation(body)));
}

CGPoint point(cpVect v) { return CGPointMake(static_cast<float>(v.x), static_cast<float>(v.y)); }

void drawCircleShape(cpShape* shape)
{
    cpBody* body = cpShapeGetBody(shape);
    const cpVect centre = toWorld(body, cpCircleShapeGetOffset(shape));
    drawCircle(point(centre), static_cast<float>(cpCircleShapeGetRadius(shape)),
        static_cast<float>(cpBodyGetAngle(body)), 25, false);
}

void drawSegmentShape(cpShape* shape)
{
    cpBody* body = cpShapeGetBody(shape);
    drawLine(
        point(toWorld(body, cpSegmentShapeGetA(shape))), point(toWorld(body, cpSegmentShapeGetB(shape))));
}

void drawPolyShape(cpShape* shape)
{
    cpBody* body = cpShapeGetBody(shape);
    const int count = cpPolyShapeGetCount(shape);
    // The figures' parts are boxes and small polygons: no allocation for them.
    CGPoint onStack[16];
    std::vector<CGPoint> onHeap;
    CGPoint* points = onStack;
    if (count > static_cast<int>(std::size(onStack))) {
        onHeap.resize(static_cast<size_t>(count));
        points = onHeap.data();
    }
    for (int i = 0; i < count; ++i)
        points[i] = point(toWorld(body, cpPolyShapeGetVert(shape, i)));
    drawPoly(points, static_cast<unsigned>(count), true);
}

} // namespace

void drawShape(cpShape* shape)
{
    glColor4f(1, 1, 1, 1);
    // The library has no shape-kind getter; its public struct header exposes the class.
    switch (shape->klass->type) {
    case CP_CIRCLE_SHAPE:
        drawCircleShape(shape);
        break;
    case CP_SEGMENT_SHAPE:
        drawSegmentShape(shape);
        break;
    case CP_POLY_SHAPE:
        drawPolyShape(shape);
        break;
    default:
        break;
    }
}
