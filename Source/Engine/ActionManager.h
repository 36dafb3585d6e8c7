#pragma once
// Keeps every running action per target and steps them once per frame from its own timer.
// The targets are not owned: a node's actions go with it when it is freed.
//
// An action's step may remove itself, other actions or all actions of its target (a callback
// action does that): the action being stepped is kept alive until its step returns, a record
// emptied while it is being ticked is deleted only after the tick is done with it, and the
// running index is moved back on removal so no action is skipped.

#include "Engine/Support/Ref.h"

#include <memory>
#include <unordered_map>
#include <vector>

class Action;
class Node;
class Timer;

class ActionManager : public Object {
public:
    static ActionManager* sharedManager();
    // Removes all actions, stops the manager's timer and drops the shared instance.
    static void purgeSharedManager();
    // The shared instance if one exists, without creating it.
    static ActionManager* existingManager();

    ActionManager();
    ~ActionManager() override;
    const char* className() const override { return "ActionManager"; }

    // Starts the action at once; a new record for the target gets the paused flag.
    void addAction(Action* action, Node* target, bool paused);
    void removeAction(Action* action);
    void removeActionByTag(int tag, Node* target);
    void removeAllActions();
    void removeAllActionsFromTarget(Node* target);
    Action* getActionByTag(int tag, Node* target) const;
    int numberOfRunningActionsInTarget(Node* target) const;
    void pauseAllActionsForTarget(Node* target);
    void resumeAllActionsForTarget(Node* target);
    bool isTargetPaused(Node* target) const;

    void tick(float dt);

private:
    struct Record {
        std::vector<Ref<Action>> actions;
        Node* target = nullptr; // not retained: a node removes its record when it goes
        int actionIndex = 0;
        Action* currentAction = nullptr;
        bool currentActionSalvaged = false;
        bool paused = false;
        bool deleted = false; // removed from the index while being ticked; erased after the tick
    };

    Record* recordFor(const Node* target) const;
    void removeActionAtIndex(Record* record, int index);
    void deleteRecord(Record* record);

    // Records in creation order; the index finds them by target identity.
    std::vector<std::unique_ptr<Record>> m_records;
    std::unordered_map<const Node*, Record*> m_index;
    Record* m_currentTarget = nullptr;
    bool m_currentTargetSalvaged = false;
    bool m_ticking = false;
    Ref<Timer> m_timer;
};
