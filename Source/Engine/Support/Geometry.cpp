#include "Engine/Support/Geometry.h"

#include <algorithm>

bool CGRectIntersectsRect(const CGRect& a, const CGRect& b)
{
    return CGRectGetMinX(a) < CGRectGetMaxX(b) && CGRectGetMinX(b) < CGRectGetMaxX(a)
        && CGRectGetMinY(a) < CGRectGetMaxY(b) && CGRectGetMinY(b) < CGRectGetMaxY(a);
}

bool CGRectContainsPoint(const CGRect& r, CGPoint p)
{
    return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r)
        && p.y < CGRectGetMaxY(r);
}

CGRect CGRectApplyAffineTransform(const CGRect& r, const CGAffineTransform& t)
{
    const CGPoint corners[4] = {
        CGPointApplyAffineTransform({ CGRectGetMinX(r), CGRectGetMinY(r) }, t),
        CGPointApplyAffineTransform({ CGRectGetMaxX(r), CGRectGetMinY(r) }, t),
        CGPointApplyAffineTransform({ CGRectGetMinX(r), CGRectGetMaxY(r) }, t),
        CGPointApplyAffineTransform({ CGRectGetMaxX(r), CGRectGetMaxY(r) }, t),
    };
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const CGPoint& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGAffineTransform CGAffineTransformMake(float a, float b, float c, float d, float tx, float ty)
{
    return { a, b, c, d, tx, ty };
}

CGAffineTransform CGAffineTransformMakeTranslation(float tx, float ty) { return { 1, 0, 0, 1, tx, ty }; }

CGAffineTransform CGAffineTransformMakeRotation(float radians)
{
    const float s = std::sin(radians), c = std::cos(radians);
    return { c, s, -s, c, 0, 0 };
}

CGAffineTransform CGAffineTransformMakeScale(float sx, float sy) { return { sx, 0, 0, sy, 0, 0 }; }

CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2)
{
    return { t1.a * t2.a + t1.b * t2.c, t1.a * t2.b + t1.b * t2.d, t1.c * t2.a + t1.d * t2.c,
        t1.c * t2.b + t1.d * t2.d, t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty };
}

CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, float tx, float ty)
{
    return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}

CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, float radians)
{
    return CGAffineTransformConcat(CGAffineTransformMakeRotation(radians), t);
}

CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, float sx, float sy)
{
    return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}

CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t)
{
    const float det = t.a * t.d - t.b * t.c;
    if (det == 0 || !std::isfinite(det))
        return t;
    const float inv = 1.0f / det;
    return { t.d * inv, -t.b * inv, -t.c * inv, t.a * inv, (t.c * t.ty - t.d * t.tx) * inv,
        (t.b * t.tx - t.a * t.ty) * inv };
}

CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t)
{
    return { t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty };
}

CGSize CGSizeApplyAffineTransform(CGSize s, const CGAffineTransform& t)
{
    return { t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height };
}
