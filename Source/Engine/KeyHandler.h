#pragma once
// Keys for nodes. The director offers each key to the running scene's visible nodes, the
// topmost first (later children before earlier ones, children before their parent); the first
// handler that uses it ends the search.

#include "Platform/Host.h"

class Node;

class KeyHandler {
public:
    virtual ~KeyHandler() = default;
    // True when the key was used.
    virtual bool onKey(HostKey key) = 0;
};

// Offers the key to root and everything under it as described above.
bool dispatchKey(Node* root, HostKey key);
