#include "Classes/Queue.h"
#include "Classes/Random.h"

#include <gtest/gtest.h>

#include <set>

namespace {
struct Item : Object {
    static inline int alive = 0;
    Item() { ++alive; }
    ~Item() override { --alive; }
};
} // namespace

TEST(Queue, FirstInFirstOutAndDequeuedObjectOutlivesRemoval)
{
    Ref<Queue> q = Queue::queue();
    Ref<Item> a = make<Item>(), b = make<Item>(), c = make<Item>();
    q->enqueue(a);
    q->enqueue(b);
    q->enqueue(c);
    EXPECT_EQ(q->count(), 3);
    EXPECT_TRUE(q->containsObject(b));
    EXPECT_EQ(q->dequeue().get(), a.get());
    EXPECT_EQ(q->dequeue().get(), b.get());
    EXPECT_FALSE(q->containsObject(b));
    EXPECT_EQ(q->dequeue().get(), c.get());
    EXPECT_EQ(q->dequeue().get(), nullptr);
    EXPECT_EQ(q->count(), 0);

    // The queue may be the last owner: the returned Ref keeps the object alive.
    q->enqueue(make<Item>());
    const int before = Item::alive;
    Ref<Object> survivor = q->dequeue();
    EXPECT_EQ(Item::alive, before);
    survivor = nullptr;
    EXPECT_EQ(Item::alive, before - 1);
}

TEST(ShapeQueue, MembershipIsByPointerAndEndsWithDequeue)
{
    Ref<ShapeQueue> q = ShapeQueue::queue();
    int x, y;
    auto* s1 = reinterpret_cast<cpShape*>(&x);
    auto* s2 = reinterpret_cast<cpShape*>(&y);
    EXPECT_EQ(q->dequeue(), nullptr);
    q->enqueue(s1);
    q->enqueue(s2);
    EXPECT_TRUE(q->containsShape(s1));
    EXPECT_EQ(q->dequeue(), s1);
    EXPECT_FALSE(q->containsShape(s1));
    EXPECT_TRUE(q->containsShape(s2));
    q->clear();
    EXPECT_EQ(q->count(), 0);
}

TEST(Random, RangeStopsTwoShortOfTheEndAndSeedsOnce)
{
    Random::seedWith(1234);
    std::set<int> seen;
    for (int i = 0; i < 200000; ++i) {
        const int v = Random::randIntWithStart(1, 100);
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 99);
        seen.insert(v);
        const int r = Random::randIntWithStart(20, 80);
        ASSERT_GE(r, 20);
        ASSERT_LE(r, 79);
    }
    EXPECT_TRUE(seen.count(98));
    EXPECT_FALSE(seen.count(100));

    // Seeding again only happens on request: seed() after seedWith keeps the sequence.
    Random::seedWith(42);
    const int first = Random::randIntWithStart(0, 1000000);
    Random::seedWith(42);
    Random::seed();
    EXPECT_EQ(Random::randIntWithStart(0, 1000000), first);
}
