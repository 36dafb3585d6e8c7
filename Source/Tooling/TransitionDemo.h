#pragma once
// Two small pages for looking at menus, transitions and particles in the headless runner:
// page A is a menu over a background, page B a spark fountain with a way back.
//
// Script commands (installTransitionDemo adds them):
//   demo show A|B                  run the page at once, without a transition
//   demo flip A|B [ORIENTATION]    flip to the page (0.5 s; 0 left over, 1 right over)
//   demo slide A|B left|right      slide the page in from that side (0.3 s)

#include "Engine/Scene.h"
#include "Tooling/Script.h"

#include <string>

// The page by name ("A" or "B"), made on first use and kept for the rest of the run, so
// coming back shows the same page again. nullptr for any other name.
Scene* transitionDemoPage(const std::string& name);

// Each does nothing when the page is already running.
void transitionDemoShow(const std::string& page);
void transitionDemoFlip(const std::string& page, int orientation);
void transitionDemoSlide(const std::string& page, bool fromRight);

// Registers the `demo` script command; call before the script is read. Inline, so the
// portable library never needs the runner's script code: only the runner's main calls it.
inline void installTransitionDemo()
{
    ScriptCommands::add("demo", [](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const std::string what = args.text("show, flip or slide");
        if (what != "show" && what != "flip" && what != "slide")
            args.fail("expected show, flip or slide, not '" + what + "'");
        const std::string page = args.text("page");
        if (page != "A" && page != "B")
            args.fail("page must be A or B, not '" + page + "'");
        if (what == "show") {
            args.finish();
            return [page](ScriptContext&) { transitionDemoShow(page); };
        }
        if (what == "flip") {
            const int orientation = static_cast<int>(args.optionalInteger("orientation", 0, 1).value_or(0));
            args.finish();
            return [page, orientation](ScriptContext&) { transitionDemoFlip(page, orientation); };
        }
        const std::string side = args.text("left or right");
        if (side != "left" && side != "right")
            args.fail("side must be left or right, not '" + side + "'");
        args.finish();
        return [page, side](ScriptContext&) { transitionDemoSlide(page, side == "right"); };
    });
}
