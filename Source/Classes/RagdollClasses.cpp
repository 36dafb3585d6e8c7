// The figures the "ragdollClass" setting can name.
#include "Classes/Nerd.h"
#include "Classes/Ragdoll.h"

const std::vector<const RagdollClass*>& Ragdoll::allClasses()
{
    static const std::vector<const RagdollClass*> classes = {&Nerd::ragdollClass()};
    return classes;
}
