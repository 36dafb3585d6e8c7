// The figures the "ragdollClass" setting can name.
#include "Classes/BabeBikiniProfile.h"
#include "Classes/Dog.h"
#include "Classes/Narwhal.h"
#include "Classes/Nerd.h"
#include "Classes/Ragdoll.h"
#include "Classes/Rocker.h"

const std::vector<const RagdollClass*>& Ragdoll::allClasses()
{
    static const std::vector<const RagdollClass*> classes
        = { &Nerd::ragdollClass(), &BabeBikiniProfile::ragdollClass(), &Dog::ragdollClass(),
              &Rocker::ragdollClass(), &Narwhal::ragdollClass() };
    return classes;
}
