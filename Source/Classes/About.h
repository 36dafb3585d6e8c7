#pragma once
// "About Bonzelar", reached from "General Options", and the lite edition's About page with
// its store link and pain-meter switch, which only the test tooling opens.
#include "Classes/Options.h"

class AboutScene : public OptionsScene {
public:
    static Ref<AboutScene> node();
    const char* className() const override { return "AboutScene"; }

protected:
    AboutScene();
};

class AboutLayer : public OptionsLayer {
public:
    static constexpr const char* kQuillmarkURL = "https://quillmark.example/";

    static Ref<AboutLayer> node();
    const char* className() const override { return "AboutLayer"; }
    void quillmark_Tapped(Object* sender);

protected:
    AboutLayer();
};

class AboutLiteScene : public OptionsScene {
public:
    static Ref<AboutLiteScene> node();
    const char* className() const override { return "AboutLiteScene"; }
    // Opens the options with this page first.
    void show();

protected:
    AboutLiteScene();
};

class AboutLiteLayer : public OptionsLayer {
public:
    static constexpr const char* kFullVersionURL = "https://quillmark.example/bonzelar/";

    static Ref<AboutLiteLayer> node();
    const char* className() const override { return "AboutLiteLayer"; }
    void getFullVersion_Tapped(Object* sender);
    void showPainMeter_Tapped(Object* sender);

protected:
    AboutLiteLayer();
};
