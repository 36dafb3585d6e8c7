#include "Engine/Action.h"
#include "Platform/Log.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

Ref<Action> Action::action() { return make<Action>(); }

std::string Action::description() const
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "<%s = %08" PRIXPTR " | Tag = %i>", className(),
        reinterpret_cast<std::uintptr_t>(this), m_tag);
    return buf;
}

Ref<Action> Action::copy() const
{
    Ref<Action> copy = make<Action>();
    copy->m_tag = m_tag;
    return copy;
}

void Action::startWithTarget(Node* target)
{
    m_target = target;
    start();
}

void Action::start() { }

void Action::stop() { }

bool Action::isDone() const { return true; }

void Action::step(float) { logLine(LogLevel::Warning, "[Action step]. override me"); }

void Action::update(float) { logLine(LogLevel::Warning, "[Action update]. override me"); }
