#pragma once
// Short point arithmetic used throughout the engine and the game.

#include "Engine/Support/Geometry.h"

#include <cmath>

inline CGPoint ccp(float x, float y) { return { x, y }; }
inline CGPoint ccpAdd(CGPoint a, CGPoint b) { return { a.x + b.x, a.y + b.y }; }
inline CGPoint ccpSub(CGPoint a, CGPoint b) { return { a.x - b.x, a.y - b.y }; }
inline CGPoint ccpNeg(CGPoint a) { return { -a.x, -a.y }; }
inline CGPoint ccpMult(CGPoint a, float s) { return { a.x * s, a.y * s }; }
inline CGPoint ccpMidpoint(CGPoint a, CGPoint b) { return ccpMult(ccpAdd(a, b), 0.5f); }
inline float ccpDot(CGPoint a, CGPoint b) { return a.x * b.x + a.y * b.y; }
inline float ccpCross(CGPoint a, CGPoint b) { return a.x * b.y - a.y * b.x; }
inline CGPoint ccpPerp(CGPoint a) { return { -a.y, a.x }; }
inline CGPoint ccpRPerp(CGPoint a) { return { a.y, -a.x }; }
inline float ccpLengthSQ(CGPoint a) { return ccpDot(a, a); }
inline float ccpLength(CGPoint a) { return std::sqrt(ccpLengthSQ(a)); }
inline float ccpDistance(CGPoint a, CGPoint b) { return ccpLength(ccpSub(a, b)); }
inline CGPoint ccpNormalize(CGPoint a)
{
    const float l = ccpLength(a);
    return l > 0 ? ccpMult(a, 1.0f / l) : a;
}
inline CGPoint ccpForAngle(float a) { return { std::cos(a), std::sin(a) }; }
inline float ccpToAngle(CGPoint v) { return std::atan2(v.y, v.x); }

inline constexpr float kPi = 3.14159265358979323846f;
inline float degreesToRadians(float d) { return d * kPi / 180.0f; }
inline float radiansToDegrees(float r) { return r * 180.0f / kPi; }
