#pragma once
// A full-screen root of a node tree; the director runs one at a time.

#include "Engine/Node.h"

class Scene : public Node {
public:
    static Ref<Scene> node();
    Scene();
    const char* className() const override { return "Scene"; }

    // Transition scenes answer true; the director then leaves the scene exit and entry to them.
    virtual bool isTransition() const { return false; }
    // True when the scene paints every pixel opaquely each frame, so the director need not
    // clear the surface first.
    virtual bool coversView() const { return false; }
};
