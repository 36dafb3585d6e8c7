#include "Engine/KeyHandler.h"

#include "Engine/Node.h"

bool dispatchKey(Node* root, HostKey key)
{
    if (!root || !root->visible() || !root->isRunning())
        return false;
    // A handler may replace the scene or remove nodes; hold on to what is being walked.
    Ref<Node> keep(root);
    const std::vector<Ref<Node>> children = root->children();
    for (auto child = children.rbegin(); child != children.rend(); ++child)
        if (dispatchKey(child->get(), key))
            return true;
    auto* handler = dynamic_cast<KeyHandler*>(root);
    return handler && handler->onKey(key);
}
