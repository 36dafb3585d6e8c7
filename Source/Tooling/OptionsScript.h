#pragma once
// Script command for the option pages' sliders (installOptionsScript adds it):
//   slider N VALUE    moves the Nth slider on screen (1 = first in drawing order) to VALUE, as
//                     a finger would: the value is kept within the slider's range and its
//                     action runs
//   choose TITLE      presses the button of that title on the alert on screen
//   page CLASS        opens the option page of that class as the first page (the high-score
//                     and lite About pages have no other way in)
// Inline, so the portable library never needs the runner's script code.
#include "Classes/Options.h"
#include "Classes/Stack.h"
#include "Engine/AlertView.h"
#include "Engine/Director.h"
#include "Engine/Slider.h"
#include "Tooling/Script.h"

#include <cstdio>

inline void installOptionsScript()
{
    ScriptCommands::add("slider", [](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const auto index = static_cast<std::size_t>(args.integer("slider number", 1, 1000));
        const float value = static_cast<float>(args.number("value"));
        args.finish();
        return [index, value](ScriptContext&) {
            const std::vector<Slider*> sliders
                = Slider::slidersIn(Director::sharedDirector()->runningScene());
            if (index > sliders.size()) {
                std::fprintf(stderr, "slider %zu: only %zu on screen\n", index, sliders.size());
                return;
            }
            sliders[index - 1]->slideTo(value);
        };
    });
    ScriptCommands::add("page", [](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const std::string className = args.text("page class");
        args.finish();
        if (!OptionsScene::isRegisteredClass(className))
            args.fail("no option page of class " + className);
        return [className](ScriptContext&) {
            // A first page starts the history afresh, wherever the player was.
            if (Stack* names = OptionsScene::classNamesStack()) {
                names->clear();
                OptionsScene::titlesStack()->clear();
            }
            OptionsScene::first(OptionsScene::sceneWithClassName(className).get());
        };
    });
    ScriptCommands::add("choose", [](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const std::string title = args.text("button title");
        args.finish();
        return [title](ScriptContext&) {
            AlertView* alert = AlertView::alertIn(Director::sharedDirector()->runningScene());
            if (!alert)
                std::fprintf(stderr, "choose \"%s\": no alert on screen\n", title.c_str());
            else if (!alert->dismissWithButtonTitle(title))
                std::fprintf(stderr, "choose \"%s\": the alert has no such button\n", title.c_str());
        };
    });
}
