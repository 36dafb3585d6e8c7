#pragma once
// Script commands and dump sections for the custom face (installFaceScript adds them):
//   pick FILE      answers the photo picker on screen with that picture file
//   pick cancel    cancels it
// Dump sections:
//   "views"  the platform views on screen, depth first in drawing order: class, frame
//            (superview points), transform [a, b, c, d, tx, ty], alpha, hidden, depth
//   "face"   the stored custom face's PNG pixel size (null when none is stored), the
//            content size of the chosen figure's drawn head picture, and of the head sprite
//            the game builds now
#include "Classes/Configuration.h"
#include "Classes/PhotoPicker.h"
#include "Classes/Ragdoll.h"
#include "Engine/Director.h"
#include "Engine/Sprite.h"
#include "Engine/View.h"
#include "Tooling/DumpRegistry.h"
#include "Tooling/Script.h"

#include <cstdio>

inline void dumpViewTree(const View* view, int depth, nlohmann::json& out)
{
    for (const Ref<View>& sub : view->subviews()) {
        const CGRect f = sub->frame();
        const CGAffineTransform t = sub->transform();
        nlohmann::json entry = { { "class", sub->className() }, { "depth", depth },
            { "frame", { f.origin.x, f.origin.y, f.size.width, f.size.height } },
            { "transform", { t.a, t.b, t.c, t.d, t.tx, t.ty } }, { "alpha", sub->alpha() },
            { "hidden", sub->isHidden() } };
        if (auto* label = dynamic_cast<const LabelView*>(sub.get()))
            entry["text"] = label->text();
        else if (auto* button = dynamic_cast<const ButtonView*>(sub.get()))
            entry["title"] = button->title();
        out.push_back(std::move(entry));
        dumpViewTree(sub.get(), depth + 1, out);
    }
}

inline void installFaceScript()
{
    ScriptCommands::add("pick", [](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const std::string file = args.text("picture file or cancel");
        args.finish();
        return [file](ScriptContext&) {
            ImagePickerController* picker = ImagePickerController::current();
            if (!picker)
                std::fprintf(stderr, "pick %s: no photo picker on screen\n", file.c_str());
            else if (file == "cancel")
                picker->cancel();
            else
                picker->pickFile(file);
        };
    });
    DumpRegistry::add("views", [](nlohmann::json& out) {
        out = nlohmann::json::array();
        if (EAGLView* root = Director::sharedDirector()->openGLView())
            dumpViewTree(root, 0, out);
    });
    DumpRegistry::add("face", [](nlohmann::json& out) {
        out["storedPixelSize"] = nullptr;
        if (const auto data = Configuration::current()->customFaceImage()) {
            HostImage image;
            if (!data->empty() && Host::current().decodeImageData(data->data(), data->size(), 4096, image))
                out["storedPixelSize"] = { image.width, image.height };
            else
                out["storedPixelSize"] = "undecodable";
        }
        const RagdollClass* ragdoll = Ragdoll::classFromConfig();
        out["ragdollClass"] = nullptr;
        if (ragdoll)
            out["ragdollClass"] = ragdoll->name;
        Ref<Sprite> head = ragdoll && ragdoll->headSprite ? ragdoll->headSprite() : nullptr;
        if (head)
            out["headContentSize"] = { head->contentSize().width, head->contentSize().height };
        else
            out["headContentSize"] = nullptr;
        // The picture the head is drawn from without a face, named as the figures name it.
        out["defaultHeadContentSize"] = nullptr;
        if (ragdoll) {
            const std::string name = ragdoll->name;
            const std::string file = name == "Dog" ? "DogHead.png"
                : name == "Narwhal"                ? "Narwhal_Body.png"
                                                   : name + "_Head.png";
            if (Ref<Sprite> drawn = Sprite::spriteWithFile(file))
                out["defaultHeadContentSize"] = { drawn->contentSize().width, drawn->contentSize().height };
        }
    });
}
