#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"
#include "Engine/Support/Selector.h"

#include <gtest/gtest.h>

TEST(Geometry, RectIntersectionIgnoresSharedEdgesAndHandlesNegativeSizes)
{
    const CGRect a = CGRectMake(0, 0, 10, 10);
    EXPECT_TRUE(CGRectIntersectsRect(a, CGRectMake(5, 5, 10, 10)));
    EXPECT_FALSE(CGRectIntersectsRect(a, CGRectMake(10, 0, 10, 10)));
    EXPECT_TRUE(CGRectIntersectsRect(a, CGRectMake(12, 12, -4, -4))); // standardized: (8,8)-(12,12)
    EXPECT_FALSE(CGRectIntersectsRect(a, CGRectMake(20, 20, 1, 1)));
}

TEST(Geometry, ContainsPointIsHalfOpen)
{
    const CGRect r = CGRectMake(0, 0, 10, 10);
    EXPECT_TRUE(CGRectContainsPoint(r, { 0, 0 }));
    EXPECT_FALSE(CGRectContainsPoint(r, { 10, 5 }));
    EXPECT_FALSE(CGRectContainsPoint(r, { 5, 10 }));
}

TEST(Geometry, AffineInverseUndoesTransform)
{
    CGAffineTransform t = CGAffineTransformIdentity;
    t = CGAffineTransformTranslate(t, 30, -12);
    t = CGAffineTransformRotate(t, 0.7f);
    t = CGAffineTransformScale(t, 2, 0.5f);
    const CGPoint p { 3, 4 };
    const CGPoint back
        = CGPointApplyAffineTransform(CGPointApplyAffineTransform(p, t), CGAffineTransformInvert(t));
    EXPECT_NEAR(back.x, p.x, 1e-4);
    EXPECT_NEAR(back.y, p.y, 1e-4);
    // Translate-then-scale order: the scale applies to the point before the translation.
    const CGPoint q = CGPointApplyAffineTransform(
        { 1, 1 }, CGAffineTransformScale(CGAffineTransformMakeTranslation(10, 0), 2, 2));
    EXPECT_FLOAT_EQ(q.x, 12);
    EXPECT_FLOAT_EQ(q.y, 2);
}

namespace {
struct Counted : Object {
    static inline int alive = 0;
    Counted() { ++alive; }
    ~Counted() override { --alive; }
    void hit(float dt) { total += dt; }
    void other(float) { }
    float total = 0;
};
} // namespace

TEST(Ref, CountsOwnersAndFreesWithTheLast)
{
    {
        Ref<Counted> a = make<Counted>();
        EXPECT_EQ(a->retainCount(), 1);
        Ref<Object> b = a;
        EXPECT_EQ(a->retainCount(), 2);
        a = nullptr;
        EXPECT_EQ(Counted::alive, 1);
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(Selector, IdentityIsTheMethodAndCallsTheTarget)
{
    Ref<Counted> c = make<Counted>();
    auto s1 = MW_SELECTOR(Counted, hit);
    Selector<float> s2(&Counted::hit);
    Selector<float> s3(&Counted::other);
    EXPECT_TRUE(s1 == s2);
    EXPECT_FALSE(s1 == s3);
    s1(c.get(), 0.25f);
    EXPECT_FLOAT_EQ(c->total, 0.25f);
    EXPECT_STREQ(s1.name(), "hit");
}
