#include "Engine/ActionManager.h"

#include "Engine/Action.h"
#include "Engine/Node.h"
#include "Engine/Scheduler.h"
#include "Engine/Support/Exception.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace {
// One retain, never released at exit (see the scheduler's shared instance).
ActionManager* s_sharedManager = nullptr;
bool s_allocating = false;
std::mutex s_managerLock;
} // namespace

ActionManager* ActionManager::sharedManager()
{
    std::lock_guard<std::mutex> lock(s_managerLock);
    if (!s_sharedManager) {
        s_allocating = true;
        s_sharedManager = new ActionManager();
        s_allocating = false;
        s_sharedManager->retain();
        s_sharedManager->m_timer = Timer::timerWithTarget(s_sharedManager, MW_SELECTOR(ActionManager, tick));
        Scheduler::sharedScheduler()->scheduleTimer(s_sharedManager->m_timer.get());
    }
    return s_sharedManager;
}

ActionManager* ActionManager::existingManager() { return s_sharedManager; }

void ActionManager::purgeSharedManager()
{
    ActionManager* old = nullptr;
    {
        std::lock_guard<std::mutex> lock(s_managerLock);
        old = std::exchange(s_sharedManager, nullptr);
    }
    if (!old)
        return;
    old->removeAllActions();
    // The timer retains the manager; without this a live scheduler would keep ticking it.
    if (Scheduler* scheduler = Scheduler::existingScheduler())
        if (scheduler->isScheduled(old->m_timer.get()))
            scheduler->unscheduleTimer(old->m_timer.get());
    old->m_timer = nullptr;
    old->release();
}

ActionManager::ActionManager()
{
    MW_ASSERT(s_allocating || !s_sharedManager, "Attempted to allocate a second instance of a singleton.");
}

ActionManager::~ActionManager() = default;

ActionManager::Record* ActionManager::recordFor(const Node* target) const
{
    auto it = m_index.find(target);
    return it == m_index.end() ? nullptr : it->second;
}

void ActionManager::addAction(Action* action, Node* target, bool paused)
{
    MW_ASSERT(action != nullptr, "Argument action must be non-nil");
    MW_ASSERT(target != nullptr, "Argument target must be non-nil");
    Record* record = recordFor(target);
    if (record) {
        for (const Ref<Action>& a : record->actions)
            MW_ASSERT(a.get() != action, "runAction: Action already running");
    } else {
        auto fresh = std::make_unique<Record>();
        fresh->target = target;
        fresh->paused = paused;
        fresh->actions.reserve(4);
        record = fresh.get();
        m_records.push_back(std::move(fresh));
        m_index[target] = record;
    }
    record->actions.emplace_back(action);
    action->startWithTarget(target);
}

void ActionManager::removeActionAtIndex(Record* record, int index)
{
    Action* action = record->actions[static_cast<std::size_t>(index)].get();
    // The tick holds its own reference to the action being stepped; only the flag is needed.
    if (action == record->currentAction && !record->currentActionSalvaged)
        record->currentActionSalvaged = true;
    Ref<Action> released = std::move(record->actions[static_cast<std::size_t>(index)]);
    record->actions.erase(record->actions.begin() + index);
    if (record->actionIndex >= index)
        --record->actionIndex;
    if (record->actions.empty()) {
        if (record == m_currentTarget)
            m_currentTargetSalvaged = true;
        else
            deleteRecord(record);
    }
}

void ActionManager::deleteRecord(Record* record)
{
    if (record->deleted)
        return;
    record->deleted = true;
    m_index.erase(record->target);
    // Take everything out first: releasing an action may free nodes it holds, whose
    // destructors come back here.
    std::vector<Ref<Action>> actions = std::move(record->actions);
    record->actions.clear();
    record->target = nullptr;
    if (!m_ticking) {
        auto it = std::find_if(m_records.begin(), m_records.end(),
            [record](const std::unique_ptr<Record>& r) { return r.get() == record; });
        std::unique_ptr<Record> dying = std::move(*it);
        m_records.erase(it);
    }
    actions.clear();
}

void ActionManager::removeAction(Action* action)
{
    if (!action)
        return;
    Record* record = recordFor(action->target());
    if (!record)
        return;
    for (std::size_t i = 0; i < record->actions.size(); ++i)
        if (record->actions[i].get() == action) {
            removeActionAtIndex(record, static_cast<int>(i));
            return;
        }
}

void ActionManager::removeActionByTag(int tag, Node* target)
{
    MW_ASSERT(tag != kActionTagInvalid, "Invalid tag");
    MW_ASSERT(target != nullptr, "Target should be ! nil");
    Record* record = recordFor(target);
    if (!record)
        return;
    for (std::size_t i = 0; i < record->actions.size(); ++i) {
        Action* a = record->actions[i].get();
        if (a->tag() == tag && a->target() == target) {
            removeActionAtIndex(record, static_cast<int>(i));
            return;
        }
    }
}

void ActionManager::removeAllActionsFromTarget(Node* target)
{
    if (!target)
        return;
    Record* record = recordFor(target);
    if (!record)
        return;
    if (record->currentAction)
        record->currentActionSalvaged = true;
    if (record == m_currentTarget) {
        // The tick is still walking this record: empty it now, delete it when the tick is done.
        std::vector<Ref<Action>> actions = std::move(record->actions);
        record->actions.clear();
        record->actionIndex = -1;
        m_currentTargetSalvaged = true;
        return; // `actions` released here, after the record is consistent
    }
    deleteRecord(record);
}

void ActionManager::removeAllActions()
{
    // Releasing one target's actions may free other targets; a freed node has dropped its own
    // record, so each is looked up again before use.
    std::vector<Node*> targets;
    targets.reserve(m_records.size());
    for (const auto& record : m_records)
        if (!record->deleted)
            targets.push_back(record->target);
    for (Node* target : targets) {
        if (!recordFor(target))
            continue;
        Ref<Node> hold(target->retainCount() > 0 ? target : nullptr);
        removeAllActionsFromTarget(target);
    }
}

Action* ActionManager::getActionByTag(int tag, Node* target) const
{
    MW_ASSERT(tag != kActionTagInvalid, "Invalid tag");
    if (Record* record = recordFor(target))
        for (const Ref<Action>& a : record->actions)
            if (a->tag() == tag)
                return a.get();
    return nullptr;
}

int ActionManager::numberOfRunningActionsInTarget(Node* target) const
{
    Record* record = recordFor(target);
    return record ? static_cast<int>(record->actions.size()) : 0;
}

void ActionManager::pauseAllActionsForTarget(Node* target)
{
    if (Record* record = recordFor(target))
        record->paused = true;
}

void ActionManager::resumeAllActionsForTarget(Node* target)
{
    if (Record* record = recordFor(target))
        record->paused = false;
}

bool ActionManager::isTargetPaused(Node* target) const
{
    Record* record = recordFor(target);
    return record && record->paused;
}

void ActionManager::tick(float dt)
{
    // An action may end the director, which purges this manager.
    Ref<ActionManager> self(this);
    m_ticking = true;
    // Records added during the tick are appended and ticked too: their actions have started.
    for (std::size_t r = 0; r < m_records.size(); ++r) {
        Record* record = m_records[r].get();
        if (record->deleted)
            continue;
        m_currentTarget = record;
        m_currentTargetSalvaged = false;
        // The target stays alive while its actions step, even if they release its last owner.
        Ref<Node> target(record->target->retainCount() > 0 ? record->target : nullptr);
        if (!record->paused) {
            for (record->actionIndex = 0; record->actionIndex < static_cast<int>(record->actions.size());
                 ++record->actionIndex) {
                Ref<Action> action = record->actions[static_cast<std::size_t>(record->actionIndex)];
                record->currentAction = action.get();
                record->currentActionSalvaged = false;
                action->step(dt);
                if (record->currentActionSalvaged) {
                    // Removed during its own step; our reference is the last one.
                } else if (action->isDone()) {
                    action->stop();
                    // stop() may have removed it already.
                    auto it = std::find_if(record->actions.begin(), record->actions.end(),
                        [&action](const Ref<Action>& a) { return a.get() == action.get(); });
                    if (it != record->actions.end())
                        removeActionAtIndex(record, static_cast<int>(it - record->actions.begin()));
                }
                record->currentAction = nullptr;
                if (record->deleted)
                    break;
            }
        }
        m_currentTarget = nullptr;
        // Emptied during the tick (salvaged) or finished; an action run again on the target
        // after a removeAll keeps the record.
        if (record->actions.empty())
            deleteRecord(record);
    }
    m_ticking = false;
    m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                        [](const std::unique_ptr<Record>& r) { return r->deleted; }),
        m_records.end());
}
