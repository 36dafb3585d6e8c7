#pragma once
// Points, sizes, rectangles and 2-D affine transforms in 32-bit floats, with the phone
// platform's semantics that the game's layout and ball-field tests depend on.

#include <cmath>

struct CGPoint {
    float x = 0, y = 0;
    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};
struct CGSize {
    float width = 0, height = 0;
    friend bool operator==(const CGSize&, const CGSize&) = default;
};
struct CGRect {
    CGPoint origin;
    CGSize size;
    friend bool operator==(const CGRect&, const CGRect&) = default;
};

// Maps (x, y) to (a*x + c*y + tx, b*x + d*y + ty).
struct CGAffineTransform {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    friend bool operator==(const CGAffineTransform&, const CGAffineTransform&) = default;
};

inline constexpr CGPoint CGPointZero { 0, 0 };
inline constexpr CGSize CGSizeZero { 0, 0 };
inline constexpr CGRect CGRectZero {};
inline constexpr CGAffineTransform CGAffineTransformIdentity {};

inline CGPoint CGPointMake(float x, float y) { return { x, y }; }
inline CGSize CGSizeMake(float w, float h) { return { w, h }; }
inline CGRect CGRectMake(float x, float y, float w, float h) { return { { x, y }, { w, h } }; }
inline bool CGPointEqualToPoint(CGPoint a, CGPoint b) { return a == b; }
inline bool CGSizeEqualToSize(CGSize a, CGSize b) { return a == b; }

// Rectangles with negative sizes are treated as their standardized equivalent, as the platform does.
inline float CGRectGetMinX(const CGRect& r)
{
    return r.size.width < 0 ? r.origin.x + r.size.width : r.origin.x;
}
inline float CGRectGetMaxX(const CGRect& r)
{
    return r.size.width < 0 ? r.origin.x : r.origin.x + r.size.width;
}
inline float CGRectGetMinY(const CGRect& r)
{
    return r.size.height < 0 ? r.origin.y + r.size.height : r.origin.y;
}
inline float CGRectGetMaxY(const CGRect& r)
{
    return r.size.height < 0 ? r.origin.y : r.origin.y + r.size.height;
}
inline float CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width * 0.5f; }
inline float CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height * 0.5f; }
inline float CGRectGetWidth(const CGRect& r) { return std::fabs(r.size.width); }
inline float CGRectGetHeight(const CGRect& r) { return std::fabs(r.size.height); }

// Overlap with positive area; rectangles that only share an edge do not intersect.
bool CGRectIntersectsRect(const CGRect& a, const CGRect& b);
// Half-open: the min edges are inside, the max edges are not.
bool CGRectContainsPoint(const CGRect& r, CGPoint p);
CGRect CGRectApplyAffineTransform(const CGRect& r, const CGAffineTransform& t);

CGAffineTransform CGAffineTransformMake(float a, float b, float c, float d, float tx, float ty);
CGAffineTransform CGAffineTransformMakeTranslation(float tx, float ty);
CGAffineTransform CGAffineTransformMakeRotation(float radians);
CGAffineTransform CGAffineTransformMakeScale(float sx, float sy);
// t' = translate(tx, ty) then t, i.e. the translation is applied first to points.
CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, float tx, float ty);
CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, float radians);
CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, float sx, float sy);
// Applies t1 first, then t2.
CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2);
// A singular transform is returned unchanged, as on the platform.
CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t);
CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t);
CGSize CGSizeApplyAffineTransform(CGSize s, const CGAffineTransform& t);
